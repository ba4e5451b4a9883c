// Every sleep of the program hands the time to the browser. Without
// threads, emscripten's own nanosleep spins the page's only thread: the
// logo's one-second wait or a score save's retry would freeze the page and
// keep it from painting. ASYNCIFY lets the C++ stack wait where it is.
#include <emscripten.h>

#include <cerrno>
#include <ctime>

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
