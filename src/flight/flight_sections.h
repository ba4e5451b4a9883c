#pragma once

struct Game;

// The sections of FlightStep that live beside their subject. Each is run by
// FlightStep in its fixed place; none is called from anywhere else.
void GroundContact(Game& g);       // 10
void LandingPads(Game& g);         // 11
void DataCollection(Game& g);      // 12
void AutoDeploy(Game& g);          // 13
void ParachuteKey(Game& g);        // 14
void CanopyUnfolding(Game& g);     // 15
void LanderUnfolding(Game& g);     // 16
void ParachuteHanging(Game& g);    // 17 (or else 18)
void UnfoldingFrames(Game& g);     // 19
