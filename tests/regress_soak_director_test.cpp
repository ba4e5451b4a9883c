// The soak's key generator (tools/soakgen) must keep its promises, or a soak
// run proves less than it claims: its keys never end the game early, they
// reach every screen, the autopilot wins rounds from any start, and the
// script it records replays to the very session it played.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "core/game.h"
#include "core/input_script.h"
#include "core/random.h"
#include "shell/app.h"
#include "testkit/autopilot.h"
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

TEST(SoakDirector, TheSameSeedGivesTheSameKeysAndAnotherSeedOthers) {
  const auto keysOf = [](uint64_t seed) {
    SoakSession s(seed);
    InputRecorder recorder(1);
    s.options.recorder = &recorder;
    s.options.maxPasses = 20000;
    Main(s.game, s.options);
    return recorder.Text();
  };
  const std::string first = keysOf(3);
  EXPECT_EQ(first, keysOf(3));
  EXPECT_NE(first, keysOf(4));
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
  golden::TraceFile replayTrace;
  QuietEngine engine;
  MemoryScoreBoard scores;
  Random random(*script.seed);
  Game game(engine, &scores, random);
  AppOptions options;
  options.programFolder = "soak";
  options.waitForLogo = false;
  options.script = &script;
  options.trace = replayTrace.Get();
  options.maxPasses = script.TotalPasses();
  ASSERT_EQ(Main(game, options), 0);
  EXPECT_TRUE(liveTrace.Text() == replayTrace.Text()) << "the replay left the recorded session";
}

// Rounds flown by the autopilot alone, from the starts the generator gives
// them: nearly all must be won, or the soak would hardly see a name entry.
TEST(SoakAutopilot, WinsNearlyEveryRound) {
  QuietEngine engine;
  MemoryScoreBoard scores;
  Random random(2024);
  Game game(engine, &scores, random);
  PilotPlan plan;
  plan.climbFuel = 60;
  std::unique_ptr<Autopilot> pilot;
  Screen last = Screen::kNone;
  int rounds = 0, wins = 0;
  KeySet previous;
  engine.keysForPass = [&](int64_t) {
    const Screen screen = game.Shell.GameState;
    if (screen != last) {
      if (last == Screen::kGame) {
        ++rounds;
        wins += game.Round.RoundFinished ? 1 : 0;
      }
      pilot.reset();
      if (screen == Screen::kGame) pilot = std::make_unique<Autopilot>(game, Mission::kWin, plan);
      last = screen;
    }
    KeySet keys;
    if (pilot)
      keys = pilot->Fly();
    else if (screen != Screen::kGame && !previous.test(key::kReturn))
      keys.set(key::kReturn);
    // A tap must be let go before it counts again.
    if (keys.test(key::kSpace) && previous.test(key::kSpace)) keys.reset(key::kSpace);
    previous = keys;
    if (rounds >= 12) game.Shell.Running = false;
    return keys;
  };
  AppOptions options;
  options.programFolder = "soak";
  options.waitForLogo = false;
  options.maxPasses = 60000;
  Main(game, options);
  ASSERT_GE(rounds, 10);
  EXPECT_GE(wins, rounds - 1) << wins << " of " << rounds << " rounds won";
}

}  // namespace
