#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "components/scores/safe_file.h"
#include "components/scores/score_board.h"
#include "components/scores/score_table.h"

struct ScoreStorePaths {
  std::string programFolder;  // where hs.pak ships (read-only) and where a portable hs.ini may sit
  std::string
      dataFolder;  // the user's data folder (already resolved: --data-dir or UserDataFolder())
  bool headless = false;  // Delay() does not sleep
};

std::unique_ptr<ScoreBoard> CreateFileScoreBoard(const ScoreStorePaths& paths);

// The score store on real files: "hs.ini" (docs/score-files.md) saved the
// crash-safe way at every new entry, restored from "hs.pak" when it is
// missing or damaged, and shared safely by two copies of the game.
class FileScoreBoard : public ScoreBoard {
 public:
  // `ops` is the seam the saves go through; tests pass one that fails.
  FileScoreBoard(const ScoreStorePaths& paths, FileOps& ops);

  void OpenTable(const std::string& fileName, int16_t rowCount, int16_t zero) override;
  void AddScore(float value, const std::string& name,
                const std::vector<std::string>& further) override;
  int16_t GetRank(float value) override;
  float GetScore(int16_t row) override;
  std::string GetName(int16_t row) override;
  void OpenPackage(const std::string& packageName, int16_t zero, const std::string& text,
                   int32_t zero2) override;
  void ExtractPackage(int32_t zero) override;
  void SetOption(int16_t value) override;
  void Delay(int32_t milliseconds) override;
  bool FileExists(const std::string& fileName) override;

  // Where the two names lead (for messages and tests).
  const std::string& TablePath() const { return tablePath_; }
  const std::string& PackagePath() const { return packagePath_; }
  int16_t Option() const { return option_; }
  // Entries added since the last save that reached the disk.
  size_t UnsavedEntries() const { return unsaved_.size(); }
  // Where entries that could not be saved wait for the next start.
  std::string PendingPath() const { return tablePath_ + ".pending"; }

  // At shutdown: one more try to save what is owed, and when that fails
  // too, the entries go into hs.ini.pending and each is named on stderr as
  // not saved. False when any entry is not in hs.ini.
  bool FinishSaving();

 private:
  // The full path for one of the two bare names; anything else is refused.
  std::string Resolve(const std::string& operation, const std::string& fileName) const;
  void RequireTable(const std::string& operation) const;
  void RemoveStaleTemps();
  // The table in hs.ini as it is on disk now. A damaged file is moved aside
  // and nullopt returned; `bytes` is what the disk holds afterwards.
  std::optional<ScoreTable> ReadTableFile(std::optional<std::string>& bytes);
  // The factory table from hs.pak, or an empty one (with one line) when the
  // package cannot be used.
  ScoreTable FactoryTable();
  // Reads, merges and writes under the lock; false when the save failed.
  bool Save();
  // The entries an earlier run left in hs.ini.pending (none when there is
  // no such file; a damaged one is moved aside).
  std::vector<ScoreRow> ReadPending();

  ScoreStorePaths paths_;
  FileOps& ops_;
  std::string tablePath_;
  std::string packagePath_;
  int16_t option_ = 0;
  bool tableOpen_ = false;
  // hs.ini as this board last read or wrote it (the factory table while
  // there is none); what is shown is this plus the entries not yet saved.
  ScoreTable saved_;
  ScoreTable table_;
  // Set while hs.ini is there but out of reach (permissions): it may hold a
  // table its owner wants back, so it is neither replaced nor moved.
  std::optional<std::string> blocked_;
  std::vector<ScoreRow> unsaved_;
  // What hs.ini held when this board last read or wrote it (nullopt: no
  // file), to notice another copy's save.
  std::optional<std::string> diskBytes_;
  // The hs.ini text held by the package, once OpenPackage has read it.
  std::optional<std::string> packageText_;
};
