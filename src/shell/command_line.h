#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the command line asked for. Every field starts at what the game does
// when the option is not given.
struct CommandLine {
  bool headless = false;
  bool windowed = false;
  bool fullscreen = false;
  bool mute = false;
  bool verbose = false;
  bool vsync = false;
  bool integerScale = false;
  int windowWidth = 0;  // --window-size; 0 = the engine's own first size
  int windowHeight = 0;
  int fps = 60;
  std::optional<uint64_t> seed;
  std::string inputPath;
  std::string recordPath;
  std::string tracePath;
  int64_t frames = 0;  // 0 = no limit
  std::vector<int64_t> screenshotAt;
  std::string screenshotDir;
  std::string dataDir;  // "" = the user's data folder
  std::string frameLogPath;
  std::string frameHashPath;
  bool printScores = false;
  std::string verifyPath;                // --verify REPLAY
  std::string watchPath;                 // --watch REPLAY
  std::string ghostPath;                 // --ghost REPLAY
  std::string exportPath;                // --export; "" = not asked, "-" = standard output
  int exportEntry = 0;                   // --entry, row 1 to 10; 0 = the best row with a replay
  std::vector<std::string> decodeImage;  // --decode-image FROM TO; empty = not asked
};

// Reads the command line into `options`. Returns the exit status when the
// program is done already: --help and --version answered, or the command
// line refused with its reason on stderr.
std::optional<int> ParseCommandLine(int argc, char** argv, CommandLine& options);
