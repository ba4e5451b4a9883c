#pragma once
#include "components/media/media_engine.h"

struct Game;

// The main menu: keys, drawing and stepping, once per pass in that order.
void MenuKeys(Game& g);
void DrawMenu(Game& g);
void MenuStep(Game& g);
// `begin` true announces a new game; false only advances a running fade.
void GameStartFade(Game& g, bool begin);

// The menu's background picture, moving with the frame count and faded with
// the start of a game; the score table shows its own picture the same way.
void DrawDriftingBackground(Game& g, const Texture& picture);
