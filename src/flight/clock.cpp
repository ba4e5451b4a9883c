#include "core/game.h"
#include "core/singles.h"
#include "core/sounds.h"
#include "flight/flight.h"

void TimeStep(Game& g) {
  RoundState& r = g.Round;
  // The sending beeps from a random side on every frame it runs.
  if (r.Height >= 100 && r.DataCollected && r.SendTicksLeft > 0) {
    const int32_t balance = RoundToInt32(double(g.Rnd.Next()) * 200 - 100);
    PlaySound(g.Engine, Sound::kKey, false, 88, balance, 88);
  }
  r.TickCountdown = r.TickCountdown - 1;
  if (r.TickCountdown > 0) return;
  r.TickCountdown = 4;
  if (r.Health <= 0) return;  // the clock stands still for a wreck
  if (!r.RoundFinished) {
    r.FlightTime = r.FlightTime + 1;
    if (r.FlightTime > 999) r.FlightTime = 999;
  }
  if (r.Height >= 100 && r.DataCollected) {
    if (r.SendTicksLeft > 0) {
      r.SendTicksLeft = static_cast<int16_t>(r.SendTicksLeft - 1);
    } else if (!r.RoundFinished) {
      r.RoundFinished = true;
      RoundEnd(g);
    }
  }
}
