#pragma once
#include <functional>

struct Game;

// The routines the main loop dispatches to, per screen. The loop takes them
// through this table so tests can put their own routines in.
using Routine = std::function<void(Game&)>;

struct ScreenRoutines {
  // Screen::kGame
  Routine GameKeys, TimeStep, ShakeStep, FlightStep, CrashStep, DrawScene;
  // Screen::kMenu
  Routine MenuKeys, DrawMenu, MenuStep;
  // Screen::kNameEntry
  Routine ShowNameEntry;
  // Screen::kHighScores
  Routine ShowHighScores;
};

// The game's own routines.
ScreenRoutines GameScreens();
