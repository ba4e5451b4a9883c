#include "core/game.h"
#include "flight/flight.h"

void PresetSharedValues(Game& g) {
  g.Shell.ThrustPower = 1.0f / 12.0f;
  g.Shell.Gravity = 1.0f / 20.0f;
  g.Shell.HelpRoundsLeft = 5;
  g.Shell.LogoFade = 100;
}
