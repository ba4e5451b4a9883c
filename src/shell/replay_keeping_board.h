#pragma once
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "components/scores/replay_store.h"
#include "components/scores/score_board.h"
#include "replay/round_recorder.h"

// The score store as the game sees it: the real one, unchanged, except that
// a won entry keeps its round's replay, and a row that leaves the table
// takes its replay with it.
class ReplayKeepingBoard : public ScoreBoard {
 public:
  using Clock = std::function<std::time_t()>;

  // `clock` dates the replays (tests fix it).
  ReplayKeepingBoard(
      ScoreBoard& inner, ReplayStore& replays, RoundRecorder& rounds,
      Clock clock = [] { return std::time(nullptr); });

  void OpenTable(const std::string& fileName, int16_t rowCount, int16_t zero) override;
  // The replay is saved before the entry, so an entry in the table always
  // has one; a replay that cannot be saved never costs the entry.
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

 private:
  void SaveReplay(Replay replay, const std::string& name);
  // Rows that left the table since `before`, and the new entry, keep as
  // many replays as rows of theirs remain.
  void RemoveSurplusReplays(const std::vector<ScoreRow>& before, const ScoreRow& entry);
  // The table now; empty when it cannot be read (no table open).
  std::vector<ScoreRow> Rows();

  ScoreBoard& inner_;
  ReplayStore& replays_;
  RoundRecorder& rounds_;
  Clock clock_;
};
