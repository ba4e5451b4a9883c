#include "core/game.h"
#include "core/singles.h"
#include "core/sounds.h"
#include "flight/flight.h"
#include "flight/flight_sections.h"
#include "render/particles.h"

namespace {

// A chance of 9 in 10: a draw of Int(r * 10) that must come out 1 or more.
bool NineInTen(Game& g) { return vb::Int(double(g.Rnd.Next()) * 10) >= 1; }

void HeightSection(Game& g) {
  RoundState& r = g.Round;
  r.Height = Single((8150.0 - r.LanderY) / 10 - 6);
}

void GravitySection(Game& g) {
  RoundState& r = g.Round;
  const double brake =
      (r.ParachuteOpen && !r.ParachuteReleased) ? double(g.Shell.Gravity) / 3 : 0.0;
  // OnGround is still last frame's: a craft standing still does not sink.
  if (r.SpeedY < 0 || !r.OnGround) {
    r.SpeedY = Single(double(r.SpeedY) + g.Shell.Gravity - brake);
    r.LanderY = Single(double(r.LanderY) + r.SpeedY);
  }
}

void MainThrusterSection(Game& g) {
  RoundState& r = g.Round;
  if (!(r.LanderOpened && r.Fuel > 0 && g.Keys.KeyThrustUp)) return;
  r.Fuel = Single(double(r.Fuel) - 1.0 / 4);
  if (r.Fuel < 0) r.Fuel = 0;
  r.SpeedY = Single(double(r.SpeedY) - g.Shell.ThrustPower);
  const double y = double(r.LanderY) - r.CameraY + 40;
  const double left = double(g.Rnd.Next()) * 2 - 1;
  Spawn(g, 7, double(r.LanderX) + 13, y, left, 5, 2, 40);
  const double right = double(g.Rnd.Next()) * 2 - 1;
  Spawn(g, 7, double(r.LanderX) + 33, y, right, 5, 2, 40);
}

void SideThrustersSection(Game& g) {
  RoundState& r = g.Round;
  const KeyFlags& k = g.Keys;
  if (r.OnGround) return;
  const double e = r.LanderOpened ? 44 : 33;  // the nozzles move when the craft unfolds
  const double y = double(r.LanderY) - r.CameraY + e;
  if (r.Fuel > 0 && k.KeyThrustLeft) {
    r.Fuel = Single(double(r.Fuel) - 1.0 / 8);  // may end a little below 0
    r.SpeedX = Single(double(r.SpeedX) - g.Shell.ThrustPower);
    r.SpeedY = Single(double(r.SpeedY) - double(g.Shell.ThrustPower) / 2);
    const double a = double(g.Rnd.Next()) * 2 - 2;
    Spawn(g, 6, double(r.LanderX) + 33, y, 5, a, 2, 30);
    const double b = double(g.Rnd.Next()) * 2 - 2;
    Spawn(g, 7, double(r.LanderX) + 33, y, 5, b, 2, 40);
  } else if (r.Fuel > 0 && k.KeyThrustRight) {
    r.Fuel = Single(double(r.Fuel) - 1.0 / 8);
    r.SpeedX = Single(double(r.SpeedX) + g.Shell.ThrustPower);
    r.SpeedY = Single(double(r.SpeedY) - double(g.Shell.ThrustPower) / 2);
    const double a = double(g.Rnd.Next()) * 2 - 2;
    Spawn(g, 6, double(r.LanderX) + 13, y, -5, a, 2, 30);
    const double b = double(g.Rnd.Next()) * 2 - 2;
    Spawn(g, 7, double(r.LanderX) + 13, y, -5, b, 2, 40);
  }
  // The wind only pushes a craft hanging under its canopy, and any side
  // thrust overrides it.
  if ((r.Fuel <= 0 || !(k.KeyThrustLeft || k.KeyThrustRight)) && r.ParachuteOpen &&
      !r.ParachuteReleased)
    r.SpeedX = Single(double(r.SpeedX) + std::sin(double(g.Shell.FrameCount) / 10) / 30);
}

void DragSection(Game& g) {
  RoundState& r = g.Round;
  if (r.SpeedX > 0.5f) r.SpeedX = Single(double(r.SpeedX) - 1.0 / 30);
  if (r.SpeedX < -0.5f) r.SpeedX = Single(double(r.SpeedX) + 1.0 / 30);
  if (r.SpeedX > 0) r.SpeedX = Single(double(r.SpeedX) - 1.0 / 100);
  if (r.SpeedX < 0) r.SpeedX = Single(double(r.SpeedX) + 1.0 / 100);
  r.LanderX = Single(double(r.LanderX) + r.SpeedX);
}

// One row of the fast-fall trail: its own chance draw, then its own draws.
void Flame(Game& g, int16_t kind, double x, double y, double moveX) {
  Spawn(g, kind, x, y, moveX, -(double(g.Round.SpeedY) + 1), 2, 20);
}

void FlamesSection(Game& g) {
  RoundState& r = g.Round;
  const double x = r.LanderX;
  const double y0 = double(r.LanderY) - r.CameraY;
  auto rnd = [&g] { return double(g.Rnd.Next()); };
  if (r.SpeedY > 3 && !r.LanderOpened && NineInTen(g)) Flame(g, 0, x + 1, y0 + 40, 2 * rnd() - 1);
  if (r.SpeedY > 3 && !r.LanderOpened && NineInTen(g)) Flame(g, 0, x + 28, y0 + 40, 2 * rnd() - 1);
  if (r.SpeedY > 6 && !r.LanderOpened && NineInTen(g)) Flame(g, 0, x + 9, y0 + 50, 2 * rnd() - 1);
  if (r.SpeedY > 6 && !r.LanderOpened && NineInTen(g)) Flame(g, 0, x + 18, y0 + 50, 2 * rnd() - 1);
  if (r.SpeedY > 10 && NineInTen(g)) Flame(g, 5, x + 4, y0 + 50, rnd() - 0.5);
  if (r.SpeedY > 10 && NineInTen(g)) Flame(g, 5, x + 23, y0 + 50, rnd() - 0.5);
  if (r.SpeedY > 13 && NineInTen(g)) Flame(g, 5, x + 16, y0 + 50, rnd() - 0.5);
  struct Row {
    double dx, dy, sign;
  };
  const Row fastest[] = {{-4, 50, 1}, {31, 50, 1}, {9, 55, -1}, {18, 55, -1}};
  for (const Row& row : fastest) {
    if (!(r.SpeedY > 16 && NineInTen(g))) continue;
    const double r1 = rnd();
    const double r2 = rnd();
    Flame(g, 5, x + row.dx, y0 + row.dy + row.sign * 5 * r1, r2 - 0.5);
  }
}

void HeatSection(Game& g) {
  RoundState& r = g.Round;
  // Each threshold passed takes its own share.
  if (r.SpeedY > 3) r.Health = Single(double(r.Health) - 1.0 / 30);
  if (r.SpeedY > 6) r.Health = Single(double(r.Health) - 1.0 / 30);
  if (r.SpeedY > 10) r.Health = Single(double(r.Health) - 1.0 / 25);
  if (r.SpeedY > 13) r.Health = Single(double(r.Health) - 1.0 / 25);
  if (r.SpeedY > 16) r.Health = Single(double(r.Health) - 1.0 / 25);
  if (r.Health < 0) r.Health = 0;
}

void SelfRepairSection(Game& g) {
  RoundState& r = g.Round;
  if (r.Health > 0 && r.SpeedY < 3)
    r.Health = Single(double(r.Health) + (r.OnGround ? 1.0 / 100 : 1.0 / 150));
}

void AboveTheTopSection(Game& g) {
  RoundState& r = g.Round;
  // A reward for climbing out of the top of the flight area.
  if (r.LanderY < 0) {
    if (r.Fuel < 400) r.Fuel = r.Fuel + 1;
    if (r.Health < 150) r.Health = Single(double(r.Health) + 1.0 / 3);
  }
}

}  // namespace

