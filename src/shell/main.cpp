// The command line: plays, replays, records and tests the same game.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "components/media/sdl/platform_paths.h"
#include "components/scores/file_score_board.h"
#include "components/media/sdl/sdl_engine.h"
#include "core/game.h"
#include "core/input_script.h"
#include "core/random.h"
#include "scores/scores.h"
#include "shell/app.h"
#include "shell/settings.h"

namespace fs = std::filesystem;

namespace {

// A build tree or a portable install keeps files/ beside the executable; an
// installed one keeps it in ../share/kestrevan.
std::string FindProgramFolder(const std::string& exeFolder) {
  std::error_code ec;
  if (fs::is_directory(fs::path(exeFolder) / "files", ec)) return exeFolder;
  const fs::path shared = fs::path(exeFolder) / ".." / "share" / "kestrevan";
  if (fs::is_directory(shared / "files", ec)) return fs::weakly_canonical(shared, ec).string();
  return exeFolder;
}

std::string FindSettings(const std::string& programFolder) {
  std::error_code ec;
  const fs::path beside = fs::path(programFolder) / "setup.ini";
  if (fs::is_regular_file(beside, ec)) return beside.string();
  const fs::path user = fs::path(UserConfigFolder()) / "setup.ini";
  if (fs::is_regular_file(user, ec)) return user.string();
  return {};
}

bool WriteTextFile(const std::string& path, const std::string& text) {
  const std::string tmp = path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    out.flush();
    if (!out) return false;
  }
  std::error_code ec;
  fs::rename(tmp, path, ec);
  return !ec;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App cli{"Kestrevan 1.05: land on all three pads, then send the data."};
  cli.set_version_flag("--version", "Kestrevan 1.05");

  bool headless = false, windowed = false, fullscreen = false, mute = false, verbose = false;
  bool vsync = false, integerScale = false;
  std::string windowSize, frameHashPath;
  int fps = 60;
  std::optional<uint64_t> seed;
  std::string inputPath, recordPath, tracePath, screenshotDir, dataDir, frameLogPath;
  int64_t frames = 0;
  std::vector<int64_t> screenshotAt;
  std::vector<std::string> decodeImage;
  bool printScores = false;

