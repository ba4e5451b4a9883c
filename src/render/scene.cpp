#include "render/scene.h"

#include <string>

#include "core/game.h"
#include "core/singles.h"
#include "core/sounds.h"
#include "render/craft.h"
#include "render/ghost.h"
#include "render/particles.h"

namespace {

struct Rgb {
  double r, g, b;
};

constexpr Rgb kHudColour = {255, 155, 1};
constexpr float kPadX[3] = {80, 290, 495};

// Warnings flicker: a red with a fresh random green and blue each time.
// Changes state: each warning drawn takes two numbers from the game's one
// generator, so what is on screen shifts every later draw of the flight.
Rgb RandomRed(Game& g) {
  const double green = double(g.Rnd.Next()) * 105;
  const double blue = double(g.Rnd.Next()) * 105;
  return {255, green, blue};
}

void Text(Game& g, const std::string& text, double x, double y, double scale, Rgb c) {
  g.Engine.DrawText(g.Tex.TexFont, text, Single(x), Single(y), Single(scale), 0, 100, Single(c.r),
                    Single(c.g), Single(c.b));
}

// A picture at its source size, turned about its centre by nothing.
void Plain(Game& g, const Texture& t, double x, double y, double w, double h, int16_t opacity) {
  g.Engine.DrawImage(t, Single(x), Single(y), Single(w), Single(h), 0, opacity, 0, 0, 0, 0, -1, -1);
}

void Tint(Game& g, double r, double gr, double b) { g.Engine.SetDrawColor(r, gr, b); }
void Untint(Game& g) { g.Engine.SetDrawColor(255, 255, 255); }

double SkyComponent(double c, double k) {
  return c >= 0 ? vb::Round(c * (100.0 / 7672) * (k / 100)) : 0;
}

void DataSignal(Game& g) {
  const RoundState& r = g.Round;
  const double c = r.CameraY;
  Plain(g, g.Tex.TexSignalLine, 0, 7120 - c, 640, 50, 30);
  if (r.Height < 80 && r.SendTicksLeft > 0) {
    Text(g, "NO SIGNAL TO SEND DATA", 195, 80, 0.5, RandomRed(g));
    Text(g, "GET HIGHER - AT 100 METERS", 172, 110, 0.5, RandomRed(g));
  }
  if (r.Height >= 80 && r.SendTicksLeft > 0) {
    // Between 80 and 100 m the message shows but its number stands still.
    Text(g, "SENDING DATA -> " + std::to_string(vb::IntDiv(r.SendTicksLeft, 3)), 190, 80,
         1 - 1.0 / 3, RandomRed(g));
  }
}

void StatusPanels(Game& g) {
  const RoundState& r = g.Round;
  Plain(g, g.Tex.TexShade, -4, 430, 88, 46, 40);
  Text(g, "HEIGHT", 8, 440, 0.5, kHudColour);
  Text(g, SingleText(Single(vb::Int(double(r.Height) - 1))), 7, 455, 0.5, kHudColour);
  Plain(g, g.Tex.TexShade, 557, 430, 88, 46, 40);
  Text(g, "FUEL", 590, 440, 0.5, kHudColour);
  Text(g, ThreeDigits(r.Fuel), 600, 455, 0.5, kHudColour);
  Plain(g, g.Tex.TexShade, 557, 0, 88, 46, 40);
  Text(g, "TIME", 590, 10, 0.5, kHudColour);
  Text(g, ThreeDigits(r.FlightTime), 600, 25, 0.5, kHudColour);
  g.Engine.DrawImage(g.Tex.TexShade, -13, 0, 88, 46, 0, 40, 0, 0, 195, 46, -1, -1);
  Text(g, "DATA COLLECTED", 8, 10, 0.5, kHudColour);
  Text(g, std::to_string(vb::IntDiv(r.SendTicksLeft, 3)), 7, 25, 0.5, kHudColour);
}

// The strip at the left edge: red while the craft must not land, lighting
// green from the top as it unfolds after the canopy is cut.
void LightsStrip(Game& g) {
  RoundState& r = g.Round;
  Plain(g, g.Tex.TexLights, 0, 296, 32, 134, 40);
  if (r.Health <= 0 || (r.ParachuteOpen && !r.ParachuteReleased)) {
    Tint(g, 255, 50, 50);
    Plain(g, g.Tex.TexLights, 0, 296, 32, 134, 40);
  } else if (r.Health > 0 && r.ParachuteReleased) {
    // Changes state: the craft's unfolding advances (and its sound starts) as
    // the strip showing it is drawn, so the craft opens on the pass after.
    if (r.OpenProgress == 0) PlaySound(g.Engine, Sound::kLanderOpen, false, 100, 0, 0);
    if (r.OpenProgress < 100) r.OpenProgress = r.OpenProgress + 2;
    const int32_t n = RoundToInt32(double(r.OpenProgress) * 5 / 100 * 27);
    const double lit = 27.0 * vb::IntDiv(n, 27);
    Tint(g, 50, 255, 50);
    Plain(g, g.Tex.TexLights, 0, 296, 32, lit, 40);
  }
  Untint(g);
}

}  // namespace

