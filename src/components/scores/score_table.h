#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The ten-row table and its rules, with no files attached, so the real store,
// the test fake and the file reader all rank the same way.

constexpr int kScoreRows = 10;
// Stored values are 10000 minus a flight time; nothing outside this range can
// come from a flight, so nothing outside it is kept.
constexpr float kLowestScore = 0.0f;
constexpr float kHighestScore = 10000.0f;
// What a table row shows: it is drawn from x 50 with letters 20 px apart, so
// "01 0322 " and 19 letters end at 590, inside the score table's panel. Any
// more would run over its frame and off the screen, so longer names are cut.
constexpr size_t kMaxNameCharacters = 19;

struct ScoreRow {
  float value = 0.0f;
  std::string name;
};

inline bool operator==(const ScoreRow& a, const ScoreRow& b) {
  return a.value == b.value && a.name == b.name;
}

class ScoreTable {
 public:
  // Ten empty rows.
  ScoreTable() = default;
  // The best ten of any rows, higher value first; equal values keep the order
  // they were given in.
  static ScoreTable FromRows(const std::vector<ScoreRow>& rows);

  // The row (1 to 10) a new value would take: below every equal value, first
  // come first served. 11 when it would not enter, and for a value no flight
  // can give (not a number, outside 0 to 10000).
  int16_t RankOf(float value) const;
  // Puts the entry at RankOf(value), moves the rows below down and drops the
  // one pushed past row 10. Returns the row taken, or 11 when nothing changed.
  int16_t Insert(float value, const std::string& name);

  // Row 1 to 10; the caller checks the range first (see IsRow).
  const ScoreRow& Row(int row) const { return rows_[static_cast<size_t>(row - 1)]; }
  static bool IsRow(int row) { return row >= 1 && row <= kScoreRows; }
  const std::array<ScoreRow, kScoreRows>& Rows() const { return rows_; }

 private:
  std::array<ScoreRow, kScoreRows> rows_{};
};

inline bool operator==(const ScoreTable& a, const ScoreTable& b) { return a.Rows() == b.Rows(); }

// True for a finite value in 0 to 10000.
bool IsStorableScore(float value);

// The name as the table keeps it: control characters and bytes that are not
// UTF-8 become '?', and it is cut after 19 characters (not bytes, so a
// hand-typed accent is never split).
std::string CleanScoreName(const std::string& name);
