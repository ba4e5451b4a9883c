#include "components/scores/safe_file.h"

#include <ctime>
#include <filesystem>
#include <thread>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include <fstream>
#include <random>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

std::string FileNameOf(const std::string& path) { return fs::path(path).filename().string(); }

std::string FolderOf(const std::string& path) {
  const fs::path folder = fs::path(path).parent_path();
  return folder.empty() ? std::string(".") : folder.string();
}

namespace {

#ifdef _WIN32
// Not yet built on Windows: this follows the measured recipe (flush, then a
// write-through replace, retried while a scanner holds the file).
std::wstring Wide(const std::string& utf8) { return fs::u8path(utf8).wstring(); }
std::string RandomLetters() {
  static std::mt19937 random(std::random_device{}());
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string letters(6, 'a');
  for (char& c : letters) c = kLetters[random() % 36];
  return letters;
}
std::error_code LastError() {
  return std::error_code(static_cast<int>(GetLastError()), std::system_category());
}

class WindowsFileOps : public FileOps {
 public:
  std::error_code MakeFolder(const std::string& folder) override {
    std::error_code ec;
    fs::create_directories(fs::u8path(folder), ec);
    return ec;
  }
  std::error_code TryLock(const std::string& path, Handle& handle) override {
    HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastError();
    OVERLAPPED at{};
    if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
      CloseHandle(h);
      return std::make_error_code(std::errc::resource_unavailable_try_again);
    }
    handle = reinterpret_cast<Handle>(h);
    return {};
  }
  void Unlock(Handle handle) override { CloseHandle(reinterpret_cast<HANDLE>(handle)); }
  std::error_code CreateTemp(const std::string& target, std::string& temp,
                             Handle& handle) override {
    for (int attempt = 0;; ++attempt) {
      temp = target + ".tmp-" + RandomLetters();
      // CREATE_NEW: a name that exists already, whatever it is, is not ours.
      HANDLE h = CreateFileW(Wide(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
      if (h != INVALID_HANDLE_VALUE) {
        handle = reinterpret_cast<Handle>(h);
        return {};
      }
      if (GetLastError() != ERROR_FILE_EXISTS || attempt >= 100) return LastError();
    }
  }
  std::error_code Write(Handle handle, const char* data, size_t size, size_t& written) override {
    DWORD done = 0;
    const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    if (!WriteFile(reinterpret_cast<HANDLE>(handle), data, chunk, &done, nullptr))
      return LastError();
    written = done;
    return {};
  }
  std::error_code Flush(Handle handle) override {
    return FlushFileBuffers(reinterpret_cast<HANDLE>(handle)) ? std::error_code() : LastError();
  }
  std::error_code Close(Handle handle) override {
    return CloseHandle(reinterpret_cast<HANDLE>(handle)) ? std::error_code() : LastError();
  }
  std::error_code Replace(const std::string& from, const std::string& to) override {
    for (int attempt = 0;; ++attempt) {
      if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return {};
      }
      const std::error_code ec = LastError();
      if (GetLastError() != ERROR_ACCESS_DENIED || attempt >= 20) return ec;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  // MOVEFILE_WRITE_THROUGH already waited for the rename to reach the disk.
  std::error_code FlushFolder(const std::string&) override { return {}; }
  std::error_code Remove(const std::string& path) override {
    return DeleteFileW(Wide(path).c_str()) ? std::error_code() : LastError();
  }
};
#else
std::error_code Errno() { return std::error_code(errno, std::generic_category()); }

class PosixFileOps : public FileOps {
 public:
  std::error_code MakeFolder(const std::string& folder) override {
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return {};
    const fs::path parent = fs::path(folder).parent_path();
    if (!parent.empty()) {
      fs::create_directories(parent, ec);
      if (ec) return ec;
    }
    // Scores are nobody else's business; 0700 like the other per-user data.
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return Errno();
    // EEXIST may be a file of that name (`--data-dir` naming a file).
    if (!fs::is_directory(folder, ec)) return std::make_error_code(std::errc::not_a_directory);
    return {};
  }
  std::error_code TryLock(const std::string& path, Handle& handle) override {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Errno();
    // flock, not fcntl: it belongs to this open file, so two boards in one
    // process exclude each other too, and the kernel drops it on a crash.
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if (errno == EINTR) continue;
      const std::error_code ec =
          errno == EWOULDBLOCK ? std::make_error_code(std::errc::resource_unavailable_try_again)
                               : Errno();
      ::close(fd);
      return ec;
    }
    handle = fd;
    return {};
  }
  void Unlock(Handle handle) override { ::close(static_cast<int>(handle)); }
  std::error_code CreateTemp(const std::string& target, std::string& temp,
                             Handle& handle) override {
    std::string name = target + ".tmp-XXXXXX";
    // O_CREAT | O_EXCL underneath: an existing name, a link included, is
    // never opened.
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return Errno();
    // mkostemp makes it private; a saved file gets the usual rights, and a
    // private folder keeps it private where it should be.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    temp = name;
    handle = fd;
    return {};
  }
  std::error_code Write(Handle handle, const char* data, size_t size, size_t& written) override {
    ssize_t done = 0;
    do {
      done = ::write(static_cast<int>(handle), data, size);
    } while (done < 0 && errno == EINTR);
    if (done < 0) return Errno();
    written = static_cast<size_t>(done);
    return {};
  }
  std::error_code Flush(Handle handle) override {
    return ::fsync(static_cast<int>(handle)) == 0 ? std::error_code() : Errno();
  }
  std::error_code Close(Handle handle) override {
    // After a failed close the descriptor is gone either way; never retry it.
    return ::close(static_cast<int>(handle)) == 0 ? std::error_code() : Errno();
  }
  std::error_code Replace(const std::string& from, const std::string& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : Errno();
  }
  std::error_code FlushFolder(const std::string& folder) override {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Errno();
    std::error_code ec;
    // Some file systems cannot sync a folder and say so; there is nothing
    // more to do there, so that is no failure.
    if (::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP) ec = Errno();
    ::close(fd);
    return ec;
  }
  std::error_code Remove(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) return Errno();
#ifdef __EMSCRIPTEN__
    // In a page the disk is the browser's IndexedDB, which holds only what
    // an fsync stored (as every save above does). A pending file merged
    // into the table and removed only in memory would come back at the
    // next visit and add its entries twice.
    return FlushFolder(FolderOf(path));
#else
    return {};
#endif
  }
};
#endif

std::string Because(const std::error_code& ec) { return ec.message(); }

}  // namespace

