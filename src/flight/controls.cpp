#include "components/media/key_codes.h"
#include "core/game.h"
#include "core/sounds.h"
#include "flight/flight.h"

void GameKeys(Game& g) {
  MediaEngine& e = g.Engine;
  RoundState& r = g.Round;
  KeyFlags& k = g.Keys;
  if (e.KeyDown(key::kS)) {
    e.HotkeyAction();
    PlaySound(e, Sound::kEnter, false, 100, 0, 0);
  }
  if (e.KeyDown(key::kEscape)) {  // give up
    r.RoundLost = true;
    RoundEnd(g);
    PlaySound(e, Sound::kEnter, false, 100, 0, 0);
  }
  if (e.KeyDown(key::kReturn)) {  // restart at once
    r.RoundLost = true;
    RoundEnd(g);
    PlaySound(e, Sound::kEnter, false, 100, 0, 0);
    g.Shell.GameState = Screen::kGame;
    NewRound(g);
  }
  k.KeyThrustLeft = e.KeyHeld(key::kLeft);
  k.KeyThrustRight = e.KeyHeld(key::kRight);
  // The thruster sounds follow the keys, not the thrust.
  if (r.Health > 0 && r.LanderOpened && r.Fuel > 0) {
    if (e.KeyDown(key::kUp)) PlaySound(e, Sound::kThrustersUp, true, 95, 0, 4);
    if (e.KeyUp(key::kUp)) StopSound(e, Sound::kThrustersUp, true);
  } else {
    StopSound(e, Sound::kThrustersUp, true);
  }
  if (r.Health > 0 && r.Fuel > 0) {
    if (e.KeyDown(key::kLeft)) PlaySound(e, Sound::kThrustersLeft, true, 95, 0, 4);
    if (e.KeyUp(key::kLeft)) StopSound(e, Sound::kThrustersLeft, true);
    if (e.KeyDown(key::kRight)) PlaySound(e, Sound::kThrustersRight, true, 95, 0, 4);
    if (e.KeyUp(key::kRight)) StopSound(e, Sound::kThrustersRight, true);
  } else {
    StopSound(e, Sound::kThrustersLeft, true);
    StopSound(e, Sound::kThrustersRight, true);
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
    PlaySound(e, Sound::kEnter, false, 100, 0, 0);
  }
  const bool repairA = e.KeyHeld(chord::kRepairA);
  const bool repairB = e.KeyHeld(chord::kRepairB);
  if (repairA && repairB) {
    r.Health = 100;
    r.RoundLost = false;
    PlaySound(e, Sound::kEnter, false, 100, 0, 0);
  }
  e.ReadKeys();
}
