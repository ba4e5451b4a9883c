// The command line: plays, replays, records and tests the same game.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#ifndef _WIN32
#include <fcntl.h>
#endif

#include "components/media/pad_codes.h"
#include "components/media/sdl/platform_paths.h"
#include "components/output_file.h"
#include "components/read_file.h"
#include "components/media/sdl/sdl_engine.h"
#include "components/scores/file_score_board.h"
#include "components/scores/replay_store.h"
#include "components/scores/safe_file.h"
#include "core/game.h"
#include "core/input_script.h"
#include "core/log.h"
#include "core/random.h"
#include "replay/ghost_race.h"
#include "replay/replay_file.h"
#include "replay/replay_round.h"
#include "replay/round_recorder.h"
#include "scores/scores.h"
#include "shell/app.h"
#include "shell/command_line.h"
#include "shell/replay_keeping_board.h"
#include "shell/score_start.h"
#include "shell/key_bindings.h"
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

// The first setup.ini that reads. A build tree or a portable install keeps
// its own beside the program, and that one is the player's to edit; an
// installed game's copy in share/kestrevan only holds the shipped defaults,
// which the player's own file overrides. One that is there but cannot be
// read is said once, and the next is tried.
std::string FindSettings(const std::string& programFolder, bool installed) {
  const std::string userFolder = UserConfigFolder();
  const std::string first = installed ? userFolder : programFolder;
  const std::string second = installed ? programFolder : userFolder;
  for (const std::string& folder : {first, second}) {
    if (folder.empty()) continue;
    const std::string path = (fs::path(folder) / "setup.ini").string();
    // One byte is enough to know it reads.
    const ReadResult file = ReadSmallFile(path, 1);
    if (file.status == ReadStatus::kOk || file.status == ReadStatus::kTooLarge) return path;
    if (file.status != ReadStatus::kMissing) LogLine(path + " " + file.problem + "; not used");
  }
  return {};
}

// A standard stream closed by whoever started the game (`kestrevan 2>&-`)
// would pass its number to the next file opened, and a message meant for
// stderr would land in a trace or a score table.
void ReopenClosedStandardStreams() {
#ifndef _WIN32
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number is this one, as those below are open by now.
    ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
  }
#endif
}

int DecodeImage(const std::string& from, const std::string& to) {
  try {
    DecodeImageToPng(from, to);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kestrevan: %s\n", e.what());
    return 1;
  }
}

std::unique_ptr<FileScoreBoard> CreateScoreStore(const CommandLine& line,
                                                 const std::string& programFolder) {
  ScoreStorePaths paths;
  paths.programFolder = programFolder;
  paths.dataFolder = line.dataDir.empty() ? UserDataFolder() : line.dataDir;
  paths.headless = line.headless;
  return std::make_unique<FileScoreBoard>(paths, SystemFileOps());
}

// The table as the game opens it, one row a line as the score screen words it.
int PrintScores(ScoreBoard& scores) {
  PrepareScoreStore(scores);
  try {
    OpenScoreTable(scores);
    for (int16_t row = 1; row <= 10; ++row)
      if (scores.GetScore(row) > 0)
        std::printf("%s\n", ScoreRowText(row, scores.GetScore(row), scores.GetName(row)).c_str());
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
      std::fprintf(stderr, "kestrevan: cannot write the score table to standard output\n");
      return 1;
    }
    return 0;
  } catch (const ComponentError& e) {
    std::fprintf(stderr, "kestrevan: %s\n", e.what());
    return 1;
  }
}

// The replay of one entry (the best one that has a replay unless a row is
// named), written out whole; nothing is written when there is none.
int ExportReplay(const CommandLine& line, FileScoreBoard& scores) {
  PrepareScoreStore(scores);
  try {
    OpenScoreTable(scores);
    const ReplayStore replays(scores.TablePath(), SystemFileOps());
    const std::optional<StoredReplay> found =
        line.exportEntry > 0 ? ReplayOfRow(scores, replays, static_cast<int16_t>(line.exportEntry))
                             : BestReplay(scores, replays);
    if (!found) {
      if (line.exportEntry > 0)
        std::fprintf(stderr, "kestrevan: row %d of the score table has no replay\n",
                     line.exportEntry);
      else
        std::fprintf(stderr, "kestrevan: no entry in the score table has a replay\n");
      return 1;
    }
    const std::string to = line.exportPath == "-" ? "/dev/stdout" : line.exportPath;
    if (const std::string reason = WriteOutputFile(to, ReplayText(found->replay));
        !reason.empty()) {
      std::fprintf(stderr, "kestrevan: %s: cannot write the replay: %s\n", line.exportPath.c_str(),
                   reason.c_str());
      return 1;
    }
    return 0;
  } catch (const ComponentError& e) {
    std::fprintf(stderr, "kestrevan: %s\n", e.what());
    return 1;
  }
}

