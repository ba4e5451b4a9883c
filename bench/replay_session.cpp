#include "replay_session.h"

#include <cstdlib>
#include <filesystem>

#include "components/media/sdl/platform_paths.h"
#include "components/scores/score_board.h"
#include "core/input_script.h"
#include "core/sounds.h"
#include "core/step.h"
#include "flight/flight.h"
#include "shell/app.h"
#include "shell/assets.h"

namespace fs = std::filesystem;

ReplaySession::ReplaySession(MediaEngine& engine, std::vector<KeySet> passKeys, uint64_t seed)
    : engine_(engine),
      random_(seed),
      game_(engine, &scores_, random_),
      screens_(GameScreens()),
      passKeys_(std::move(passKeys)) {}

void ReplaySession::Start(const std::string& programFolder) {
  Game& g = game_;
  // The shell's start-up in its own order (Main in shell/app.cpp); only the
  // settings file and the logo wait are left out, as in every headless run.
  engine_.SetCloseHandler([&g](int16_t& cancel) { Form_Unload(g, cancel); });
  engine_.Initialize(programFolder, 640.0f, 480.0f, false, 0, 0, true);
  RunStep([&] { g.Scores->SetOption(50); });
  if (RunCondition([&] { return !g.Scores->FileExists("hs.ini"); })) {
    RunStep([&] { g.Scores->OpenPackage("hs.pak", 0, "Open File", 0); });
    RunStep([&] { g.Scores->ExtractPackage(0); });
  }
  RunStep([&] { LoadTexturesAndShowLogo(g); });
  RunStep([&] { CreateGameFont(g); });
  RunStep([&] { LoadSoundsAndWaitForLogo(g, false); });
  RunStep([&] { g.Scores->OpenTable("hs.ini", 10, 0); });
  PresetSharedValues(g);
  g.Shell.GameState = Screen::kMenu;
  RunStep([&] { PlaySound(engine_, Sound::kMenu, true, 100, 0, 0); });
  g.Shell.Running = true;
  start_ = Take();
  pass_ = 0;
}

ReplaySession::Snapshot ReplaySession::Take() const {
  return Snapshot{game_.Shell,      game_.Round, game_.Keys, game_.Menu,
                  game_.HighScores, random_,     pass_};
}

void ReplaySession::Restore(const Snapshot& s) {
  game_.Shell = s.shell;
  game_.Round = s.round;
  game_.Keys = s.keys;
  game_.Menu = s.menu;
  game_.HighScores = s.highScores;
  random_ = s.random;
  pass_ = s.pass;
}

void ReplaySession::Rewind() {
  Restore(start_);
  scores_.ClearCalls();
}

Screen ReplaySession::Pass() {
  ++pass_;
  static const KeySet kNoKeys;
  const KeySet& keys = pass_ <= Length() ? passKeys_[static_cast<size_t>(pass_ - 1)] : kNoKeys;
  RunStep([&] { engine_.BeginPass(pass_, &keys); });
  return MainLoopPass(game_, screens_);
}

LoadedReplay LoadReplay(const std::string& path) {
  const InputScript script = LoadInputScript(path);
  LoadedReplay replay;
  replay.seed = script.seed ? *script.seed : 1;
  const int64_t total = script.TotalPasses();
  replay.passKeys.reserve(static_cast<size_t>(total));
  for (int64_t pass = 1; pass <= total; ++pass) replay.passKeys.push_back(script.KeysForPass(pass));
  return replay;
}

std::string GoldenFolder() {
  if (const char* dir = std::getenv("KESTREVAN_GOLDEN_DIR")) return dir;
  return (fs::path(KESTREVAN_SOURCE_DIR) / "tests" / "golden").string();
}

std::string ProgramFolder() {
  if (const char* dir = std::getenv("KESTREVAN_PROGRAM_DIR")) return dir;
  // The benchmarks sit in bench/ of the build tree, the game's files one up.
  const fs::path exe = ExecutableFolder();
  std::error_code ec;
  if (fs::is_directory(exe / "files", ec)) return exe.string();
  return exe.parent_path().string();
}
