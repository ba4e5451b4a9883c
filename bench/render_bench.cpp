// Headless rendering: one whole pass (rules and drawing into the frame) on
// a quiet flight frame and on the busiest frame of a crash.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "components/media/sdl/sdl_engine.h"
#include "replay_session.h"
#include "testkit/quiet_engine.h"

namespace {

struct ChosenPasses {
  int64_t quiet = 0;       // the flight pass asking for the fewest pictures
  int64_t busiest = 0;     // the flight pass asking for the most
  int quietParticles = 0;  // particles alive while each is drawn
  int busiestParticles = 0;
};

int LiveParticles(const Game& g) {
  int live = 0;
  for (const ParticleRec& p : g.Round.Particles) live += p.Life > 0;
  return live;
}

// Flies the crash replay on the quiet engine and picks the two passes by the
// number of drawing calls each made.
ChosenPasses ChoosePasses(const LoadedReplay& replay) {
  QuietEngine engine;
  ReplaySession session(engine, replay.passKeys, replay.seed);
  session.Start("null");
  ChosenPasses chosen;
  int64_t fewest = -1, most = -1;
  while (session.PassNumber() < session.Length()) {
    const int before = LiveParticles(session.State());
    const int64_t callsBefore = engine.DrawCalls();
    if (session.Pass() != Screen::kGame) continue;
    const int64_t calls = engine.DrawCalls() - callsBefore;
    // A particle drawn in its last pass is gone afterwards, one born in the
    // pass was not there before: the larger count is the one drawn.
    const int live = std::max(before, LiveParticles(session.State()));
    if (fewest < 0 || calls < fewest) {
      fewest = calls;
      chosen.quiet = session.PassNumber();
      chosen.quietParticles = live;
    }
    if (calls > most) {
      most = calls;
      chosen.busiest = session.PassNumber();
      chosen.busiestParticles = live;
    }
  }
  return chosen;
}

int FramesToTime() {
  const char* frames = std::getenv("KESTREVAN_BENCH_FRAMES");
  const int n = frames ? std::atoi(frames) : 0;
  return n > 0 ? n : 1000;
}

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const size_t index = std::min(values.size() - 1, static_cast<size_t>(p * values.size()));
  return values[index];
}

// A headless engine and the crash replay flown on it up to just before
// pass `target`. The passes on the way are drawn too: cheap next to what
// follows, and the simplest way to arrive at the very same state.
struct HeadlessRun {
  HeadlessRun(const LoadedReplay& replay, int64_t target)
      : engine(MakeEngine()), session(*engine, replay.passKeys, replay.seed) {
    session.Start(ProgramFolder());
    while (session.PassNumber() < target - 1) session.Pass();
  }
  static std::unique_ptr<MediaEngine> MakeEngine() {
    SdlEngineOptions options;
    options.headless = true;
    return CreateSdlEngine(options);
  }
  bool HasFiles() { return session.State().Tex.TexLand && session.State().Tex.TexParticles; }

  std::unique_ptr<MediaEngine> engine;
  ReplaySession session;
};

// Times pass `target` of the crash replay, again and again from the state
// just before it, on the headless engine's compositor.
void TimeOnePass(benchmark::State& state, bool busiest) {
  const LoadedReplay replay = LoadReplay(GoldenFolder() + "/alone.txt");
  const ChosenPasses chosen = ChoosePasses(replay);
  const int64_t target = busiest ? chosen.busiest : chosen.quiet;

  HeadlessRun run(replay, target);
  ReplaySession& session = run.session;
  if (!run.HasFiles()) {
    state.SkipWithError(("no game files in " + ProgramFolder()).c_str());
    return;
  }
  const ReplaySession::Snapshot before = session.Take();

  std::vector<double> frameMs;
  frameMs.reserve(static_cast<size_t>(FramesToTime()));
  for (auto _ : state) {
    session.Restore(before);
    const auto start = std::chrono::steady_clock::now();
    session.Pass();
    const auto end = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(end - start).count();
    state.SetIterationTime(seconds);
    frameMs.push_back(seconds * 1000);
  }
  state.counters["median_ms"] = Percentile(frameMs, 0.5);
  state.counters["p99_ms"] = Percentile(frameMs, 0.99);
  state.counters["pass"] = static_cast<double>(target);
  state.counters["particles"] = busiest ? chosen.busiestParticles : chosen.quietParticles;
}

void BM_RenderQuietFrame(benchmark::State& state) { TimeOnePass(state, false); }
void BM_RenderCrashFrame(benchmark::State& state) { TimeOnePass(state, true); }

BENCHMARK(BM_RenderQuietFrame)->UseManualTime()->Iterations(FramesToTime());
BENCHMARK(BM_RenderCrashFrame)->UseManualTime()->Iterations(FramesToTime());

}  // namespace
