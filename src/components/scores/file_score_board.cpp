#include "components/scores/file_score_board.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "components/scores/score_file.h"
#include "components/scores/score_package.h"
#include "core/log.h"

namespace {

const char kTableName[] = "hs.ini";
const char kPackageName[] = "hs.pak";
// Another copy's save takes milliseconds; after this long it is stuck, and
// the entry waits in memory for the next try rather than freeze the game.
constexpr std::chrono::milliseconds kLockPatience{2000};
const char kKeptInMemory[] = "; the table stays in memory and the next entry tries again";

std::string Join(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : (std::filesystem::path(folder) / name).string();
}

// The hs.ini text inside the package, checked to read as a table. Throws
// std::runtime_error naming the package and what is wrong with it.
std::string ReadFactoryText(const std::string& packagePath) {
  const ReadResult file = ReadSmallFile(packagePath, kMaxPackageBytes);
  if (file.status != ReadStatus::kOk) throw std::runtime_error(packagePath + " " + file.problem);
  std::vector<PackageEntry> entries;
  try {
    entries = ReadPackage(file.bytes);
  } catch (const PackageError& e) {
    throw std::runtime_error(packagePath + ": " + e.what());
  }
  for (const PackageEntry& entry : entries) {
    if (entry.name != kTableName) continue;
    try {
      ParseScoreFile(entry.data);
    } catch (const ScoreFileError& e) {
      throw std::runtime_error(packagePath + ": its hs.ini does not read: " + e.what());
    }
    return entry.data;
  }
  throw std::runtime_error(packagePath + ": holds no hs.ini");
}

}  // namespace

std::unique_ptr<ScoreBoard> CreateFileScoreBoard(const ScoreStorePaths& paths) {
  return std::make_unique<FileScoreBoard>(paths, SystemFileOps());
}

FileScoreBoard::FileScoreBoard(const ScoreStorePaths& paths, FileOps& ops)
    : paths_(paths), ops_(ops) {
  packagePath_ = Join(paths.programFolder, kPackageName);
  // A portable install keeps its table beside the program, and shows it by
  // having one there that we may write.
  const std::string portable = Join(paths.programFolder, kTableName);
  tablePath_ =
      IsWritableFileInWritableFolder(portable) ? portable : Join(paths.dataFolder, kTableName);
}

std::string FileScoreBoard::Resolve(const std::string& operation,
                                    const std::string& fileName) const {
  if (fileName == kTableName) return tablePath_;
  if (fileName == kPackageName) return packagePath_;
  throw ComponentError(operation, "\"" + CleanScoreName(fileName) +
                                      "\" is not a score file (only hs.ini and hs.pak are)");
}

void FileScoreBoard::RequireTable(const std::string& operation) const {
  if (!tableOpen_)
    throw ComponentError(operation, "no score table is open (OpenTable has not run)");
}

void FileScoreBoard::RemoveStaleTemps() {
  std::string target;
  try {
    target = FollowLinks(tablePath_);
  } catch (const SaveError&) {
    return;  // the table's own read says what is wrong
  }
  if (LeftoverTemps(target).empty()) return;
  // Only stale when no other copy is in the middle of a save.
  SaveLock lock(ops_, tablePath_ + ".lock", std::chrono::milliseconds(0));
  if (lock.Busy()) return;
  for (const std::string& temp : LeftoverTemps(target)) {
    if (!ops_.Remove(temp)) LogLine(temp + ": left by an interrupted save; removed");
  }
}

std::optional<ScoreTable> FileScoreBoard::ReadTableFile(std::optional<std::string>& bytes) {
  const ReadResult file = ReadSmallFile(tablePath_, kMaxScoreFileBytes);
  bytes.reset();
  blocked_.reset();
  if (file.status == ReadStatus::kMissing) return std::nullopt;
  if (file.status == ReadStatus::kUnreadable || file.status == ReadStatus::kFailed) {
    blocked_ = file.problem;
    LogOnce(tablePath_ + " " + file.problem + "; it is left as it is");
    return std::nullopt;
  }
  std::string reason = file.problem;
  std::string separator = " ";
  if (file.status == ReadStatus::kOk) {
    separator = ": ";
    try {
      ScoreFileContents contents = ParseScoreFile(file.bytes);
      for (const std::string& warning : contents.warnings) LogLine(tablePath_ + ": " + warning);
      bytes = file.bytes;
      return contents.table;
    } catch (const ScoreFileError& e) {
      reason = e.what();
    }
  }
  // Damaged: keep every byte of it for the player, out of the way.
  try {
    const std::string aside = MoveAside(tablePath_);
    LogLine(tablePath_ + separator + reason + "; moved aside as " + FileNameOf(aside));
  } catch (const SaveError& e) {
    LogOnce(tablePath_ + separator + reason + ", and " + e.what());
    if (file.status == ReadStatus::kOk) bytes = file.bytes;
  }
  return std::nullopt;
}

