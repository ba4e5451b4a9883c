#include "shell/command_line.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>

namespace {

// CLI11's own range checks word their bounds as 300-digit numbers; these say
// what a player can type.
std::function<std::string(const std::string&)> WholeNumber(long long low, long long high) {
  return [low, high](const std::string& text) -> std::string {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error == std::errc() && stop == end && value >= low && value <= high) return {};
    if (high == std::numeric_limits<long long>::max())
      return "must be a whole number, " + std::to_string(low) + " or more";
    return "must be a whole number from " + std::to_string(low) + " to " + std::to_string(high);
  };
}

// A seed is any number a 64-bit generator takes, and nothing it would
// quietly wrap round.
std::string CheckSeed(const std::string& text) {
  uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error == std::errc() && stop == end) return {};
  return "must be a whole number from 0 to " + std::to_string(std::numeric_limits<uint64_t>::max());
}

bool ReadWindowSize(const std::string& text, int& width, int& height) {
  char tail = 0;
  return std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &tail) == 2 && width >= 160 &&
         height >= 120 && width <= 16384 && height <= 16384;
}

}  // namespace

std::optional<int> ParseCommandLine(int argc, char** argv, CommandLine& o) {
  CLI::App cli{"Kestrevan 1.05: land on all three pads, then send the data."};
  cli.set_version_flag("--version", "Kestrevan 1.05");

  std::string windowSize;

  cli.add_flag("--headless", o.headless, "No window and no sound: software frames, unpaced");
  cli.add_flag("--windowed", o.windowed, "Play in a 640 x 480 window (overrides setup.ini)");
  cli.add_flag("--fullscreen", o.fullscreen, "Play full screen (overrides setup.ini)")
      ->excludes("--windowed");
  cli.add_flag("--mute", o.mute, "No sound (as if Sound_On were False)");
  cli.add_flag("--verbose", o.verbose,
               "Print each setting and what it decided, and the sound libraries' own notes");
  cli.add_flag("--vsync", o.vsync, "Pace frames by the display's vertical sync");
  cli.add_flag("--integer-scale", o.integerScale,
               "Scale the picture by whole numbers only (overrides setup.ini's IntegerScale)");
  cli.add_option("--window-size", windowSize, "The window's first size, WxH (default 640x480)")
      ->check([](const std::string& text) {
        int w = 0, h = 0;
        return ReadWindowSize(text, w, h)
                   ? std::string()
                   : std::string("expected WxH between 160x120 and 16384x16384");
      });
  cli.add_option("--fps", o.fps, "Frames per second (0 = as fast as possible)")
      ->check(WholeNumber(0, 1000));
  cli.add_option("--seed", o.seed,
                 "Seed of the random generator (a seed and a script replay a flight)")
      ->check(CheckSeed);
  cli.add_option("--input", o.inputPath, "Replay the keys of an input script")
      ->check(CLI::ExistingFile);
  cli.add_option("--record", o.recordPath, "Write the keys of this session as an input script");
  cli.add_option("--trace", o.tracePath, "Write one CSV row of game state per frame");
  cli.add_option("--frames", o.frames, "Stop after this many frames")
      ->check(WholeNumber(1, std::numeric_limits<long long>::max()));
  cli.add_option("--screenshot-at", o.screenshotAt,
                 "Save the frames shown in these passes as PNG into --screenshot-dir")
      ->delimiter(',')
      ->check(WholeNumber(1, std::numeric_limits<long long>::max()));
  cli.add_option("--screenshot-dir", o.screenshotDir, "Folder for --screenshot-at pictures");
  cli.add_option("--data-dir", o.dataDir,
                 "Folder for the score table (default: the user's data folder)");
  cli.add_option("--frame-log", o.frameLogPath,
                 "Write the moment of each presented frame (steady-clock nanoseconds), one a line");
  cli.add_option("--frame-hashes", o.frameHashPath,
                 "Write a fingerprint of each finished frame (\"pass hash\"), one a line");
  cli.add_flag("--print-scores", o.printScores, "Print the score table and exit");
  cli.add_option("--verify", o.verifyPath,
                 "Fly a replay at full speed, say whether it wins in the time it claims, and exit")
      ->check(CLI::ExistingFile);
  cli.add_option("--watch", o.watchPath, "Show a replay's round (any key leaves)")
      ->check(CLI::ExistingFile)
      ->excludes("--input")
      ->excludes("--record");
  cli.add_option("--ghost", o.ghostPath,
                 "Race a replay: its craft flies each round beside yours, translucent")
      ->check(CLI::ExistingFile)
      ->excludes("--watch");
  CLI::Option* exportOption = cli.add_option(
      "--export", o.exportPath,
      "Write the replay of an entry in the score table to FILE (- for standard output), then exit");
  cli.add_option("--entry", o.exportEntry,
                 "The row (1 to 10) --export writes (default: the best row with a replay)")
      ->check(WholeNumber(1, 10))
      ->needs(exportOption);
  cli.add_option("--decode-image", o.decodeImage,
                 "Decode a picture the game can load and write it as PNG, then exit")
      ->expected(2);
  try {
    cli.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // --help and --version end here with 0; every refusal is a usage error.
    return cli.exit(e) == 0 ? 0 : 2;
  }

  if (!windowSize.empty()) ReadWindowSize(windowSize, o.windowWidth, o.windowHeight);
  // A decode needs nothing else, so nothing else is checked.
  if (o.decodeImage.empty() && !o.screenshotAt.empty() && o.screenshotDir.empty()) {
    std::fprintf(stderr, "kestrevan: --screenshot-at needs --screenshot-dir\n");
    return 2;
  }
  return std::nullopt;
}
