// The soak's key generator (tools/soakgen) must keep its promises, or a soak
// run proves less than it claims: its keys never end the game early, they
// reach every screen (winning rounds among them), and the script it records
// replays to the very session it played.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/game.h"
#include "core/input_script.h"
#include "core/random.h"
#include "shell/app.h"
#include "testkit/golden_replay.h"
#include "testkit/memory_score_board.h"
#include "testkit/quiet_engine.h"
#include "testkit/soak_director.h"

namespace {

// One soak session on the silent engine and the memory score store.
struct SoakSession {
  explicit SoakSession(uint64_t keySeed, const InputScript* opening = nullptr)
      : random(1), game(engine, &scores, random), director(game, keySeed, opening) {
    engine.keysForPass = [this](int64_t pass) {
      ++passesPlayed;
      return director.Next(pass);
    };
    options.programFolder = "soak";
    options.waitForLogo = false;
  }

  QuietEngine engine;
  MemoryScoreBoard scores;
  Random random;
  Game game;
  SoakDirector director;
  AppOptions options;
  int64_t passesPlayed = 0;
};

TEST(SoakDirector, PlaysEveryScreenAndNeverLeavesTheGame) {
  constexpr int64_t kPasses = 150000;
  SoakSession s(7);
  InputRecorder recorder(1);
  s.options.recorder = &recorder;
  s.options.maxPasses = kPasses;
  ASSERT_EQ(Main(s.game, s.options), 0);
  // Every pass was played: no key chose "exit" or pressed Escape twice in the menu.
  EXPECT_EQ(s.passesPlayed, kPasses);
  const SoakTally& t = s.director.Tally();
  EXPECT_GT(t.wins, 0);
  EXPECT_GT(t.crashes, 0);
  EXPECT_GT(t.givenUp, 0);
  EXPECT_GT(t.restarts, 0);
  EXPECT_GT(t.namesTyped, 0);
  EXPECT_GT(t.tablesFromMenu, 0);
  for (Screen screen : {Screen::kMenu, Screen::kGame, Screen::kNameEntry, Screen::kHighScores})
    EXPECT_GT(t.passesOn.count(screen) ? t.passesOn.at(screen) : 0, 0) << ScreenName(screen);
  // Screenshots would litter the player's picture folder: S is never sent
  // outside the name entry, Left Shift never at all.
  const InputScript script = ParseInputScript(recorder.Text());
  for (const InputSegment& segment : script.segments)
    EXPECT_FALSE(segment.keys.test(key::kLeftShift));
}

// The recorded script, replayed through Main from scratch, is the same
// session pass for pass: the real program's replay is checked against this
// trace by scripts/soak.sh, so the generator's own half must hold.
TEST(SoakDirector, ItsScriptReplaysToTheSessionItPlayed) {
  const InputScript opening =
      LoadInputScript(std::string(KESTREVAN_SOURCE_DIR) + "/tests/golden/win.txt");
  golden::TraceFile liveTrace;
  InputRecorder recorder(opening.seed);
  {
    SoakSession s(11, &opening);
    s.options.recorder = &recorder;
    s.options.trace = liveTrace.Get();
    s.options.maxPasses = 30000;
    ASSERT_EQ(Main(s.game, s.options), 0);
    // The golden flight opens the session and wins its round.
    EXPECT_GT(s.director.Tally().wins, 0);
  }
  const InputScript script = ParseInputScript(recorder.Text());
  ASSERT_EQ(script.TotalPasses(), 30000);
  EXPECT_TRUE(liveTrace.Text() == golden::Replay(script).trace)
      << "the replay left the recorded session";
}

}  // namespace