std::vector<ScoreRow> FileScoreBoard::ReadPending() {
  const std::string path = PendingPath();
  const ReadResult file = ReadSmallFile(path, kMaxScoreFileBytes);
  if (file.status == ReadStatus::kMissing) return {};
  std::string reason = file.problem;
  if (file.status == ReadStatus::kOk) {
    try {
      const ScoreFileContents contents = ParseScoreFile(file.bytes);
      std::vector<ScoreRow> rows;
      for (const ScoreRow& row : contents.table.Rows())
        if (!(row == ScoreRow{})) rows.push_back(row);
      return rows;
    } catch (const ScoreFileError& e) {
      reason = std::string(": ") + e.what();
    }
  } else {
    reason = " " + reason;
  }
  if (file.status != ReadStatus::kUnreadable && file.status != ReadStatus::kFailed) {
    try {
      reason += "; moved aside as " + FileNameOf(MoveAside(path));
    } catch (const SaveError& e) {
      reason += std::string(", and ") + e.what();
    }
  }
  LogOnce(path + reason);
  return {};
}

ScoreTable FileScoreBoard::FactoryTable() {
  try {
    if (!packageText_) packageText_ = ReadFactoryText(packagePath_);
    return ParseScoreFile(*packageText_).table;
  } catch (const std::exception& e) {
    LogOnce(std::string(e.what()) + "; the score table starts empty");
    return ScoreTable();
  }
}

void FileScoreBoard::OpenTable(const std::string& fileName, int16_t rowCount, int16_t) {
  Resolve("OpenTable", fileName);
  if (fileName != kTableName)
    throw ComponentError("OpenTable", "the table lives in hs.ini, not hs.pak");
  if (rowCount != kScoreRows) {
    throw ComponentError("OpenTable", "hs.ini holds " + std::to_string(kScoreRows) + " rows, not " +
                                          std::to_string(rowCount));
  }
  RemoveStaleTemps();
  std::optional<std::string> bytes;
  const std::optional<ScoreTable> loaded = ReadTableFile(bytes);
  saved_ = loaded ? *loaded : FactoryTable();
  diskBytes_ = bytes;
  table_ = saved_;
  // Entries whose save failed before a second open are still owed a place.
  for (const ScoreRow& row : unsaved_) table_.Insert(row.value, row.name);
  tableOpen_ = true;
  // Entries an earlier run could not save go in now, while nothing else is.
  if (IsRegularFile(PendingPath())) Save();
}

bool FileScoreBoard::Save() {
  const std::string folder = FolderOf(tablePath_);
  if (const std::error_code ec = ops_.MakeFolder(folder)) {
    LogOnce("cannot save " + tablePath_ + ": cannot create " + folder + ": " + ec.message() +
            kKeptInMemory);
    return false;
  }
  SaveLock lock(ops_, tablePath_ + ".lock", kLockPatience);
  if (lock.Busy()) {
    LogOnce("cannot save " + tablePath_ + ": another copy of the game holds " +
            FileNameOf(tablePath_) + ".lock" + kKeptInMemory);
    return false;
  }
  // Another copy may have saved since this one read the file: start from
  // its table and put this copy's new entries into it, so both are kept.
  std::optional<std::string> bytes;
  const std::optional<ScoreTable> onDisk = ReadTableFile(bytes);
  if (blocked_) {
    LogOnce("cannot save " + tablePath_ + ": it " + *blocked_ + ", so it is not replaced" +
            kKeptInMemory);
    return false;
  }
  if (bytes != diskBytes_ && onDisk) saved_ = *onDisk;
  diskBytes_ = bytes;
  // An earlier run's entries are older than this one's, so they go in first
  // and rank above an equal time.
  const std::vector<ScoreRow> pending = ReadPending();
  ScoreTable next = saved_;
  for (const ScoreRow& row : pending) next.Insert(row.value, row.name);
  for (const ScoreRow& row : unsaved_) next.Insert(row.value, row.name);
  table_ = next;

  const std::string text = WriteScoreFile(next);
  std::string warning;
  try {
    warning = SaveFileSafely(ops_, tablePath_, text);
  } catch (const SaveError& e) {
    LogOnce("cannot save " + tablePath_ + ": " + e.what() + kKeptInMemory);
    return false;
  }
  // The new file is in place even when the folder flush failed: the entries
  // are in it, and saving them again would only add them twice.
  if (!warning.empty()) LogOnce(tablePath_ + ": " + warning);
  saved_ = next;
  diskBytes_ = text;
  unsaved_.clear();
  if (!pending.empty()) {
    const std::error_code ec = ops_.Remove(PendingPath());
    LogLine(std::to_string(pending.size()) + " entries an earlier run could not save are now in " +
            tablePath_ +
            (ec ? "; " + FileNameOf(PendingPath()) + " could not be removed: " + ec.message()
                : std::string()));
  }
  return true;
}

