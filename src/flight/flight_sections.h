#pragma once

struct Game;

// The sections of FlightStep that live beside their subject, in the order
// FlightStep runs them, after its own sections; none is called from anywhere
// else.
void GroundContact(Game& g);
void LandingPads(Game& g);
void DataCollection(Game& g);
void AutoDeploy(Game& g);
void ParachuteKey(Game& g);
void CanopyUnfolding(Game& g);
void LanderUnfolding(Game& g);
void ParachuteHanging(Game& g);  // the canopy hanging, or else blown away once cut
void UnfoldingFrames(Game& g);