void ShakeStep(Game& g) {
  RoundState& r = g.Round;
  // The camera stops 480 px above the ground so the landscape never scrolls
  // off the bottom.
  r.CameraY = Single(double(r.LanderY) - 200);
  if (r.CameraY > 7672) r.CameraY = 7672;
  if (r.SpeedY > 1) {
    const double fifth = double(r.SpeedY) / 5;
    r.ShakeOffset = Single(vb::Int(double(g.Rnd.Next()) * fifth) - fifth / 2);
    if (!r.OnGround) {
      SetSoundVolume(g.Engine, Sound::kOnFire, RoundToInt32(double(r.SpeedY) * 2 + 70));
      SetSoundVolume(g.Engine, Sound::kOnFire2, RoundToInt32(double(r.SpeedY) * 2 + 40));
    }
  } else {
    r.ShakeOffset = 0;
  }
}

void FlightStep(Game& g) {
  HeightSection(g);
  GravitySection(g);
  MainThrusterSection(g);
  SideThrustersSection(g);
  DragSection(g);
  FlamesSection(g);
  HeatSection(g);
  SelfRepairSection(g);
  AboveTheTopSection(g);
  GroundContact(g);
  LandingPads(g);
  DataCollection(g);
  AutoDeploy(g);
  ParachuteKey(g);
  CanopyUnfolding(g);
  LanderUnfolding(g);
  ParachuteHanging(g);
  UnfoldingFrames(g);
}
