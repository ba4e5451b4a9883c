#pragma once
// A game on the recording engine, started into a round, for the flight, menu and
// scene tests.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "components/scores/no_score_board.h"
#include "core/game.h"
#include "flight/flight.h"
#include "shell/app.h"
#include "shell/assets.h"
#include "testkit/quiet_engine.h"

// A table that answers GetRank with a fixed row and remembers the values asked.
class RankBoard : public NoScoreBoard {
 public:
  int16_t rank = 1;
  std::vector<float> asked;
  int16_t GetRank(float value) override {
    asked.push_back(value);
    return rank;
  }
};

class GameFixture : public ::testing::Test {
 protected:
  QuietEngine engine{QuietEngine::kRecording};
  Random random{12345};
  RankBoard board;
  Game g{engine, &board, random};
  ScreenRoutines screens = GameScreens();

  void SetUp() override {
    // Every picture loaded (the engine hands out named handles), shared
    // values as start-up leaves them.
    LoadTexturesAndShowLogo(g);
    PresetSharedValues(g);
    g.Shell.Running = true;
    g.Shell.GameState = Screen::kMenu;
    engine.ClearCalls();
  }

  void StartRound() {
    NewRound(g);
    g.Shell.GameState = Screen::kGame;
    engine.ClearCalls();
  }

  // One main-loop pass with these keys held.
  Screen Pass(std::initializer_list<int32_t> keys = {}) {
    engine.HoldKeys(keys);
    return MainLoopPass(g, screens);
  }

  // Passes with no key until `done` holds or `limit` passes have run;
  // returns the number of passes made.
  template <class Done>
  int RunUntil(Done done, int limit = 20000) {
    int n = 0;
    while (!done() && n < limit) {
      Pass();
      ++n;
    }
    return n;
  }

  std::vector<std::string> Sounds() const {
    std::vector<std::string> out;
    for (const auto& c : engine.Calls())
      if (c.op == "PlaySound" || c.op == "StopSound" || c.op == "SetSoundVolume")
        out.push_back(c.Text());
    return out;
  }
  bool Called(const std::string& text) const {
    for (const auto& c : engine.Calls())
      if (c.Text() == text) return true;
    return false;
  }
};
