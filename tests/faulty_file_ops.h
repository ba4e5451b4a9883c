#pragma once
// The real file operations with one chosen step made to fail, for the tests
// of everything that saves through the FileOps seam.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "components/scores/safe_file.h"

enum class SaveStep { kMakeFolder, kCreate, kWrite, kFlush, kClose, kReplace, kFlushFolder };

// Each step of saving the file `name`, with words the failure there must say.
inline std::vector<std::pair<SaveStep, std::string>> SaveFailureWords(const std::string& name) {
  return {
      {SaveStep::kMakeFolder, "cannot create"},
      {SaveStep::kCreate, "cannot create a temporary file beside " + name},
      {SaveStep::kWrite, "cannot write " + name + ".tmp-"},
      {SaveStep::kFlush, "cannot flush " + name + ".tmp-"},
      {SaveStep::kClose, "cannot close " + name + ".tmp-"},
      {SaveStep::kReplace, "cannot rename " + name + ".tmp-"},
      {SaveStep::kFlushFolder, name + " is saved, but its folder could not be flushed"},
  };
}

// The real file operations, except that the next call of one chosen step
// fails with a full disk, and every write is cut short so that a save takes
// several of them.
class FaultyFileOps : public FileOps {
 public:
  std::optional<SaveStep> failNext;
  bool failEveryCreate = false;
  // The process is killed as it is about to make this call (counted from 1
  // over every operation), where a crash or a power cut might stop it.
  int killAt = 0;

  std::error_code MakeFolder(const std::string& f) override {
    return Hit(SaveStep::kMakeFolder) ? Full() : real_.MakeFolder(f);
  }
  std::error_code TryLock(const std::string& p, Handle& h) override {
    return Reach(), real_.TryLock(p, h);
  }
  void Unlock(Handle h) override { Reach(), real_.Unlock(h); }
  std::error_code CreateTemp(const std::string& target, std::string& temp, Handle& h) override {
    return Hit(SaveStep::kCreate) || failEveryCreate ? Full() : real_.CreateTemp(target, temp, h);
  }
  std::error_code Write(Handle h, const char* data, size_t size, size_t& written) override {
    return Hit(SaveStep::kWrite) ? Full()
                                 : real_.Write(h, data, std::min<size_t>(size, 64), written);
  }
  std::error_code Flush(Handle h) override {
    return Hit(SaveStep::kFlush) ? Full() : real_.Flush(h);
  }
  std::error_code Close(Handle h) override {
    const bool fail = Hit(SaveStep::kClose);
    const std::error_code ec = real_.Close(h);  // the descriptor goes either way
    return fail ? Full() : ec;
  }
  std::error_code Replace(const std::string& from, const std::string& to) override {
    return Hit(SaveStep::kReplace) ? Full() : real_.Replace(from, to);
  }
  std::error_code FlushFolder(const std::string& f) override {
    return Hit(SaveStep::kFlushFolder) ? Full() : real_.FlushFolder(f);
  }
  std::error_code Remove(const std::string& p) override { return Reach(), real_.Remove(p); }

 private:
  void Reach() {
    if (killAt > 0 && ++calls_ == killAt) ::kill(::getpid(), SIGKILL);
  }
  bool Hit(SaveStep step) {
    Reach();
    if (failNext != step) return false;
    failNext.reset();
    return true;
  }
  static std::error_code Full() { return std::make_error_code(std::errc::no_space_on_device); }

  int calls_ = 0;
  FileOps& real_ = SystemFileOps();
};