// A seed on the command line wins over the script's; without either, the
// clock picks one, and a recording keeps it so the flight can be replayed.
uint64_t ChooseSeed(const CommandLine& line, const InputScript& script) {
  if (line.seed) return *line.seed;
  if (script.seed) return *script.seed;
  return static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count() ^
                               std::chrono::system_clock::now().time_since_epoch().count());
}

SdlEngineOptions EngineOptionsFor(const CommandLine& line, const std::string& settingsPath) {
  SdlEngineOptions o;
  o.smooth = ReadSwitch(settingsPath, "Smooth", true, line.verbose);
  o.libraryLogs = line.verbose;
  o.integerScale =
      line.integerScale || ReadSwitch(settingsPath, "IntegerScale", false, line.verbose);
  if (line.windowWidth > 0) {
    o.windowWidth = line.windowWidth;
    o.windowHeight = line.windowHeight;
  }
  o.frameHashPath = line.frameHashPath;
  o.headless = line.headless;
  o.vsync = line.vsync;
  o.fps = line.fps;
  o.mute = line.mute;
  o.screenshotPasses = line.screenshotAt;
  o.screenshotDir = line.screenshotDir;
  o.frameLogPath = line.frameLogPath;
  o.rumble = ReadSwitch(settingsPath, "Rumble", true, line.verbose);
  o.keyBindings = ReadKeyBindings(settingsPath);
  if (const std::string config = UserConfigFolder(); !config.empty())
    o.controllerMappings = (fs::path(config) / "gamecontrollerdb.txt").string();
  return o;
}

// Checks a replay the way anyone can: fly it and compare. The verdict is the
// answer asked for, so it goes to standard output either way.
int VerifyFile(const std::string& path) {
  Replay replay;
  try {
    replay = LoadReplay(path);
  } catch (const ReplayError& e) {
    std::fprintf(stderr, "kestrevan: %s\n", e.what());
    return 1;
  }
  const ReplayVerdict verdict = VerifyReplay(replay);
  std::printf("%s\n", verdict.line.c_str());
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "kestrevan: cannot write the verdict to standard output\n");
    return 1;
  }
  return verdict.passed ? 0 : 1;
}

// A replay asked for on the command line, or nullopt with the reason said.
std::optional<Replay> ReplayArgument(const std::string& path) {
  try {
    return LoadReplay(path);
  } catch (const ReplayError& e) {
    std::fprintf(stderr, "kestrevan: %s\n", e.what());
    return std::nullopt;
  }
}

// A replay given where a session script belongs reads as nonsense at its
// rules line; say what it is instead.
void ExplainScriptError(const std::string& path, const std::exception& e) {
  const ReadResult file = ReadSmallFile(path, 1u << 20);
  if ((file.status == ReadStatus::kOk || file.status == ReadStatus::kTooLarge) &&
      LooksLikeReplay(file.bytes)) {
    std::fprintf(stderr,
                 "kestrevan: %s: a replay of one round, not a session script: watch it with "
                 "--watch or check it with --verify\n",
                 path.c_str());
    return;
  }
  std::fprintf(stderr, "kestrevan: %s\n", e.what());
}

