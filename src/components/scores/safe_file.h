#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "components/read_file.h"

// Saving a small file so that it holds its old or its new content at every
// moment, whatever happens: a crash, a full disk, a read-only folder.

// The file operations a save is made of, one call per system call, so a test
// can fail any single step (an LD_PRELOAD shim never sees a buffered write).
// Every call returns an empty error code on success.
class FileOps {
 public:
  using Handle = intptr_t;
  virtual ~FileOps() = default;

  // Creates the folder and any missing parents; the folder itself private.
  virtual std::error_code MakeFolder(const std::string& folder) = 0;
  // An exclusive lock on `path` (created if missing), without waiting:
  // std::errc::resource_unavailable_try_again while another holder has it.
  virtual std::error_code TryLock(const std::string& path, Handle& handle) = 0;
  virtual void Unlock(Handle handle) = 0;
  // Creates a new file beside `target` under a name nothing has yet
  // (target's name, ".tmp-" and random letters) and says which in `temp`.
  // Whatever a fixed name might hold (a pipe, a folder, a link someone left)
  // is never opened, followed or emptied.
  virtual std::error_code CreateTemp(const std::string& target, std::string& temp,
                                     Handle& handle) = 0;
  // May write less than `size`; the caller goes on with the rest.
  virtual std::error_code Write(Handle handle, const char* data, size_t size, size_t& written) = 0;
  // Pushes the content to the disk itself (fsync).
  virtual std::error_code Flush(Handle handle) = 0;
  virtual std::error_code Close(Handle handle) = 0;
  // Renames `from` over `to` in one step.
  virtual std::error_code Replace(const std::string& from, const std::string& to) = 0;
  // Pushes the folder's list of names to the disk, so a rename survives a
  // power cut.
  virtual std::error_code FlushFolder(const std::string& folder) = 0;
  virtual std::error_code Remove(const std::string& path) = 0;
};

// The real operating system.
FileOps& SystemFileOps();

class SaveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Writes a temporary file beside `path`, checks every write, flushes it to
// disk, closes it, renames it over `path` and flushes the folder. Throws
// SaveError naming the step and the reason when any step before the rename
// fails; the old file is then untouched and the temporary file removed. A
// failure to flush the folder comes after the new content is in place, so it
// is only returned as a warning (empty when none). When `path` is a symbolic
// link, the file it leads to is replaced and the link stays a link.
std::string SaveFileSafely(FileOps& ops, const std::string& path, const std::string& bytes);

// The file `path` finally leads to through symbolic links (itself when it
// is none, or when what a link names does not exist yet). Throws SaveError
// on a loop of links.
std::string FollowLinks(const std::string& path);

// Plain files an interrupted save of `path` may have left: its temporary
// files, and the fixed-name one older versions wrote.
std::vector<std::string> LeftoverTemps(const std::string& path);

// Holds a lock file while one copy of the game reads, merges and saves, so
// two copies never save over each other. It retries for `patience`, sleeping
// between tries; a file system without locks is saved to unlocked.
class SaveLock {
 public:
  SaveLock(FileOps& ops, const std::string& lockPath, std::chrono::milliseconds patience);
  ~SaveLock();
  SaveLock(const SaveLock&) = delete;
  SaveLock& operator=(const SaveLock&) = delete;
  // Another holder kept the lock for the whole wait.
  bool Busy() const { return busy_; }

 private:
  FileOps& ops_;
  FileOps::Handle handle_ = -1;
  bool held_ = false;
  bool busy_ = false;
};

bool IsRegularFile(const std::string& path);
// A regular file this process may write, in a folder it may write (a portable
// install's score file must allow the rename-over save).
bool IsWritableFileInWritableFolder(const std::string& path);

// "hs.ini" of "/home/ann/.local/share/kestrevan/hs.ini", and its folder
// ("." for a bare name).
std::string FileNameOf(const std::string& path);
std::string FolderOf(const std::string& path);

// Renames `path` to `path`.bad-YYYYMMDD-HHMMSS (UTC; a counter is added when
// that name is taken). Returns the new path, or throws SaveError.
std::string MoveAside(const std::string& path);
