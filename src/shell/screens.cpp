#include "shell/screens.h"

#include "flight/flight.h"
#include "menu/menu.h"
#include "render/scene.h"
#include "scores/scores.h"

ScreenRoutines GameScreens() {
  ScreenRoutines s;
  s.GameKeys = GameKeys;
  s.TimeStep = TimeStep;
  s.ShakeStep = ShakeStep;
  s.FlightStep = FlightStep;
  s.CrashStep = CrashStep;
  s.DrawScene = DrawScene;
  s.MenuKeys = MenuKeys;
  s.DrawMenu = DrawMenu;
  s.MenuStep = MenuStep;
  s.ShowNameEntry = ShowNameEntry;
  s.ShowHighScores = ShowHighScores;
  return s;
}
