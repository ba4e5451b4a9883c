#include <array>

#include "core/game.h"
#include "core/singles.h"
#include "core/sounds.h"
#include "flight/flight.h"
#include "flight/flight_sections.h"
#include "render/particles.h"

namespace {

struct Pad {
  float low, high;   // LanderX range, both ends excluded
  double refuel;     // per frame
  double repair;     // per frame
  int32_t fuelRate;  // the pump sound's rate: the middle pad sounds higher
};

const std::array<Pad, 3> kPads = {{
    {60, 100, 1.0 / 20, 1.0 / 30, 15},
    {270, 310, 1.0 / 10, 1.0 / 40, 22},
    {475, 515, 1.0 / 20, 1.0 / 30, 14},
}};

}  // namespace

void GroundContact(Game& g) {
  RoundState& r = g.Round;
  if (r.Height <= 1.5f) {
    if (r.SpeedY > 0) {  // the impact: 10 points per pixel per frame
      r.Health = Single(double(r.Health) - double(r.SpeedY) * 10);
      r.SpeedY = 0;
      r.LanderY = 8075;
    }
    // Sliding costs half the sideways speed.
    if (r.SpeedX < 0) r.Health = Single(double(r.Health) + double(r.SpeedX) / 2);
    if (r.SpeedX > 0) r.Health = Single(double(r.Health) - double(r.SpeedX) / 2);
    if (r.SpeedX > 0) r.SpeedX = Single(double(r.SpeedX) - 1.0 / 40);
    if (r.SpeedX < 0) r.SpeedX = Single(double(r.SpeedX) + 1.0 / 40);
    r.OnGround = true;
    if (!r.LanderOpened || r.OpenFrame > 0) {
      // Down before the legs were out: the craft is lost.
      r.Health = 0;
      SetSoundVolume(g.Engine, Sound::kOnFire, 1);
      SetSoundVolume(g.Engine, Sound::kOnFire2, 1);
    }
  } else {
    r.OnGround = false;
  }
}

void LandingPads(Game& g) {
  RoundState& r = g.Round;
  for (size_t i = 0; i < kPads.size(); ++i) {
    const Pad& pad = kPads[i];
    if (r.OnGround && pad.low < r.LanderX && r.LanderX < pad.high) {
      r.PadVisited[i] = true;
      if (r.Fuel < 100) {
        r.Fuel = Single(double(r.Fuel) + pad.refuel);
      } else {
        r.PadFuelSound[i] = false;
        StopSound(g.Engine, Sound::kFuel, false);
      }
      if (r.Health > 0) r.Health = Single(double(r.Health) + pad.repair);
      if (!r.PadFuelSound[i] && r.Health > 0 && r.Fuel < 100) {
        PlaySound(g.Engine, Sound::kFuel, true, 85, 0, pad.fuelRate);
        r.PadFuelSound[i] = true;
      }
    } else if (r.PadFuelSound[i]) {
      r.PadFuelSound[i] = false;
      StopSound(g.Engine, Sound::kFuel, false);
    }
  }
}

void DataCollection(Game& g) {
  RoundState& r = g.Round;
  if (r.DataCollected) return;
  // The longer the pads took, the longer the sending lasts.
  r.SendTicksLeft = static_cast<int16_t>(vb::IntDiv(r.FlightTime, 15));
  if (r.PadVisited[0] && r.PadVisited[1] && r.PadVisited[2]) r.DataCollected = true;
}

void CrashStep(Game& g) {
  RoundState& r = g.Round;
  MediaEngine& e = g.Engine;
  if (r.Health > 0) return;
  r.Fuel = 0;
  if (r.ExplosionTime == 0) {
    PlaySound(e, Sound::kFire, true, 85, 0, 0);
    StopSound(e, Sound::kOnFire, false);
    StopSound(e, Sound::kOnFire2, false);
    StopSound(e, Sound::kLanderOpen, false);
    StopSound(e, Sound::kFuel, false);
    PlaySound(e, Sound::kExplosion, false, 100, 0, 0);
  }
  r.ExplosionTime = r.ExplosionTime + 1;
  auto rnd = [&g] { return double(g.Rnd.Next()); };
  const double x = double(r.LanderX) + 13;
  const double y = double(r.LanderY) - r.CameraY;
  for (int n = 0; n <= 10; ++n) {
    const double pick = vb::Int(rnd() * 3);
    const int16_t kind = pick == 0 ? 7 : (pick == 1 ? 5 : 6);
    if (r.ExplosionTime < 20) {  // the burst
      const int16_t life = RoundToInt16(20 * rnd() + 20);
      const double r1 = rnd();
      const double r2 = rnd();
      Spawn(g, kind, x, y + 40, 10 * r1 - 5, -(10 * r2) - 1, 2, life);
    } else if (r.ExplosionTime < 30) {  // slower debris
      const double r1 = rnd();
      const double r2 = rnd();
      Spawn(g, kind, x, y + 40, 8 * r1 - 4, -(6 * r2) - 2, 2, 20);
    } else {
      // Embers; the chance is drawn whatever the time.
      const bool half = vb::Int(rnd() * 10) >= 5;
      if (half && r.ExplosionTime < 230) Spawn(g, 6, x, y + 45, 4 * rnd() - 2, -1, 2, 10);
    }
  }
  struct Smoke {
    float before;  // only while ExplosionTime is below this
    bool rare;     // chance 1 in 10 instead of 9 in 10
    int16_t kind;
    double dx, dy, spin, life;
  };
  static const Smoke kSmoke[] = {
      {100, false, 2, 1, 35, 1, 120},  {100, false, 2, 28, 35, -1, 120},
      {180, false, 3, 9, 40, -1, 160}, {180, false, 3, 18, 40, 1, 160},
      {260, true, 3, 9, 40, -1, 160},  {260, true, 3, 18, 40, 1, 160},
  };
  for (const Smoke& s : kSmoke) {
    if (!(r.ExplosionTime < s.before)) continue;
    const double n = vb::Int(rnd() * 10);
    if (s.rare ? n != 9 : n < 1) continue;
    Spawn(g, s.kind, double(r.LanderX) + s.dx, y + s.dy, rnd() - 0.5, -1, s.spin, s.life);
  }
  if (r.ExplosionTime == 260 && !r.RoundLost) {
    r.RoundLost = true;
    RoundEnd(g);
  }
}
