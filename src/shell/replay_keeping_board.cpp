#include "shell/replay_keeping_board.h"

#include <algorithm>
#include <cmath>

#include "components/component_error.h"
#include "core/log.h"

namespace {

constexpr char kVersion[] = "Kestrevan 1.05";

}  // namespace

ReplayKeepingBoard::ReplayKeepingBoard(ScoreBoard& inner, ReplayStore& replays,
                                       RoundRecorder& rounds, Clock clock)
    : inner_(inner), replays_(replays), rounds_(rounds), clock_(std::move(clock)) {}

std::vector<ScoreRow> ReplayKeepingBoard::Rows() {
  std::vector<ScoreRow> rows;
  try {
    for (int16_t row = 1; row <= kScoreRows; ++row)
      rows.push_back(ScoreRow{inner_.GetScore(row), inner_.GetName(row)});
  } catch (const ComponentError&) {
    return {};  // the entry's own call says what is wrong
  }
  return rows;
}

void ReplayKeepingBoard::SaveReplay(Replay replay, const std::string& name) {
  const std::time_t now = clock_();
  replay.name = CleanScoreName(name);
  replay.date = ReplayDateText(now);
  replay.version = kVersion;
  try {
    replays_.Save(replay, now);
  } catch (const ReplaySaveError& e) {
    LogLine(e.Path() + ": cannot save the replay: " + e.Reason() +
            "; the entry is kept without it");
  }
}

void ReplayKeepingBoard::RemoveSurplusReplays(const std::vector<ScoreRow>& before,
                                              const ScoreRow& entry) {
  const std::vector<ScoreRow> after = Rows();
  const auto countIn = [](const std::vector<ScoreRow>& rows, const ScoreRow& row) {
    return static_cast<size_t>(std::count(rows.begin(), rows.end(), row));
  };
  std::vector<ScoreRow> gone = {entry};
  for (const ScoreRow& row : before) {
    if (row == ScoreRow{} || std::count(gone.begin(), gone.end(), row) > 0) continue;
    if (countIn(after, row) < countIn(before, row)) gone.push_back(row);
  }
  std::vector<StoredReplay> stored;
  try {
    stored = replays_.List();
  } catch (const std::exception& e) {
    LogOnce(std::string("cannot look through the replays: ") + e.what());
    return;
  }
  for (const ScoreRow& row : gone) {
    std::vector<std::string> paths;
    for (const StoredReplay& replay : stored)
      if (ReplayBelongsTo(replay.replay, row)) paths.push_back(replay.path);
    // The oldest belong to the rows that stay; the newest go first.
    for (size_t keep = countIn(after, row); paths.size() > keep; paths.pop_back()) {
      try {
        replays_.Remove(paths.back());
      } catch (const SaveError& e) {
        LogOnce(e.what());
      }
    }
  }
}

void ReplayKeepingBoard::AddScore(float value, const std::string& name,
                                  const std::vector<std::string>& further) {
  const std::vector<ScoreRow> before = Rows();
  if (IsStorableScore(value)) {
    const auto flightTime = static_cast<int32_t>(std::lround(10000.0 - value));
    if (std::optional<Replay> won = rounds_.TakeWon(flightTime)) SaveReplay(*won, name);
  }
  const ScoreRow entry{value, CleanScoreName(name)};
  try {
    inner_.AddScore(value, name, further);
  } catch (...) {
    RemoveSurplusReplays(before, entry);
    throw;
  }
  RemoveSurplusReplays(before, entry);
}

void ReplayKeepingBoard::OpenTable(const std::string& fileName, int16_t rowCount, int16_t zero) {
  inner_.OpenTable(fileName, rowCount, zero);
}
int16_t ReplayKeepingBoard::GetRank(float value) { return inner_.GetRank(value); }
float ReplayKeepingBoard::GetScore(int16_t row) { return inner_.GetScore(row); }
std::string ReplayKeepingBoard::GetName(int16_t row) { return inner_.GetName(row); }
void ReplayKeepingBoard::OpenPackage(const std::string& packageName, int16_t zero,
                                     const std::string& text, int32_t zero2) {
  inner_.OpenPackage(packageName, zero, text, zero2);
}
void ReplayKeepingBoard::ExtractPackage(int32_t zero) { inner_.ExtractPackage(zero); }
void ReplayKeepingBoard::SetOption(int16_t value) { inner_.SetOption(value); }
void ReplayKeepingBoard::Delay(int32_t milliseconds) { inner_.Delay(milliseconds); }
bool ReplayKeepingBoard::FileExists(const std::string& fileName) {
  return inner_.FileExists(fileName);
}
