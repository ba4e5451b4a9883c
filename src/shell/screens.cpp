#include "shell/screens.h"

#include "flight/flight.h"
#include "menu/menu.h"

ScreenRoutines GameScreens() {
  ScreenRoutines s;
  s.GameKeys = GameKeys;
  s.TimeStep = TimeStep;
  s.ShakeStep = ShakeStep;
  s.FlightStep = FlightStep;
  s.CrashStep = CrashStep;
  s.MenuKeys = MenuKeys;
  s.DrawMenu = DrawMenu;
  s.MenuStep = MenuStep;
  return s;
}
