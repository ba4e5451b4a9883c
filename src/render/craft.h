#pragma once
#include <cstdint>

struct Game;
struct RoundState;

// Where the world is seen from: the camera's height and the shake, both the
// player's, so a second craft in the same world lands where it flies.
struct WorldView {
  double CameraY = 0;
  double Shake = 0;
};

// A round's canopy, hanging or cut loose, drawn as tall as it has unfolded
// and swinging about its bottom edge; nothing once it has flown away.
void DrawCanopy(Game& g, const RoundState& r, WorldView view, int16_t opacity);
// A round's craft, leaning with its sideways speed, or its wreck.
void DrawCraft(Game& g, const RoundState& r, WorldView view, int16_t opacity);
