#include <string>

#include "components/media/key_codes.h"
#include "components/scores/score_board.h"
#include "core/game.h"
#include "core/singles.h"
#include "core/sounds.h"
#include "core/step.h"
#include "scores/scores.h"

namespace {

// What a typing key hands to AddNameKey: its character, but "--" for minus,
// because "-" there means "remove".
std::string NameKeyText(const KeyEntry& k) {
  return k.typed == '-' ? "--" : std::string(1, k.typed);
}

constexpr const char* kLazyName = "I'm lazy!";

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
  // The cursor is a random character, new each pass: it flickers. Changes
  // state: the draw takes a number from the game's one generator.
  const auto cursor = static_cast<char>(RoundToInt16(double(g.Rnd.Next()) * 90));
  // A pad types by picking a letter: the cursor shows the one it is on. The
  // flicker's number is drawn all the same, so every later draw is as ever.
  const char picked = e.PickedCharacter();
  e.DrawText(g.Tex.TexFont, h.PlayerName + (picked != 0 ? picked : cursor),
             Single(290 - 10.0 * static_cast<double>(h.PlayerName.size())), 180, 1, 0, 100, 255,
             255, 255);
  // Changes state mid-frame: a name confirmed on the last pass is stored and
  // the screen switches, between this frame's drawing and its keys.
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
  // Tested in the key table's order, which is the order letters typed in one
  // pass land in the name.
  for (const KeyEntry& k : kKeyTable)
    if (k.typed && RunCondition([&] { return e.KeyDown(k.code); }))
      RunStep([&] { AddNameKey(g, NameKeyText(k)); });
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