int PlayGame(const CommandLine& line, const std::string& programFolder, FileScoreBoard& table) {
  InputScript script;
  if (!line.inputPath.empty()) {
    try {
      script = LoadInputScript(line.inputPath);
    } catch (const std::exception& e) {
      ExplainScriptError(line.inputPath, e);
      return 2;
    }
  }
  std::optional<Replay> watch, ghostReplay;
  if (!line.watchPath.empty() && !(watch = ReplayArgument(line.watchPath))) return 2;
  if (!line.ghostPath.empty() && !(ghostReplay = ReplayArgument(line.ghostPath))) return 2;
  const uint64_t seed = ChooseSeed(line, script);

  // Outputs are checked before the run: a flight flown for nothing is worse
  // than a refusal at the start.
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> trace(nullptr, std::fclose);
  if (!line.tracePath.empty()) {
    trace.reset(std::fopen(line.tracePath.c_str(), "wb"));
    if (!trace) {
      std::fprintf(stderr, "kestrevan: %s: cannot write the trace: %s\n", line.tracePath.c_str(),
                   std::strerror(errno));
      return 1;
    }
  }
  if (!line.recordPath.empty()) {
    if (const std::string reason = CheckOutputPath(line.recordPath); !reason.empty()) {
      std::fprintf(stderr, "kestrevan: %s: cannot write the recording: %s\n",
                   line.recordPath.c_str(), reason.c_str());
      return 1;
    }
  }

  const std::string settingsPath =
      FindSettings(programFolder, /*installed=*/programFolder != ExecutableFolder());
  int failedOutputs = 0;
  SdlEngineOptions engineOptions = EngineOptionsFor(line, settingsPath);
  engineOptions.failedOutputs = &failedOutputs;
  for (const InputSegment& s : script.segments) engineOptions.scriptHasPad |= PadPart(s.keys).any();
  std::unique_ptr<MediaEngine> engine = CreateSdlEngine(engineOptions);
  Random random(seed);
  // Each won entry keeps the replay of its round beside the table.
  RoundRecorder rounds;
  ReplayStore replays(table.TablePath(), SystemFileOps());
  ReplayKeepingBoard scores(table, replays, rounds);
  // A watched round is nobody's entry: its win asks a table of its own.
  const std::unique_ptr<ScoreBoard> noScores = NoScoreTable();
  Game game(*engine, watch ? noScores.get() : &scores, random);
  InputRecorder recorder(seed);

  AppOptions options;
  options.programFolder = programFolder;
  options.settingsPath = settingsPath;
  if (line.windowed) options.fullScreen = false;
  if (line.fullscreen) options.fullScreen = true;
  options.mute = line.mute;
  options.verbose = line.verbose;
  options.waitForLogo = !line.headless;
  options.script = line.inputPath.empty() ? nullptr : &script;
  options.recorder = line.recordPath.empty() ? nullptr : &recorder;
  options.trace = trace.get();
  options.rounds = &rounds;
  std::optional<GhostRace> ghost;
  if (ghostReplay) ghost.emplace(*ghostReplay);
  options.ghost = ghost ? &*ghost : nullptr;
  if (!ghost && !watch && ReadGhostBest(settingsPath, line.verbose))
    options.tableGhost = [&table, &replays, &line]() -> std::optional<Replay> {
      const std::optional<StoredReplay> best = BestReplay(table, replays);
      if (line.verbose)
        std::fprintf(stderr, "kestrevan: ghost %s\n",
                     best ? best->path.c_str() : "(no entry in the table has a replay)");
      if (!best) return std::nullopt;
      return best->replay;
    };
  options.watch = watch ? &*watch : nullptr;
  if (line.frames > 0) {
    options.maxPasses = line.frames;
  } else if (!line.inputPath.empty()) {
    options.maxPasses = std::max<int64_t>(1, script.TotalPasses());
  }
  if (line.verbose) {
    std::fprintf(stderr, "kestrevan: program folder %s\n", programFolder.c_str());
    std::fprintf(stderr, "kestrevan: settings %s\n",
                 settingsPath.empty() ? "(none found)" : settingsPath.c_str());
    std::fprintf(stderr, "kestrevan: seed %llu\n", static_cast<unsigned long long>(seed));
  }

  // The engine's own outputs are closed, and counted, by its shutdown.
  int status = Main(game, options);
  if (failedOutputs > 0) status = std::max(status, 1);

  if (trace) {
    if (const std::string reason = CloseOutput(trace.release()); !reason.empty()) {
      std::fprintf(stderr, "kestrevan: %s: cannot write the trace: %s\n", line.tracePath.c_str(),
                   reason.c_str());
      status = std::max(status, 1);
    }
  }
  if (!line.recordPath.empty()) {
    if (const std::string reason = WriteOutputFile(line.recordPath, recorder.Text());
        !reason.empty()) {
      std::fprintf(stderr, "kestrevan: %s: cannot write the recording: %s\n",
                   line.recordPath.c_str(), reason.c_str());
      status = std::max(status, 1);
    }
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  ReopenClosedStandardStreams();
  CommandLine line;
  if (const std::optional<int> status = ParseCommandLine(argc, argv, line)) return *status;
  if (!line.decodeImage.empty()) return DecodeImage(line.decodeImage[0], line.decodeImage[1]);
  if (!line.verifyPath.empty()) return VerifyFile(line.verifyPath);

  const std::string programFolder = FindProgramFolder(ExecutableFolder());
  if (line.dataDir.empty() && UserDataFolder().empty()) {
    std::fprintf(stderr,
                 "kestrevan: cannot tell where your home folder is (HOME is not set); "
                 "name a folder for the score table with --data-dir\n");
    return 1;
  }
  const std::unique_ptr<FileScoreBoard> scores = CreateScoreStore(line, programFolder);
  if (line.printScores) return PrintScores(*scores);
  if (!line.exportPath.empty()) return ExportReplay(line, *scores);
  const int status = PlayGame(line, programFolder, *scores);
  // An entry that is not in the table makes the run a failure, whatever
  // else went well: a script or a player must not take it as saved.
  return scores->FinishSaving() ? status : std::max(status, 1);
}
