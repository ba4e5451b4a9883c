#pragma once
#include <functional>

struct Game;

// The routines the main loop dispatches to, per screen. The loop takes them
// through this table so tests can put their own routines in.
using Routine = std::function<void(Game&)>;

struct ScreenRoutines {
  // "game"
  Routine GameKeys, TimeStep, ShakeStep, FlightStep, CrashStep, DrawScene;
  // "menu"
  Routine MenuKeys, DrawMenu, MenuStep;
  // "hs_getname"
  Routine ShowNameEntry;
  // "hs"
  Routine ShowHighScores;
};

// The game's own routines.
ScreenRoutines GameScreens();
