#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "components/media/media_engine.h"
#include "core/game.h"
#include "core/random.h"
#include "shell/screens.h"
#include "testkit/memory_score_board.h"

// The game set up as the shell leaves it at the top of its main loop, then
// driven one pass at a time by a replay's keys. The benchmarks time passes,
// so start-up runs once and a replay that reaches its end rewinds to the
// state it started from instead of building everything again.
class ReplaySession {
 public:
  ReplaySession(MediaEngine& engine, std::vector<KeySet> passKeys, uint64_t seed);

  // Start-up as the shell runs it, without the logo wait.
  void Start(const std::string& programFolder);
  // One main-loop pass with the replay's keys for it; returns the screen it
  // dispatched on. Past the end of the replay no key is held.
  Screen Pass();
  // Back to the state right after Start, at pass 0.
  void Rewind();

  // Everything a pass changes, and the pass it stands before.
  struct Snapshot {
    ShellState shell;
    RoundState round;
    KeyFlags keys;
    MenuState menu;
    HighScoreState highScores;
    Random random;
    int64_t pass = 0;
  };
  Snapshot Take() const;
  void Restore(const Snapshot& snapshot);

  int64_t PassNumber() const { return pass_; }
  int64_t Length() const { return static_cast<int64_t>(passKeys_.size()); }
  Game& State() { return game_; }

 private:
  MediaEngine& engine_;
  MemoryScoreBoard scores_;
  Random random_;
  Game game_;
  ScreenRoutines screens_;
  std::vector<KeySet> passKeys_;
  int64_t pass_ = 0;
  Snapshot start_;
};

// The keys of every pass of an input script file, and its seed (1 when it
// names none, as the golden replays use). Throws std::runtime_error naming
// the file.
struct LoadedReplay {
  std::vector<KeySet> passKeys;
  uint64_t seed = 1;
};
LoadedReplay LoadReplay(const std::string& path);

// Where the benchmarks find their inputs: the golden replays of the source
// tree and the game's files/ folder of the build tree. Environment variables
// KESTREVAN_GOLDEN_DIR and KESTREVAN_PROGRAM_DIR override the defaults.
std::string GoldenFolder();
std::string ProgramFolder();
