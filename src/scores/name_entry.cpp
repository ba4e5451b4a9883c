#include <array>

#include "components/media/key_codes.h"
#include "components/scores/score_board.h"
#include "core/game.h"
#include "core/singles.h"
#include "core/sounds.h"
#include "core/step.h"
#include "scores/scores.h"

namespace {

struct TypingKey {
  int32_t code;
  const char* text;
};

// Tested in this order; minus hands over "--" because "-" means "remove".
const std::array<TypingKey, 44> kTypingKeys = {{
    {11, "0"}, {2, "1"},  {3, "2"},  {4, "3"},  {5, "4"},  {6, "5"},   {7, "6"},  {8, "7"},
    {9, "8"},  {10, "9"}, {78, "+"}, {40, "'"}, {181, "/"}, {13, "="}, {12, "--"}, {55, "*"},
    {52, "."}, {30, "A"}, {48, "B"}, {46, "C"}, {32, "D"}, {18, "E"},  {33, "F"}, {34, "G"},
    {35, "H"}, {23, "I"}, {36, "J"}, {37, "K"}, {38, "L"}, {50, "M"},  {49, "N"}, {24, "O"},
    {25, "P"}, {16, "Q"}, {19, "R"}, {31, "S"}, {20, "T"}, {22, "U"},  {47, "V"}, {17, "W"},
    {45, "X"}, {21, "Y"}, {44, "Z"}, {57, " "},
}};

constexpr const char* kLazyName = "I'm lazy!";

ScoreBoard& Scores(Game& g, const char* operation) {
  if (!g.Scores) throw ComponentError(operation, "no score store");
  return *g.Scores;
}

void Confirm(Game& g) {
  if (g.HighScores.PlayerName.empty()) g.HighScores.PlayerName = kLazyName;
  g.HighScores.NameConfirmed = true;
}

}  // namespace

void ShowNameEntry(Game& g) {
  MediaEngine& e = g.Engine;
  HighScoreState& h = g.HighScores;
  e.BeginFrame(0, 0, 0);
  e.DrawImage(g.Tex.TexEnterName, 0, 0, 640, 480, 0, 100, 0, 0, 0, 0, -1, -1);
  // The cursor is a random character, new each pass: it flickers.
  const auto cursor = static_cast<char>(RoundToInt16(double(g.Rnd.Next()) * 90));
  e.DrawText(g.Tex.TexFont, h.PlayerName + cursor,
             Single(290 - 10.0 * static_cast<double>(h.PlayerName.size())), 180, 1, 0, 100, 255,
             255, 255);
  if (h.NameConfirmed) {
    Scores(g, "AddScore").AddScore(Single(10000.0 - g.Round.FlightTime), h.PlayerName, {});
    g.Shell.GameState = Screen::kHighScores;
    h.NameConfirmed = false;
  }
  ReadNameKeys(g);
  e.EndFrame();
}

void ReadNameKeys(Game& g) {
  MediaEngine& e = g.Engine;
  // Each statement stands alone: a failing key test counts as a press, a
  // failing action is skipped.
  if (RunCondition([&] { return e.KeyDown(key::kEscape); })) RunStep([&] { Confirm(g); });
  if (RunCondition([&] { return e.KeyDown(key::kReturn); })) RunStep([&] { Confirm(g); });
  for (const TypingKey& k : kTypingKeys)
    if (RunCondition([&] { return e.KeyDown(k.code); })) RunStep([&] { AddNameKey(g, k.text); });
  if (RunCondition([&] { return e.KeyHeld(key::kBackspace); })) {
    RunStep([&] { AddNameKey(g, "-"); });
    RunStep([&] { Scores(g, "Delay").Delay(100); });
  }
  if (RunCondition([&] {
        const bool shift = e.KeyHeld(key::kLeftShift);
        const bool s = e.KeyDown(key::kS);
        return shift && s;
      })) {
    RunStep([&] { e.HotkeyAction(); });
    RunStep([&] { PlaySound(e, Sound::kEnter, false, 100, 0, 0); });
  }
}

void AddNameKey(Game& g, const std::string& text) {
  std::string& name = g.HighScores.PlayerName;
  if (text == "-" && !name.empty()) {
    name.pop_back();
    PlaySound(g.Engine, Sound::kKey, false, 100, 0, 0);
  }
  if (text == "--") {
    name += "-";
    PlaySound(g.Engine, Sound::kKey, false, 100, 0, 0);
  } else if (text != "-") {
    name += text;
    PlaySound(g.Engine, Sound::kKey, false, 100, 0, 0);
  }
}

void StoreWaitingEntry(Game& g) {
  HighScoreState& h = g.HighScores;
  if (g.Shell.GameState != Screen::kNameEntry) return;
  if (h.PlayerName.empty()) h.PlayerName = kLazyName;
  Scores(g, "AddScore").AddScore(Single(10000.0 - g.Round.FlightTime), h.PlayerName, {});
  h.NameConfirmed = false;
  g.Shell.GameState = Screen::kHighScores;
}
