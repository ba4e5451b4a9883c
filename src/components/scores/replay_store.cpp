#include "components/scores/replay_store.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <tuple>

#include "core/log.h"

namespace fs = std::filesystem;

namespace {

// As long as hs.ini's own saves wait for another copy: both hold one lock.
constexpr std::chrono::milliseconds kLockPatience{2000};
// A name taken this often in one second is not another win; stop looking.
constexpr int kMaxNameTries = 1000;

std::string UtcText(std::time_t when, const char* format) {
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &when);
#else
  gmtime_r(&when, &utc);
#endif
  char text[64];
  std::strftime(text, sizeof text, format, &utc);
  return text;
}

bool AllDigits(const std::string& text, size_t from, size_t count) {
  if (from + count > text.size()) return false;
  return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from),
                     text.begin() + static_cast<std::ptrdiff_t>(from + count),
                     [](char c) { return c >= '0' && c <= '9'; });
}

// Saves sort by their moment, then by the counter of a taken name read as a
// number ("-10" after "-9", and the first save, which has none, before
// "-2"). Any other name sorts by itself.
std::tuple<std::string, long> SortKey(const std::string& name) {
  // YYYYMMDD-HHMMSS-TTT
  constexpr size_t kStem = 19;
  const bool ours = AllDigits(name, 0, 8) && name[8] == '-' && AllDigits(name, 9, 6) &&
                    name[15] == '-' && AllDigits(name, 16, 3);
  if (!ours) return {name, 0};
  const std::string rest = name.substr(kStem, name.size() - kStem - 4);  // less ".txt"
  if (rest.empty()) return {name.substr(0, kStem), 1};
  if (rest.size() >= 2 && rest.size() <= 9 && rest[0] == '-' && AllDigits(rest, 1, rest.size() - 1))
    return {name.substr(0, kStem), std::stol(rest.substr(1))};
  return {name, 0};
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::vector<ScoreRow> TableRows(ScoreBoard& scores) {
  std::vector<ScoreRow> rows;
  for (int16_t row = 1; row <= kScoreRows; ++row)
    rows.push_back(ScoreRow{scores.GetScore(row), scores.GetName(row)});
  return rows;
}

std::optional<StoredReplay> OfRow(const std::vector<ScoreRow>& rows,
                                  const std::vector<StoredReplay>& replays, int16_t row) {
  const ScoreRow& wanted = rows[static_cast<size_t>(row - 1)];
  if (wanted == ScoreRow{}) return std::nullopt;
  // The rows above it with the same value and name own the older files.
  auto above = std::count(rows.begin(), rows.begin() + (row - 1), wanted);
  for (const StoredReplay& stored : replays) {
    if (!ReplayBelongsTo(stored.replay, wanted)) continue;
    if (above-- == 0) return stored;
  }
  return std::nullopt;
}

}  // namespace

bool ReplayBelongsTo(const Replay& replay, const ScoreRow& row) {
  return CleanScoreName(replay.name) == row.name &&
         static_cast<float>(10000 - replay.flightTime) == row.value;
}

std::string ReplayDateText(std::time_t when) { return UtcText(when, "%Y-%m-%d %H:%M:%S UTC"); }

ReplayStore::ReplayStore(const std::string& tablePath, FileOps& ops)
    : tablePath_(tablePath),
      folder_((fs::path(FolderOf(tablePath)) / "replays").string()),
      ops_(ops) {}

void ReplayStore::RemoveLeftoverTemps() {
  std::error_code ec;
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const size_t at = name.rfind(".txt.tmp-");
    std::error_code kind;
    if (at != std::string::npos && at + 15 == name.size() &&
        it->symlink_status(kind).type() == fs::file_type::regular) {
      if (!ops_.Remove(it->path().string()))
        LogLine(it->path().string() + ": left by an interrupted save; removed");
    }
  }
}

std::string ReplayStore::Save(const Replay& replay, std::time_t when) {
  char time[8];
  std::snprintf(time, sizeof time, "%03d", static_cast<int>(replay.flightTime));
  const std::string stem = (fs::path(folder_) / (UtcText(when, "%Y%m%d-%H%M%S-") + time)).string();
  std::string path = stem + ".txt";
  if (const std::error_code ec = ops_.MakeFolder(folder_))
    throw ReplaySaveError(path, "cannot create " + folder_ + ": " + ec.message());
  SaveLock lock(ops_, tablePath_ + ".lock", kLockPatience);
  if (lock.Busy()) {
    throw ReplaySaveError(path,
                          "another copy of the game holds " + FileNameOf(tablePath_) + ".lock");
  }
  // Only a save killed half way leaves one, and no other save runs now.
  RemoveLeftoverTemps();
  for (int n = 2;; ++n) {
    std::error_code ec;
    if (fs::symlink_status(path, ec).type() == fs::file_type::not_found) break;
    if (n > kMaxNameTries) throw ReplaySaveError(path, "every name for it is taken");
    path = stem + "-" + std::to_string(n) + ".txt";
  }
  std::string warning;
  try {
    warning = SaveFileSafely(ops_, path, ReplayText(replay));
  } catch (const SaveError& e) {
    throw ReplaySaveError(path, e.what());
  }
  if (!warning.empty()) LogOnce(path + ": " + warning);
  return path;
}

std::vector<StoredReplay> ReplayStore::List() const {
  std::vector<std::pair<std::tuple<std::string, long>, StoredReplay>> found;
  std::error_code ec;
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code kind;
    if (!EndsWith(name, ".txt") || !it->is_regular_file(kind)) continue;
    try {
      found.push_back(
          {SortKey(name), StoredReplay{it->path().string(), LoadReplay(it->path().string())}});
    } catch (const ReplayError& e) {
      // It may be a later game's, or a player's: not ours to delete.
      LogOnce(std::string(e.what()) + "; not used, and left as it is");
    }
  }
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<StoredReplay> replays;
  for (auto& entry : found) replays.push_back(std::move(entry.second));
  return replays;
}

void ReplayStore::Remove(const std::string& path) {
  if (const std::error_code ec = ops_.Remove(path))
    throw SaveError("cannot remove " + path + ": " + ec.message());
}

std::optional<StoredReplay> ReplayOfRow(ScoreBoard& scores, const ReplayStore& store, int16_t row) {
  if (!ScoreTable::IsRow(row)) return std::nullopt;
  return OfRow(TableRows(scores), store.List(), row);
}

std::optional<StoredReplay> BestReplay(ScoreBoard& scores, const ReplayStore& store) {
  const std::vector<ScoreRow> rows = TableRows(scores);
  const std::vector<StoredReplay> replays = store.List();
  for (int16_t row = 1; row <= kScoreRows; ++row)
    if (std::optional<StoredReplay> found = OfRow(rows, replays, row)) return found;
  return std::nullopt;
}
