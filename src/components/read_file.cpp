#include "components/read_file.h"

#include <algorithm>
#include <system_error>

#ifdef _WIN32
#include <filesystem>
#include <fstream>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

ReadResult Refused(ReadStatus status, const std::string& problem) {
  ReadResult result;
  result.status = status;
  result.problem = problem;
  return result;
}

// The bytes read so far, judged against the limit.
ReadResult Finished(std::string bytes, size_t limit) {
  ReadResult result;
  result.status = bytes.size() > limit ? ReadStatus::kTooLarge : ReadStatus::kOk;
  if (bytes.size() > limit) result.problem = "is larger than " + std::to_string(limit) + " bytes";
  result.bytes = std::move(bytes);
  return result;
}

}  // namespace

#ifdef _WIN32
ReadResult ReadSmallFile(const std::string& path, size_t limit) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status status = fs::status(fs::u8path(path), ec);
  if (status.type() == fs::file_type::not_found)
    return Refused(ReadStatus::kMissing, "does not exist");
  if (status.type() != fs::file_type::regular) {
    return Refused(ReadStatus::kNotAFile, status.type() == fs::file_type::directory
                                              ? "is a folder, not a file"
                                              : "is not a regular file");
  }
  std::ifstream in(fs::u8path(path), std::ios::binary);
  if (!in) return Refused(ReadStatus::kUnreadable, "cannot be opened for reading");
  std::string bytes(limit + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) return Refused(ReadStatus::kFailed, "cannot be read");
  bytes.resize(static_cast<size_t>(in.gcount()));
  return Finished(std::move(bytes), limit);
}
#else
ReadResult ReadSmallFile(const std::string& path, size_t limit) {
  // O_NONBLOCK: opening a pipe would otherwise wait for a writer forever.
  // What is open is then checked, not what the name showed a moment before.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    const std::error_code ec(errno, std::generic_category());
    if (ec == std::errc::no_such_file_or_directory)
      return Refused(ReadStatus::kMissing, "does not exist");
    if (ec == std::errc::too_many_symbolic_link_levels)
      return Refused(ReadStatus::kFailed, "is a loop of symbolic links");
    const bool denied =
        ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted;
    return Refused(denied ? ReadStatus::kUnreadable : ReadStatus::kFailed,
                   "cannot be read: " + ec.message());
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return Refused(ReadStatus::kNotAFile,
                   S_ISDIR(info.st_mode) ? "is a folder, not a file" : "is not a regular file");
  }
  // Sized by the file, one byte past the limit at most; the file may still
  // grow while it is read, so the buffer grows with it up to that byte.
  const size_t cap = limit + 1;
  std::string bytes(std::min(cap, static_cast<size_t>(std::max<off_t>(info.st_size, 0)) + 1), '\0');
  size_t got = 0;
  for (;;) {
    if (got == bytes.size()) {
      if (bytes.size() == cap) break;
      bytes.resize(std::min(cap, bytes.size() * 2));
    }
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const std::error_code ec(errno, std::generic_category());
      ::close(fd);
      return Refused(ReadStatus::kFailed, "cannot be read: " + ec.message());
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  bytes.resize(got);
  return Finished(std::move(bytes), limit);
}
#endif
