#pragma once

struct Game;

// The main menu: keys, drawing and stepping, once per pass in that order.
void MenuKeys(Game& g);
void DrawMenu(Game& g);
void MenuStep(Game& g);
// `begin` true announces a new game; false only advances a running fade.
void GameStartFade(Game& g, bool begin);
