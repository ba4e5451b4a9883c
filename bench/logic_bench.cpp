// Logic throughput: the whole game, rules and drawing decisions, against an
// engine that throws the pictures away, over the winning golden replay.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "core/trace.h"
#include "replay_session.h"
#include "testkit/quiet_engine.h"

namespace {

std::string LastLine(const std::string& path) {
  std::ifstream in(path);
  std::string line, last;
  while (std::getline(in, line))
    if (!line.empty()) last = line;
  return last;
}

void BM_LogicThroughput(benchmark::State& state) {
  const LoadedReplay replay = LoadReplay(GoldenFolder() + "/win.txt");
  QuietEngine engine;
  ReplaySession session(engine, replay.passKeys, replay.seed);
  session.Start("null");

  // One untimed flight first: it must end exactly where the golden trace
  // does, or the benchmark would time some other game.
  Screen lastState = Screen::kNone;
  while (session.PassNumber() < session.Length()) lastState = session.Pass();
  const std::string row = TraceRow(session.PassNumber(), lastState, session.State());
  const std::string golden = LastLine(GoldenFolder() + "/win.csv");
  if (row.substr(0, row.size() - 1) != golden) {
    state.SkipWithError(("the replay drifted from the golden trace: " + row).c_str());
    return;
  }
  session.Rewind();

  int64_t gamePasses = 0;
  const int64_t drawCallsBefore = engine.DrawCalls();
  for (auto _ : state) {
    if (session.PassNumber() == session.Length()) session.Rewind();
    const Screen screen = session.Pass();
    gamePasses += screen == Screen::kGame;
    // No benchmark::DoNotOptimize here: the session lives in another
    // translation unit, so nothing can be optimised away, and handing it the
    // craft's height (Google Benchmark 1.7.1, GCC 12) changed the flight.
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["game_share"] = static_cast<double>(gamePasses) / state.iterations();
  state.counters["draws_per_pass"] =
      static_cast<double>(engine.DrawCalls() - drawCallsBefore) / state.iterations();
}
BENCHMARK(BM_LogicThroughput)->MinTime(2.0);

}  // namespace
