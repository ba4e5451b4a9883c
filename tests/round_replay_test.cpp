// A won round can be flown again on its own, from the generator's state when
// it began and the keys from its first pass: the ground a replay of a
// record stands on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/input_script.h"
#include "core/trace.h"
#include "csv_rows.h"
#include "flight/flight.h"
#include "shell/app.h"
#include "shell/screens.h"
#include "testkit/golden_replay.h"

namespace {

std::string GoldenPath(const std::string& file) {
  return std::string(KESTREVAN_SOURCE_DIR) + "/tests/golden/" + file;
}

TEST(RoundReplay, TheGoldenWinFlownFromItsStartStateWinsInTheSameTicks) {
  const InputScript script = LoadInputScript(GoldenPath("win.txt"));
  // The session as recorded, noting the generator before every pass.
  golden::GoldenRun run(*script.seed);
  std::vector<uint64_t> stateBefore = {0};
  std::vector<int32_t> helpBefore = {0};
  auto begins = run.engine.passBegins;
  run.engine.passBegins = [&](int64_t pass) {
    begins(pass);
    stateBefore.push_back(run.random.State());
    helpBefore.push_back(run.game.Shell.HelpRoundsLeft);
  };
  run.options.script = &script;
  run.options.maxPasses = script.TotalPasses();
  run.Run();
  const std::vector<std::string> rows = CsvLines(run.trace.Text());
  // The first pass of the flight; NewRound ran in the menu pass before it,
  // which draws nothing else from the generator.
  std::size_t first = 1;
  while (first < rows.size() && CsvFields(rows[first]).at(1) != "game") ++first;
  ASSERT_LT(first, rows.size());
  const std::size_t start = first - 1;

  // The round alone: a fresh game, the generator as the round found it.
  golden::GoldenRun alone(0);
  Game& g = alone.game;
  PresetSharedValues(g);
  g.Shell.HelpRoundsLeft = helpBefore[start];
  alone.random.Restore(stateBefore[start]);
  NewRound(g);
  g.Shell.GameState = Screen::kGame;
  std::vector<KeySet> keys;
  for (int64_t pass = static_cast<int64_t>(start) + 1; pass <= script.TotalPasses(); ++pass)
    keys.push_back(script.KeysForPass(pass));
  alone.engine.keysForPass = [&](int64_t pass) {
    return pass >= 1 && pass <= static_cast<int64_t>(keys.size()) ? keys[pass - 1] : KeySet();
  };
  const ScreenRoutines screens = GameScreens();
  // Up to the pass that wins: what follows asks the score table, which is
  // the session's, not the round's.
  std::size_t i = 0;
  for (; i < keys.size() && !g.Round.RoundFinished; ++i) {
    alone.engine.BeginPass(static_cast<int64_t>(i) + 1, nullptr);
    const Screen screen = MainLoopPass(g, screens);
    const auto got = CsvFields(TraceRow(static_cast<int64_t>(start + i + 1), screen, g));
    const auto want = CsvFields(rows.at(start + i + 1));
    // Every column of the round's state, frame for frame.
    for (std::size_t c = 2; c < 30; ++c)
      ASSERT_EQ(got.at(c), want.at(c))
          << "pass " << start + i + 1 << ", " << CsvFields(rows[0]).at(c);
  }
  EXPECT_EQ(CsvFields(rows.at(start + i)).at(27), "1") << "won in the same pass";
  EXPECT_TRUE(g.Round.RoundFinished);
  EXPECT_EQ(g.Round.FlightTime, 522);
}

}  // namespace
