// soakgen: writes the input script of a soak. It plays the whole session
// itself, through the game's own routines on a silent engine and the real
// score store, so the keys it records fit every screen the game will show
// when the real program replays them: flights the autopilot wins, crashes,
// give-ups, restarts, names typed, the table opened and closed.
//
//   soakgen --passes N --seed S --opening tests/golden/win.txt
//           --program-folder build --data-dir SCRATCH --script OUT.txt
//           [--trace OUT.csv]
//
// The program replaying OUT.txt with the same program folder and an empty
// data folder must write the same trace byte for byte; scripts/soak.sh checks.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "components/scores/file_score_board.h"
#include "core/game.h"
#include "core/input_script.h"
#include "core/random.h"
#include "shell/app.h"
#include "testkit/quiet_engine.h"
#include "testkit/soak_director.h"

namespace {

void PrintTally(const SoakTally& t, int64_t passes) {
  std::printf(
      "soakgen: %lld passes; rounds %lld (autopilot %lld): won %lld, crashed %lld, "
      "given up %lld, restarted %lld; names typed %lld; table from the menu %lld\n",
      static_cast<long long>(passes), static_cast<long long>(t.rounds),
      static_cast<long long>(t.piloted), static_cast<long long>(t.wins),
      static_cast<long long>(t.crashes), static_cast<long long>(t.givenUp),
      static_cast<long long>(t.restarts), static_cast<long long>(t.namesTyped),
      static_cast<long long>(t.tablesFromMenu));
  for (const auto& [screen, count] : t.passesOn)
    std::printf("soakgen: passes on %-10s %lld\n", ScreenName(screen),
                static_cast<long long>(count));
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App cli{"Writes the input script of a soak run"};
  int64_t passes = 1000000;
  uint64_t seed = 1;
  std::string openingPath, programFolder, dataFolder, scriptPath, tracePath;
  cli.add_option("--passes", passes, "Passes of the main loop")->check(CLI::PositiveNumber);
  cli.add_option("--seed", seed, "Seed of the soak's own key choices");
  cli.add_option("--opening", openingPath, "A script flown first (its seed is the game's)")
      ->check(CLI::ExistingFile);
  cli.add_option("--program-folder", programFolder, "Folder holding hs.pak")
      ->required()
      ->check(CLI::ExistingDirectory);
  cli.add_option("--data-dir", dataFolder, "Scratch folder for the score table")->required();
  cli.add_option("--script", scriptPath, "The input script to write")->required();
  cli.add_option("--trace", tracePath, "Also write the trace the replay must reproduce");
  CLI11_PARSE(cli, argc, argv);

  InputScript opening;
  uint64_t gameSeed = 1;
  if (!openingPath.empty()) {
    try {
      opening = LoadInputScript(openingPath);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "soakgen: %s\n", e.what());
      return 2;
    }
    if (opening.seed) gameSeed = *opening.seed;
  }

  std::unique_ptr<std::FILE, int (*)(std::FILE*)> trace(nullptr, std::fclose);
  if (!tracePath.empty()) {
    trace.reset(std::fopen(tracePath.c_str(), "wb"));
    if (!trace) {
      std::fprintf(stderr, "soakgen: %s: cannot write the trace\n", tracePath.c_str());
      return 2;
    }
  }

  std::error_code ec;
  std::filesystem::create_directories(dataFolder, ec);
  ScoreStorePaths paths;
  paths.programFolder = programFolder;
  paths.dataFolder = dataFolder;
  paths.headless = true;
  std::unique_ptr<ScoreBoard> scores = CreateFileScoreBoard(paths);

  QuietEngine engine;
  Random random(gameSeed);
  Game game(engine, scores.get(), random);
  SoakDirector director(game, seed, openingPath.empty() ? nullptr : &opening);
  engine.keysForPass = [&director](int64_t pass) { return director.Next(pass); };

  InputRecorder recorder(gameSeed);
  AppOptions options;
  options.programFolder = programFolder;
  options.waitForLogo = false;
  options.recorder = &recorder;
  options.trace = trace.get();
  options.maxPasses = passes;
  const int status = Main(game, options);
  if (status != 0) {
    std::fprintf(stderr, "soakgen: the game ended with status %d\n", status);
    return 1;
  }
  PrintTally(director.Tally(), passes);

  std::ofstream out(scriptPath, std::ios::binary | std::ios::trunc);
  out << "# Soak: " << passes << " passes of seeded random keys (soak seed " << seed
      << "), written by tools/soakgen.\n"
      << recorder.Text();
  out.close();
  if (!out) {
    std::fprintf(stderr, "soakgen: %s: cannot write the script\n", scriptPath.c_str());
    return 1;
  }
  if (trace && std::fflush(trace.get()) != 0) {
    std::fprintf(stderr, "soakgen: %s: cannot write the trace\n", tracePath.c_str());
    return 1;
  }
  return 0;
}
