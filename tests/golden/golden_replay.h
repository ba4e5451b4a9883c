#pragma once
// The one way a golden replay is run, shared by the tool that writes the
// golden files and the test that checks them: if the two ran the game even
// slightly differently, the checked-in traces would prove nothing.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "core/game.h"
#include "core/input_script.h"
#include "core/random.h"
#include "fakes/memory_score_board.h"
#include "fakes/recording_engine.h"
#include "shell/app.h"

namespace golden {

// The seed every golden script carries when it names none.
constexpr uint64_t kDefaultSeed = 1;

// A recording engine that forgets its calls at every pass (a long flight
// would otherwise keep millions of them) and, when the shell has no script,
// asks `pilot` for the keys of the pass about to begin.
class ReplayEngine : public RecordingEngine {
 public:
  std::function<KeySet(int64_t pass)> pilot;

  void BeginPass(int64_t pass, const KeySet* scripted) override {
    ClearCalls();
    if (!scripted && pilot) SetPassKeys(pass, pilot(pass));
    RecordingEngine::BeginPass(pass, scripted);
  }
};

// A trace written to an anonymous temporary file and read back whole.
class TraceFile {
 public:
  TraceFile() : file_(std::tmpfile(), &std::fclose) {
    if (!file_) throw std::runtime_error("cannot create a temporary file for the trace");
  }
  std::FILE* Get() const { return file_.get(); }
  std::string Text() const {
    std::fflush(file_.get());
    std::rewind(file_.get());
    std::string text;
    char buffer[1 << 16];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file_.get())) > 0) text.append(buffer, n);
    return text;
  }

 private:
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_;
};

// Everything a golden run is made of, built the same way every time: no
// settings file, no logo wait, the table of the memory score store (its
// factory rows), the script's seed. A test that watches more than the trace
// puts its own ReplayEngine in.
template <class Engine = ReplayEngine>
struct GoldenRun {
  explicit GoldenRun(uint64_t seed) : random(seed), game(engine, &scores, random) {
    options.programFolder = "golden";
    options.waitForLogo = false;
    options.trace = trace.Get();
  }

  Engine engine;
  MemoryScoreBoard scores;
  Random random;
  Game game;
  TraceFile trace;
  AppOptions options;
};

// Replays `script` through Main and returns the trace it writes.
inline std::string ReplayTrace(const InputScript& script) {
  GoldenRun run(script.seed ? *script.seed : kDefaultSeed);
  run.options.script = &script;
  run.options.maxPasses = script.TotalPasses();
  Main(run.game, run.options);
  return run.trace.Text();
}

}  // namespace golden