FileOps& SystemFileOps() {
#ifdef _WIN32
  static WindowsFileOps ops;
#else
  static PosixFileOps ops;
#endif
  return ops;
}

std::string FollowLinks(const std::string& path) {
  fs::path at = path;
  // The system's own limit on links in a row is 40.
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(at, ec))) return at.string();
    const fs::path next = fs::read_symlink(at, ec);
    if (ec) return at.string();
    at = next.is_absolute() ? next : at.parent_path() / next;
  }
  throw SaveError(FileNameOf(path) + " is a loop of symbolic links");
}

std::vector<std::string> LeftoverTemps(const std::string& path) {
  std::vector<std::string> found;
  const std::string name = FileNameOf(path) + ".tmp";
  std::error_code ec;
  for (fs::directory_iterator it(FolderOf(path), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string other = it->path().filename().string();
    const bool ours = other == name || (other.size() == name.size() + 7 &&
                                        other.compare(0, name.size() + 1, name + "-") == 0);
    std::error_code kind;
    if (ours && it->symlink_status(kind).type() == fs::file_type::regular)
      found.push_back(it->path().string());
  }
  return found;
}

std::string SaveFileSafely(FileOps& ops, const std::string& path, const std::string& bytes) {
  const std::string target = FollowLinks(path);
  std::string temp;
  FileOps::Handle handle = -1;
  if (const std::error_code ec = ops.CreateTemp(target, temp, handle)) {
    throw SaveError("cannot create a temporary file beside " + FileNameOf(target) + ": " +
                    Because(ec));
  }
  const std::string tempName = FileNameOf(temp);
  const auto giveUp = [&](const std::string& what, const std::error_code& ec, bool open) {
    if (open) ops.Close(handle);
    ops.Remove(temp);
    throw SaveError(what + ": " + Because(ec));
  };
  size_t done = 0;
  while (done < bytes.size()) {
    size_t written = 0;
    std::error_code ec = ops.Write(handle, bytes.data() + done, bytes.size() - done, written);
    // A write that takes nothing and says nothing would loop forever; call it
    // what it almost always is.
    if (!ec && written == 0) ec = std::make_error_code(std::errc::no_space_on_device);
    if (ec) giveUp("cannot write " + tempName, ec, true);
    done += written;
  }
  if (const std::error_code ec = ops.Flush(handle))
    giveUp("cannot flush " + tempName + " to disk", ec, true);
  if (const std::error_code ec = ops.Close(handle)) giveUp("cannot close " + tempName, ec, false);
  if (const std::error_code ec = ops.Replace(temp, target)) {
    giveUp("cannot rename " + tempName + " over " + FileNameOf(target), ec, false);
  }
  if (const std::error_code ec = ops.FlushFolder(FolderOf(target))) {
    return FileNameOf(target) +
           " is saved, but its folder could not be flushed to disk: " + Because(ec);
  }
  return {};
}

SaveLock::SaveLock(FileOps& ops, const std::string& lockPath, std::chrono::milliseconds patience)
    : ops_(ops) {
  const auto giveUpAt = std::chrono::steady_clock::now() + patience;
  for (;;) {
    const std::error_code ec = ops_.TryLock(lockPath, handle_);
    if (!ec) {
      held_ = true;
      return;
    }
    if (ec != std::errc::resource_unavailable_try_again) return;  // no locks here: go on unlocked
    if (std::chrono::steady_clock::now() >= giveUpAt) {
      busy_ = true;
      return;
    }
    // Another copy's save takes milliseconds; wait without spinning.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

SaveLock::~SaveLock() {
  if (held_) ops_.Unlock(handle_);
}

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool IsWritableFileInWritableFolder(const std::string& path) {
  if (!IsRegularFile(path)) return false;
#ifdef _WIN32
  return _waccess(fs::u8path(path).wstring().c_str(), 2) == 0;
#else
  return ::access(path.c_str(), W_OK) == 0 && ::access(FolderOf(path).c_str(), W_OK | X_OK) == 0;
#endif
}

std::string MoveAside(const std::string& path) {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &now);
#else
  gmtime_r(&now, &utc);
#endif
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &utc);
  const std::string base = path + ".bad-" + stamp;
  std::error_code ec;
  for (int n = 1; n <= 100; ++n) {
    const std::string target = n == 1 ? base : base + "-" + std::to_string(n);
    if (fs::symlink_status(target, ec).type() != fs::file_type::not_found) continue;
    fs::rename(path, target, ec);
    if (ec) throw SaveError("cannot move " + FileNameOf(path) + " aside: " + ec.message());
    return target;
  }
  throw SaveError("cannot move " + FileNameOf(path) + " aside: too many earlier bad copies");
}
