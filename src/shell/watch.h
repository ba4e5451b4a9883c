#pragma once
#include "shell/app.h"

struct Game;
struct Replay;

// Shows a replay's round on the game's own window and sound, at the game's
// pace, marked as a replay: the round as it was flown, then its last frame
// for a moment. Any key or button leaves it, and so does closing the window.
void WatchReplay(Game& g, const Replay& replay, const AppOptions& o, const ScreenRoutines& screens);