  cli.add_flag("--headless", headless, "No window and no sound: software frames, unpaced");
  cli.add_flag("--windowed", windowed, "Play in a 640 x 480 window (overrides setup.ini)");
  cli.add_flag("--fullscreen", fullscreen, "Play full screen (overrides setup.ini)")
      ->excludes("--windowed");
  cli.add_flag("--mute", mute, "No sound (as if Sound_On were False)");
  cli.add_flag("--verbose", verbose, "Print each setting and what it decided");
  cli.add_flag("--vsync", vsync, "Pace frames by the display's vertical sync");
  cli.add_flag("--integer-scale", integerScale,
               "Scale the picture by whole numbers only (overrides setup.ini's IntegerScale)");
  cli.add_option("--window-size", windowSize, "The window's first size, WxH (default 640x480)")
      ->check([](const std::string& text) {
        int w = 0, h = 0;
        char tail = 0;
        if (std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &tail) != 2 || w < 160 || h < 120 ||
            w > 16384 || h > 16384)
          return std::string("expected WxH between 160x120 and 16384x16384");
        return std::string();
      });
  cli.add_option("--fps", fps, "Frames per second (0 = as fast as possible)")
      ->check(CLI::Range(0, 1000));
  cli.add_option("--seed", seed, "Seed of the random generator (a seed and a script replay a flight)");
  cli.add_option("--input", inputPath, "Replay the keys of an input script")
      ->check(CLI::ExistingFile);
  cli.add_option("--record", recordPath, "Write the keys of this session as an input script");
  cli.add_option("--trace", tracePath, "Write one CSV row of game state per frame");
  cli.add_option("--frames", frames, "Stop after this many frames")->check(CLI::PositiveNumber);
  cli.add_option("--screenshot-at", screenshotAt, "Save the frames shown in these passes as PNG")
      ->delimiter(',')
      ->check(CLI::PositiveNumber);
  cli.add_option("--screenshot-dir", screenshotDir, "Folder for --screenshot-at pictures");
  cli.add_option("--data-dir", dataDir, "Folder for the score table (default: the user's data folder)");
  cli.add_option("--frame-log", frameLogPath,
                 "Write the moment of each presented frame (steady-clock nanoseconds), one a line");
  cli.add_option("--frame-hashes", frameHashPath,
                 "Write a fingerprint of each finished frame (\"pass hash\"), one a line");
  cli.add_flag("--print-scores", printScores, "Print the score table and exit");
  cli.add_option("--decode-image", decodeImage,
                 "Decode a picture the game can load and write it as PNG, then exit")
      ->expected(2);
  CLI11_PARSE(cli, argc, argv);

  if (!decodeImage.empty()) {
    try {
      DecodeImageToPng(decodeImage[0], decodeImage[1]);
      return 0;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "kestrevan: %s\n", e.what());
      return 1;
    }
  }
  if (!screenshotAt.empty() && screenshotDir.empty()) {
    std::fprintf(stderr, "kestrevan: --screenshot-at needs --screenshot-dir\n");
    return 2;
  }

  InputScript script;
  if (!inputPath.empty()) {
    try {
      script = LoadInputScript(inputPath);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "kestrevan: %s\n", e.what());
      return 2;
    }
  }

  // A seed on the command line wins over the script's; without either, the
  // clock picks one, and a recording keeps it so the flight can be replayed.
  uint64_t usedSeed = 0;
  if (seed) {
    usedSeed = *seed;
  } else if (script.seed) {
    usedSeed = *script.seed;
  } else {
    usedSeed = static_cast<uint64_t>(
        std::chrono::steady_clock::now().time_since_epoch().count() ^
        std::chrono::system_clock::now().time_since_epoch().count());
  }

  std::unique_ptr<std::FILE, int (*)(std::FILE*)> trace(nullptr, std::fclose);
  if (!tracePath.empty()) {
    trace.reset(std::fopen(tracePath.c_str(), "wb"));
    if (!trace) {
      std::fprintf(stderr, "kestrevan: %s: cannot write the trace\n", tracePath.c_str());
      return 2;
    }
  }

  const std::string programFolder = FindProgramFolder(ExecutableFolder());

  ScoreStorePaths scorePaths;
  scorePaths.programFolder = programFolder;
  scorePaths.dataFolder = dataDir.empty() ? UserDataFolder() : dataDir;
  scorePaths.headless = headless;
  std::unique_ptr<ScoreBoard> scores = CreateFileScoreBoard(scorePaths);

  if (printScores) {
    // The table as the game would open it, restored from the package when
    // missing, one row a line as the score screen words it.
    try {
      scores->SetOption(50);
      if (!scores->FileExists("hs.ini")) {
        scores->OpenPackage("hs.pak", 0, "Open File", 0);
        scores->ExtractPackage(0);
      }
    } catch (const ComponentError& e) {
      std::fprintf(stderr, "kestrevan: %s\n", e.what());
    }
    try {
      scores->OpenTable("hs.ini", 10, 0);
      for (int16_t row = 1; row <= 10; ++row)
        if (scores->GetScore(row) > 0)
          std::printf("%s\n", ScoreRowText(row, scores->GetScore(row), scores->GetName(row)).c_str());
      return 0;
    } catch (const ComponentError& e) {
      std::fprintf(stderr, "kestrevan: %s\n", e.what());
      return 1;
    }
  }

  const std::string settingsPath = FindSettings(programFolder);
  SdlEngineOptions engineOptions;
  engineOptions.smooth = ReadSwitch(settingsPath, "Smooth", true, verbose);
  engineOptions.integerScale =
      integerScale || ReadSwitch(settingsPath, "IntegerScale", false, verbose);
  if (!windowSize.empty()) {
    std::sscanf(windowSize.c_str(), "%dx%d", &engineOptions.windowWidth, &engineOptions.windowHeight);
  }
  engineOptions.frameHashPath = frameHashPath;
  engineOptions.headless = headless;
  engineOptions.vsync = vsync;
  engineOptions.fps = fps;
  engineOptions.mute = mute;
  engineOptions.screenshotPasses = screenshotAt;
  engineOptions.screenshotDir = screenshotDir;
  engineOptions.frameLogPath = frameLogPath;
  std::unique_ptr<MediaEngine> engine = CreateSdlEngine(engineOptions);

  Random random(usedSeed);
  Game game(*engine, scores.get(), random);
  InputRecorder recorder(usedSeed);

  AppOptions options;
  options.programFolder = programFolder;
  options.settingsPath = settingsPath;
  if (windowed) options.fullScreen = false;
  if (fullscreen) options.fullScreen = true;
  options.mute = mute;
  options.verbose = verbose;
  options.waitForLogo = !headless;
  options.script = inputPath.empty() ? nullptr : &script;
  options.recorder = recordPath.empty() ? nullptr : &recorder;
  options.trace = trace.get();
  options.maxPasses =
      frames > 0 ? frames : (inputPath.empty() ? 0 : std::max<int64_t>(1, script.TotalPasses()));
  if (verbose) {
    std::fprintf(stderr, "kestrevan: program folder %s\n", programFolder.c_str());
    std::fprintf(stderr, "kestrevan: settings %s\n",
                 options.settingsPath.empty() ? "(none found)" : options.settingsPath.c_str());
    std::fprintf(stderr, "kestrevan: seed %llu\n", static_cast<unsigned long long>(usedSeed));
  }

  const int status = Main(game, options);

  if (!recordPath.empty() && !WriteTextFile(recordPath, recorder.Text())) {
    std::fprintf(stderr, "kestrevan: %s: cannot write the recording\n", recordPath.c_str());
    return status == 0 ? 1 : status;
  }
  return status;
}
