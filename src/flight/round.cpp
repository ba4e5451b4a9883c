#include "core/game.h"
#include "core/singles.h"
#include "core/sounds.h"
#include "flight/flight.h"

void NewRound(Game& g) {
  RoundState& r = g.Round;
  Random& rnd = g.Rnd;
  r.OpenFrame = 3;
  r.LanderX = Single(double(rnd.Next()) * 400 + 80);
  g.Shell.HelpRoundsLeft = g.Shell.HelpRoundsLeft - 1;
  r.LanderY = 30;
  r.Fuel = 90;
  r.Health = 100;
  r.SendTicksLeft = 30;
  for (CloudRec& c : r.Clouds) {
    c.X = Single(vb::Int(double(rnd.Next()) * 640) - 256);
    c.Y = Single(vb::Int(double(rnd.Next()) * 6000) + 1500);
    c.Opacity = Single(vb::Int(double(rnd.Next()) * 50) + 30);
    // Clouds fade out toward the top of the sky and deep down near the ground.
    if (c.Y < 3000) c.Opacity = c.Opacity - 20;
    if (c.Y < 2000) c.Opacity = c.Opacity - 20;
    if (c.Y > 4000) c.Opacity = c.Opacity - 40;
    if (c.Opacity <= 0) c.Opacity = 5;
    c.Drift = Single(double(rnd.Next()) * 4 - 2);
  }
  g.Shell.FrameCount = 0;
  r.CameraY = 0;
  r.TickCountdown = 0;
  r.FlightTime = 0;
  r.RoundFinished = false;
  r.DataCollected = false;
  r.OpenProgress = 0;
  r.OpenFrameTimer = 0;
  r.PadVisited = {false, false, false};
  r.ParachuteOpen = false;
  r.ParachuteReleased = false;
  r.ParachuteSwing = 0;
  r.ParachuteUnfold = 0;
  r.ExplosionTime = 0;
  r.OnGround = false;
  r.RoundLost = false;
  r.LanderOpened = false;
  r.SpeedX = 0;
  r.SpeedY = 0;
  for (ParticleRec& p : r.Particles) p.Life = 0;
  PlaySound(g.Engine, Sound::kOnFire, true, 1, 0, 0);
  PlaySound(g.Engine, Sound::kOnFire2, true, 1, 0, 0);
  StopSound(g.Engine, Sound::kMenu, false);
}
