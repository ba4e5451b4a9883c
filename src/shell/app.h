#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "core/screen.h"
#include "shell/screens.h"

struct Game;
struct InputScript;
struct Replay;
class GhostRace;
class InputRecorder;
class RoundRecorder;

struct AppOptions {
  std::string programFolder;            // where files/ lives; handed to Initialize
  std::string settingsPath;             // setup.ini to read ("" = none)
  std::optional<bool> fullScreen;       // --fullscreen / --windowed override the file
  bool mute = false;                    // --mute: as if Sound_On were off
  bool verbose = false;                 // print each setting and the decision
  bool waitForLogo = true;              // false in headless runs
  const InputScript* script = nullptr;  // replay: keys per pass
  InputRecorder* recorder = nullptr;    // record the keys of each pass
  std::FILE* trace = nullptr;           // one CSV row per pass
  int64_t maxPasses = 0;                // stop after this many passes (0 = no limit)
  RoundRecorder* rounds = nullptr;      // keeps the round being flown, for its replay
  GhostRace* ghost = nullptr;           // a replay raced beside every round
  // Without `ghost`: the replay to race, asked once the table is open (the
  // table's best, for Ghost=Best); nullopt races none.
  std::function<std::optional<Replay>()> tableGhost;
  const Replay* watch = nullptr;  // shows this replay's round instead of the game
};

// The program: start-up, the main loop, shutdown. Returns the exit status.
int Main(Game& g, const AppOptions& options, const ScreenRoutines& screens = GameScreens());

// One pass of the main loop (the frame counter and the dispatch on the
// current screen), without the loop's tooling. Returns the screen the pass
// dispatched on.
Screen MainLoopPass(Game& g, const ScreenRoutines& screens);

// After a flight pass: a pad shakes hard as the craft starts to blow up and
// briefly when it sets down whole; what the round was before the pass is
// given. The rules never know.
void ShakeOnImpact(Game& g, bool wasOnGround, bool wasExploding);

// The window's close handler: refuses the first close while the game runs
// and lets the loop end instead.
void Form_Unload(Game& g, int16_t& cancel);
