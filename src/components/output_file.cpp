#include "components/output_file.h"

#include <cerrno>
#include <system_error>

#include "components/scores/safe_file.h"
#include "core/log.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::string Reason(int code) { return std::generic_category().message(code); }

// A path that exists and is neither a plain file nor a folder: a pipe, a
// terminal, /dev/stdout. Such a thing is written into, never replaced.
bool IsStream(const std::string& path) {
#ifdef _WIN32
  return false;
#else
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
#endif
}

}  // namespace

std::string CloseOutput(std::FILE* file) {
  errno = 0;
  const bool flushed = std::fflush(file) == 0;
  const int flushError = errno;
  // The error flag stays set after any earlier write that failed.
  const bool clean = std::ferror(file) == 0;
  errno = 0;
  const bool closed = std::fclose(file) == 0;
  const int closeError = errno;
  if (flushed && clean && closed) return {};
  const int code = !flushed ? flushError : !closed ? closeError : 0;
  return code != 0 ? Reason(code) : "a write failed";
}

std::string CheckOutputPath(const std::string& path) {
#ifdef _WIN32
  return {};
#else
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return "is a folder";
    if (!S_ISREG(info.st_mode)) return {};
    if (::access(path.c_str(), W_OK) != 0) return Reason(errno);
  } else if (errno != ENOENT) {
    return Reason(errno);
  }
  // A new file, or one replaced by a save, is made in the folder.
  std::string target;
  try {
    target = FollowLinks(path);
  } catch (const SaveError& e) {
    return e.what();
  }
  const std::string folder = FolderOf(target);
  if (::access(folder.c_str(), W_OK | X_OK) != 0)
    return "cannot write in " + folder + ": " + Reason(errno);
  return {};
#endif
}

std::string WriteOutputFile(const std::string& path, const std::string& bytes) {
  if (IsStream(path)) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return Reason(errno);
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
      const int code = errno;
      std::fclose(file);
      return Reason(code);
    }
    return CloseOutput(file);
  }
  try {
    const std::string warning = SaveFileSafely(SystemFileOps(), path, bytes);
    if (!warning.empty()) LogLine(warning);
    return {};
  } catch (const SaveError& e) {
    return e.what();
  }
}
