#include "components/media/key_codes.h"
#include "core/game.h"
#include "flight/flight.h"

void GameKeys(Game& g) {
  MediaEngine& e = g.Engine;
  RoundState& r = g.Round;
  KeyFlags& k = g.Keys;
  if (e.KeyDown(key::kS)) {
    e.HotkeyAction();
    e.PlaySound("enter", false, 100, 0, 0);
  }
  if (e.KeyDown(key::kEscape)) {  // give up
    r.RoundLost = true;
    RoundEnd(g);
    e.PlaySound("enter", false, 100, 0, 0);
  }
  if (e.KeyDown(key::kReturn)) {  // restart at once
    r.RoundLost = true;
    RoundEnd(g);
    e.PlaySound("enter", false, 100, 0, 0);
    g.Shell.GameState = Screen::kGame;
    NewRound(g);
  }
  k.KeyThrustLeft = e.KeyHeld(key::kLeft);
  k.KeyThrustRight = e.KeyHeld(key::kRight);
  // The thruster sounds follow the keys, not the thrust.
  if (r.Health > 0 && r.LanderOpened && r.Fuel > 0) {
    if (e.KeyDown(key::kUp)) e.PlaySound("thrusters_u", true, 95, 0, 4);
    if (e.KeyUp(key::kUp)) e.StopSound("thrusters_u", true);
  } else {
    e.StopSound("thrusters_u", true);
  }
  if (r.Health > 0 && r.Fuel > 0) {
    if (e.KeyDown(key::kLeft)) e.PlaySound("thrusters_l", true, 95, 0, 4);
    if (e.KeyUp(key::kLeft)) e.StopSound("thrusters_l", true);
    if (e.KeyDown(key::kRight)) e.PlaySound("thrusters_r", true, 95, 0, 4);
    if (e.KeyUp(key::kRight)) e.StopSound("thrusters_r", true);
  } else {
    e.StopSound("thrusters_l", true);
    e.StopSound("thrusters_r", true);
  }
  k.KeyThrustUp = e.KeyHeld(key::kUp);
  // Both keys are asked every frame, whatever the first one answers.
  const bool space = e.KeyDown(key::kSpace);
  const bool down = e.KeyDown(key::kDown);
  k.KeyParachute = space || down;
  const bool refuelA = e.KeyHeld(chord::kRefuelA);
  const bool refuelB = e.KeyHeld(chord::kRefuelB);
  if (refuelA && refuelB) {
    r.Fuel = r.Fuel + 20;
    e.PlaySound("enter", false, 100, 0, 0);
  }
  const bool repairA = e.KeyHeld(chord::kRepairA);
  const bool repairB = e.KeyHeld(chord::kRepairB);
  if (repairA && repairB) {
    r.Health = 100;
    r.RoundLost = false;
    e.PlaySound("enter", false, 100, 0, 0);
  }
  e.ReadKeys();
}
