#pragma once
#include "render/craft.h"

struct Game;

// What the shell lays over a flight (Game::Extras): a replay's craft raced
// against, the arrow to it, its time and the REPLAY mark. Each draws nothing
// at all without extras, so a plain flight's frames stay as they were.

// The ghost's canopy, where the player's is drawn: behind the landscape.
void DrawGhostCanopy(Game& g, WorldView view);
// The ghost's craft, right after the player's and under the near landscape.
void DrawGhostCraft(Game& g, WorldView view);
// Over the status display: the arrow to a ghost out of view, the ghost's
// time once it has finished, and the REPLAY mark.
void DrawGhostMarks(Game& g, WorldView view);
