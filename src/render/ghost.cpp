#include "render/ghost.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "core/game.h"
#include "core/singles.h"
#include "render/scene.h"

namespace {

// See-through enough that the player's own craft always reads as the one
// flown, solid enough to follow against clouds and sand.
constexpr int16_t kGhostOpacity = 35;

struct Rgb {
  float r, g, b;
};
// A cold pale blue, apart from the status display's orange and the
// warnings' red, for everything that speaks of the ghost.
constexpr Rgb kGhostColour = {170, 215, 255};
constexpr Rgb kHudColour = {255, 155, 1};
constexpr Rgb kBehindColour = {255, 90, 70};
constexpr Rgb kAheadColour = {90, 255, 90};
constexpr Rgb kReplayColour = {255, 60, 60};

// The arrow is the font's caret: its ink and dark ring fill the top left
// 20 x 16 of its cell, so it reads on sky, space and sand alike. Drawn twice
// its size: at the letters' own it is lost among them.
constexpr int kCaret = '^';
constexpr float kCaretW = 20, kCaretH = 16, kArrowScale = 2;
constexpr float kArrowW = kCaretW * kArrowScale, kArrowH = kCaretH * kArrowScale;
// The edges' panels (the status display's, 46 px tall, and the ghost's own)
// would hide the arrow or be hidden by it: it keeps just inside them.
constexpr float kArrowTop = 48, kArrowBottom = 480 - 48;

void Text(Game& g, const std::string& text, float x, float y, Rgb c) {
  g.Engine.DrawText(g.Tex.TexFont, text, x, y, 0.5f, 0, 100, c.r, c.g, c.b);
}

// The ghost is drawn while its craft is whole and its round still runs. A
// crashed ghost leaves at its crash, as the wreck would only repeat what its
// arrow and panel already say. A winner leaves at its win: nothing flies it
// after that, and a craft frozen in mid-air would pass for one still racing;
// its time stays in the panel instead.
const RoundState* FlyingGhost(const Game& g) {
  const FlightExtras* x = g.Extras;
  if (!x || !x->Ghost || x->GhostOver || x->Ghost->Health <= 0) return nullptr;
  return x->Ghost;
}

void Arrow(Game& g, const RoundState& ghost, WorldView view) {
  const double top = double(ghost.LanderY) - view.CameraY;
  const bool above = top + 64 <= 0;
  const bool below = top >= 480;
  if (!above && !below) return;
  // Under the middle of the craft, kept whole on the screen.
  const double x =
      std::clamp(double(ghost.LanderX) + view.Shake + 32 - kArrowW / 2, 0.0, 640.0 - kArrowW);
  // Turned by half a circle about its middle, the caret points down.
  const float y = above ? kArrowTop : kArrowBottom - kArrowH;
  g.Engine.SetDrawColor(kGhostColour.r, kGhostColour.g, kGhostColour.b);
  g.Engine.DrawImage(g.Tex.TexFont, Single(x), y, kCaretW, kCaretH, above ? 0 : 180, 100,
                     32 * (kCaret % 16), 32 * (kCaret / 16), kArrowW, kArrowH, -1, -1);
  g.Engine.SetDrawColor(255, 255, 255);
}

// The player's time against the ghost's, in ticks: "+12" is twelve behind.
std::string Difference(int32_t ticks) {
  return (ticks < 0 ? "-" : "+") + std::to_string(std::abs(ticks));
}

// Left of the TIME panel, on a panel of the same shade stretched to hold
// "GHOST 522": the ghost's time and the player's difference, or that the
// ghost was lost.
void TimePanel(Game& g, const FlightExtras& x) {
  if (!x.GhostOver) return;
  g.Engine.DrawImage(g.Tex.TexShade, 437, 0, 88, 46, 0, 40, 0, 0, 120, 46, -1, -1);
  if (!x.GhostWon) {
    Text(g, "GHOST", 450, 10, kGhostColour);
    Text(g, "LOST", 450, 25, kGhostColour);
    return;
  }
  Text(g, "GHOST " + ThreeDigits(x.GhostTime), 450, 10, kGhostColour);
  const int32_t ticks = RoundToInt32(double(g.Round.FlightTime)) - x.GhostTime;
  const Rgb c = ticks > 0 ? kBehindColour : ticks < 0 ? kAheadColour : kHudColour;
  Text(g, "YOU " + Difference(ticks), 450, 25, c);
}

}  // namespace

void DrawGhostCanopy(Game& g, WorldView view) {
  if (const RoundState* ghost = FlyingGhost(g)) DrawCanopy(g, *ghost, view, kGhostOpacity);
}

void DrawGhostCraft(Game& g, WorldView view) {
  if (const RoundState* ghost = FlyingGhost(g)) DrawCraft(g, *ghost, view, kGhostOpacity);
}

void DrawGhostMarks(Game& g, WorldView view) {
  if (!g.Extras) return;
  if (const RoundState* ghost = FlyingGhost(g)) Arrow(g, *ghost, view);
  TimePanel(g, *g.Extras);
  // Top middle, clear of every panel and message of the flight.
  if (g.Extras->ReplayMark) Text(g, "REPLAY", 290, 10, kReplayColour);
}