void DrawScene(Game& g) {
  RoundState& r = g.Round;
  MediaEngine& e = g.Engine;
  const double c = r.CameraY;
  const double s = r.ShakeOffset;

  // The sky darkens to black as the craft climbs toward space.
  e.BeginFrame(RoundToInt32(SkyComponent(c, 128)), RoundToInt32(SkyComponent(c, 126)),
               RoundToInt32(SkyComponent(c, 206)));
  // Stars, fading out on the way down.
  if (c < 4000) {
    const int16_t stars = c >= 0 ? RoundToInt16(100 - c * 100 / 4000) : int16_t{100};
    Plain(g, g.Tex.TexStars, s, 0, 640, 480, stars);
  }
  // The horizon near the ground.
  if (c >= 7192) Plain(g, g.Tex.TexBackSky, 0, 7672 - c, 640, 480, 100);

  // The canopy behind the far landscape, the craft in front of it.
  const WorldView view{c, s};
  DrawCanopy(g, r, view, 100);
  DrawGhostCanopy(g, view);
  // The far landscape.
  Plain(g, g.Tex.TexLand, s, 8102 - c, 1025, 64, 100);
  DrawCraft(g, r, view, 100);
  DrawGhostCraft(g, view);
  // The near landscape, over the craft.
  Plain(g, g.Tex.TexLand2, s, 8102 - c, 1025, 64, 100);
  // Clouds.
  for (CloudRec& cloud : r.Clouds) {
    const float sy = Single(double(cloud.Y) - c);
    if (!(-128 < sy && sy < 480)) continue;
    // Changes state: a cloud drifts as it is drawn, so one off screen stands still.
    cloud.X = cloud.X + cloud.Drift;
    Plain(g, g.Tex.TexCloud, s + cloud.X, double(cloud.Y) - c, 512, 128,
          RoundToInt16(cloud.Opacity));
  }
  // The pads, green once visited.
  for (int i = 0; i < 3; ++i) {
    if (r.PadVisited[i]) Tint(g, 55, 255, 55);
    Plain(g, g.Tex.TexLanding, s + kPadX[i], 8138 - c, 64, 8, 100);
    Untint(g);
  }
  // The data signal.
  if (r.DataCollected) DataSignal(g);
  // Effects. Changes state: the particles move and age as they are drawn.
  ParticleEffects(g, false, 0, 0, 0, 0, 0, 0, 200, true);
  // Status display and the lights.
  StatusPanels(g);
  LightsStrip(g);
  // A canopy still attached this low would drag the craft into the ground.
  if (r.Height <= 80 && r.ParachuteOpen)
    Text(g, "WARNING - RELEASE PARACHUTE", 165, 280, 0.5, RandomRed(g));
  // The health bar, its filled part growing up from y 420.
  e.DrawImage(g.Tex.TexStatus, 608, 60, 32, 360, 180, 40, 0, 0, 0, 0, 16, 180);
  Tint(g, 255, 50, 50);
  e.DrawImage(g.Tex.TexStatus, 608, 60, 32, Single(360.0 / 100 * r.Health), 180, 50, 0, 0, 0, 0, 16,
              180);
  Untint(g);
  // Help pictures for the first rounds, fading as the craft descends.
  const float d = Single(c + 170);
  const int16_t help = d < 3000 ? RoundToInt16(100 - double(d) * 100 / 3000) : int16_t{0};
  if (g.Shell.HelpRoundsLeft > 1) Plain(g, g.Tex.TexKeys, 350, 10, 256, 256, help);
  if (g.Shell.HelpRoundsLeft > 2) Plain(g, g.Tex.TexHints, 20, 10, 256, 256, help);
  // What the shell lays over the flight, above everything the round draws.
  DrawGhostMarks(g, view);
  e.EndFrame();
}
