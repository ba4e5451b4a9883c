#include <cmath>
#include <cstdio>

#include "components/media/key_codes.h"
#include "components/scores/score_board.h"
#include "core/game.h"
#include "core/singles.h"
#include "core/sounds.h"
#include "menu/menu.h"
#include "render/scene.h"
#include "scores/scores.h"

namespace {

// A whole number with at least `digits` digits, the sign in front.
std::string Padded(double value, int digits) {
  const double whole = vb::Round(value);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%0*.0f", whole < 0 ? "-" : "", digits, std::fabs(whole));
  return buf;
}

}  // namespace

std::string ScoreRowText(int row, float value, const std::string& name) {
  // The table keeps 10000 minus the flight time, so the best flight ranks first.
  return Padded(row, 2) + " " + Padded(10000.0 - value, 4) + " " + name;
}

void ShowHighScores(Game& g) {
  MediaEngine& e = g.Engine;
  const double t = g.Shell.FrameCount;
  e.BeginFrame(0, 0, 0);
  DrawDriftingBackground(g, g.Tex.TexMenuHs);
  for (int16_t i = 1; i <= 10; ++i) {
    // Empty rows are left out; the others keep their places.
    if (!(Scores(g, "GetScore").GetScore(i) > 0)) continue;
    const std::string text =
        ScoreRowText(i, Scores(g, "GetScore").GetScore(i), Scores(g, "GetName").GetName(i));
    const bool fresh = i == g.HighScores.NewEntryRank;
    e.DrawText(g.Tex.TexFont, text, 50, Single(100 + 24.0 * i + std::sin(t / (i / 3.0 + 5))), 1, 0,
               100, fresh ? 100 : 255, 255, fresh ? 100 : 255);
  }
  if (g.Round.RoundFinished)
    e.DrawText(g.Tex.TexFont, "LAST SCORE = " + SingleText(g.Round.FlightTime),
               Single(205 + std::sin(t / 20)), 400, Single(2.0 / 3), 0, 100, 255, 100, 200);
  e.DrawText(g.Tex.TexFont, "PRESS RETURN TO ESC", Single(180 + 5 * std::sin(t / 10)), 440,
             Single(2.0 / 3), 0, 100, 255, 100, 100);
  // Changes state: the screen's keys are read inside its drawing, before the
  // frame is shown, as this screen has no routine of its own for them.
  if (e.KeyDown(key::kEscape)) {
    g.Shell.GameState = Screen::kMenu;
    PlaySound(e, Sound::kEnter, false, 100, 0, 0);
  }
  if (e.KeyDown(key::kReturn)) {
    g.Shell.GameState = Screen::kMenu;
    PlaySound(e, Sound::kEnter, false, 100, 0, 0);
  }
  if (e.KeyDown(key::kS)) {
    e.HotkeyAction();
    PlaySound(e, Sound::kEnter, false, 100, 0, 0);
  }
  e.EndFrame();
}
