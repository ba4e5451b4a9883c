// Where emscripten's C library, in a page with one thread, would go against
// the game: fixed here for the whole program, so no game code needs to know.
#include <emscripten.h>
#include <sys/stat.h>

#include <cerrno>
#include <ctime>

// Every sleep hands the time to the browser. Without threads, emscripten's
// own nanosleep spins the page's only thread: the logo's one-second wait or
// a score save's retry would freeze the page and keep it from painting.
// ASYNCIFY lets the C++ stack wait where it is.
extern "C" int nanosleep(const struct timespec* request, struct timespec* remaining) {
  if (!request || request->tv_nsec < 0 || request->tv_nsec > 999999999L || request->tv_sec < 0) {
    errno = EINVAL;
    return -1;
  }
  const double ms =
      static_cast<double>(request->tv_sec) * 1000.0 + static_cast<double>(request->tv_nsec) / 1e6;
  emscripten_sleep(static_cast<unsigned>(ms));
  if (remaining) *remaining = {};
  return 0;
}

namespace {

// Emscripten starts with every permission bit masked (umask 0777), so a
// saved score table would come out with no rights at all and fail to read
// back. A desktop's usual mask instead.
const bool kUsualMask = [] {
  ::umask(022);
  return true;
}();

}  // namespace