bool FileScoreBoard::FinishSaving() {
  // One more try: a lock held past its wait or a full disk may have cleared.
  if (unsaved_.empty() || Save()) return true;
  std::string kept;
  try {
    ScoreTable waiting;
    for (const ScoreRow& row : ReadPending()) waiting.Insert(row.value, row.name);
    for (const ScoreRow& row : unsaved_) waiting.Insert(row.value, row.name);
    SaveFileSafely(ops_, PendingPath(), WriteScoreFile(waiting));
    kept = "; it is kept in " + PendingPath() + " and goes into the table at the next start";
  } catch (const SaveError& e) {
    kept = "; it could not be kept in " + PendingPath() + " either: " + e.what();
  }
  for (const ScoreRow& row : unsaved_) {
    char time[32];
    std::snprintf(time, sizeof time, "%.6g", 10000.0 - row.value);
    LogLine("NOT SAVED: the entry \"" + row.name + "\" (flight time " + time + ") is not in " +
            tablePath_ + kept);
  }
  return false;
}

void FileScoreBoard::AddScore(float value, const std::string& name,
                              const std::vector<std::string>&) {
  RequireTable("AddScore");
  if (!IsStorableScore(value)) {
    throw ComponentError("AddScore", "value " + std::to_string(value) +
                                         " is not a score from 0 to 10000; hs.ini is unchanged");
  }
  if (table_.Insert(value, name) <= kScoreRows)
    unsaved_.push_back(ScoreRow{value, CleanScoreName(name)});
  if (!unsaved_.empty()) Save();
}

int16_t FileScoreBoard::GetRank(float value) {
  RequireTable("GetRank");
  return table_.RankOf(value);
}

float FileScoreBoard::GetScore(int16_t row) {
  RequireTable("GetScore");
  if (!ScoreTable::IsRow(row)) {
    throw ComponentError("GetScore", "row " + std::to_string(row) + " is not in 1 to 10 of hs.ini");
  }
  return table_.Row(row).value;
}

std::string FileScoreBoard::GetName(int16_t row) {
  RequireTable("GetName");
  if (!ScoreTable::IsRow(row)) {
    throw ComponentError("GetName", "row " + std::to_string(row) + " is not in 1 to 10 of hs.ini");
  }
  return table_.Row(row).name;
}

void FileScoreBoard::OpenPackage(const std::string& packageName, int16_t, const std::string&,
                                 int32_t) {
  Resolve("OpenPackage", packageName);
  if (packageName != kPackageName)
    throw ComponentError("OpenPackage", "the package is hs.pak, not hs.ini");
  try {
    packageText_ = ReadFactoryText(packagePath_);
  } catch (const std::runtime_error& e) {
    packageText_.reset();
    throw ComponentError("OpenPackage", e.what());
  }
}

void FileScoreBoard::ExtractPackage(int32_t) {
  if (!packageText_) {
    throw ComponentError("ExtractPackage",
                         "no package is open (" + packagePath_ + " did not open)");
  }
  const std::string folder = FolderOf(tablePath_);
  if (const std::error_code ec = ops_.MakeFolder(folder)) {
    throw ComponentError("ExtractPackage", "cannot create " + folder + " for " +
                                               FileNameOf(tablePath_) + ": " + ec.message());
  }
  SaveLock lock(ops_, tablePath_ + ".lock", kLockPatience);
  if (lock.Busy()) {
    throw ComponentError("ExtractPackage", "another copy of the game is saving " + tablePath_);
  }
  // Never over a table a player has built (another copy may have made one
  // since this copy looked); a damaged one is moved aside first.
  std::optional<std::string> bytes;
  if (ReadTableFile(bytes) || blocked_) {
    LogLine(tablePath_ + " already holds a table; hs.pak was not extracted over it");
    return;
  }
  std::string warning;
  try {
    warning = SaveFileSafely(ops_, tablePath_, *packageText_);
  } catch (const SaveError& e) {
    throw ComponentError("ExtractPackage", "cannot write " + tablePath_ + ": " + e.what());
  }
  if (!warning.empty()) LogOnce(tablePath_ + ": " + warning);
}

void FileScoreBoard::SetOption(int16_t value) { option_ = value; }

void FileScoreBoard::Delay(int32_t milliseconds) {
  if (paths_.headless || milliseconds <= 0) return;
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool FileScoreBoard::FileExists(const std::string& fileName) {
  return IsRegularFile(Resolve("FileExists", fileName));
}
