// Launches the game a number of times and reports, per launch, how long it
// took until the first frame (the logo) and the second (the first menu frame,
// drawn as soon as loading ends when there is no logo wait) were presented,
// and until the process was gone. The game writes its present moments on the
// steady clock with --frame-log; this probe reads the same clock before it
// starts the child, so both ends of each interval come from one clock.
//
//   startup_probe RUNS LOG_FILE [PAUSE_MS] -- GAME [ARGS...]
//
// PAUSE_MS (default 500) is a rest before each launch: a game that has just
// ended is still being torn down for a while (its memory returned, its
// window taken down by the X server), and a player's launch does not follow
// another one within milliseconds.
//
// prints one line per run: "logo_ms loaded_ms exit_ms" (-1 when the game
// logged fewer frames), and exits 1 if a run failed.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::vector<int64_t> ReadLog(const std::string& path) {
  std::vector<int64_t> moments;
  std::ifstream in(path);
  long long value = 0;
  while (in >> value) moments.push_back(value);
  return moments;
}

}  // namespace

int main(int argc, char** argv) {
  const bool paused = argc >= 6 && std::strcmp(argv[4], "--") == 0;
  const int gameAt = paused ? 5 : 4;
  if (argc < gameAt + 1 || std::strcmp(argv[gameAt - 1], "--") != 0) {
    std::fprintf(stderr, "usage: startup_probe RUNS LOG_FILE [PAUSE_MS] -- GAME [ARGS...]\n");
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  const std::string log = argv[2];
  const int pauseMs = paused ? std::atoi(argv[3]) : 500;
  std::vector<char*> args(argv + gameAt, argv + argc);
  args.push_back(nullptr);

  for (int run = 0; run < runs; ++run) {
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    std::remove(log.c_str());
    pid_t child = 0;
    const int64_t launch = NowNs();
    if (posix_spawn(&child, args[0], nullptr, nullptr, args.data(), environ) != 0) {
      std::perror(args[0]);
      return 1;
    }
    int status = 0;
    if (waitpid(child, &status, 0) < 0) {
      std::perror("waitpid");
      return 1;
    }
    const int64_t gone = NowNs();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "startup_probe: the game failed (status %d)\n", status);
      return 1;
    }
    const std::vector<int64_t> frames = ReadLog(log);
    auto ms = [&](size_t i) { return i < frames.size() ? (frames[i] - launch) / 1e6 : -1.0; };
    std::printf("%.2f %.2f %.2f\n", ms(0), ms(1), (gone - launch) / 1e6);
  }
  return 0;
}
