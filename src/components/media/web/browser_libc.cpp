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

// The score folder is kept in the browser's IndexedDB (the page mounts it),
// and fsync is where a save waits for it to be stored, as on a disk.
// Emscripten's own fsync stores it too, but drops the browser's refusal and
// answers success; a save must fail (and say so) instead, so it is done
// here. Other files, in memory only, have nothing to store.
extern "C" int fsync(int fd) {
  const int started = EM_ASM_INT(
      {
        var stream = FS.getStream($0);
        if (!stream) return -1;
        var mount = stream.node.mount;
        if (!mount.type.syncfs) return 0;
        Module.fsyncState = 0;
        mount.type.syncfs(
            mount, false, function(err) { Module.fsyncState = err ? -1 : 1; });
        return 1;
      },
      fd);
  if (started < 0) {
    errno = EBADF;
    return -1;
  }
  if (started == 0) return 0;
  // A browser that never answers must not hold the game forever.
  for (int waited = 0; waited < 10000; waited += 5) {
    const int state = EM_ASM_INT({ return Module.fsyncState; });
    if (state > 0) return 0;
    if (state < 0) break;
    emscripten_sleep(5);
  }
  errno = EIO;
  return -1;
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
