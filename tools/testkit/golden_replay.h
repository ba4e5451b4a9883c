#pragma once
// The one way a golden replay is run, shared by the tool that writes the
// golden files and the test that checks them: if the two ran the game even
// slightly differently, the checked-in files would prove nothing.
//
// A replay leaves two texts: the trace (one row per pass, tests/golden/*.csv)
// and the digests (tests/golden/*.digest), one line per pass of the clouds'
// and the particles' every field, which the trace leaves out.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "core/game.h"
#include "core/input_script.h"
#include "core/random.h"
#include "shell/app.h"
#include "testkit/memory_score_board.h"
#include "testkit/quiet_engine.h"

namespace golden {

// The seed every golden script carries when it names none.
constexpr uint64_t kDefaultSeed = 1;

// A trace written to an anonymous temporary file and read back whole.
class TraceFile {
 public:
  TraceFile();
  std::FILE* Get() const { return file_.get(); }
  std::string Text() const;

 private:
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_;
};

// "<clouds> <particles>\n": FNV-1a (64 bits, in hex) over the exact bits of
// every field of every entry, free entries included.
std::string DigestLine(const RoundState& round);

// Everything a golden run is made of, built the same way every time: no
// settings file, no logo wait, the table of the memory score store (its
// factory rows), the script's seed.
struct GoldenRun {
  explicit GoldenRun(uint64_t seed);
  GoldenRun(const GoldenRun&) = delete;
  GoldenRun& operator=(const GoldenRun&) = delete;

  // Main with `options`; `digests` then holds a line for each pass it made.
  int Run();

  QuietEngine engine;
  MemoryScoreBoard scores;
  Random random;
  Game game;
  TraceFile trace;
  AppOptions options;
  std::string digests;

 private:
  int64_t passes_ = 0;
};

struct Replayed {
  std::string trace;
  std::string digests;
};

// Replays `script` through Main.
Replayed Replay(const InputScript& script);

}  // namespace golden
