#include "components/scores/score_table.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace {

ScoreTable TableOf(const std::vector<float>& values) {
  std::vector<ScoreRow> rows;
  for (size_t i = 0; i < values.size(); ++i)
    rows.push_back(ScoreRow{values[i], "R" + std::to_string(i)});
  return ScoreTable::FromRows(rows);
}

TEST(ScoreTable, RanksAgainstTheRowsWithEqualValuesGoingBelow) {
  const ScoreTable some = TableOf({9600, 9500, 9500, 9400});
  const ScoreTable full = TableOf({10, 9, 8, 7, 6, 5, 4, 3, 2, 1});
  const ScoreTable empty;
  const float nan = std::numeric_limits<float>::quiet_NaN(),
              inf = std::numeric_limits<float>::infinity();
  const std::vector<std::tuple<const ScoreTable*, float, int>> cases = {
      {&some, 9700, 1},
      {&some, 9600, 2} /* first come, first served */,
      {&some, 9550, 2},
      {&some, 9500, 4},
      {&some, 9400, 5},
      {&some, 1, 5} /* empty rows hold 0, so any flight enters */,
      {&some, 0, 11} /* an empty row's value never enters */,
      // A full table refuses what is not better than row ten.
      {&full, 1, 11},
      {&full, 0.5f, 11},
      {&full, 1.5f, 10},
      {&full, 10000, 1},
      // Values no flight can give never rank.
      {&empty, nan, 11},
      {&empty, inf, 11},
      {&empty, 10000.5f, 11},
      {&empty, -3, 11},
      {&empty, 10000, 1}};
  for (const auto& [table, value, rank] : cases) EXPECT_EQ(table->RankOf(value), rank) << value;
}

TEST(ScoreTable, InsertShiftsLowerRowsDownAndDropsRowTen) {
  ScoreTable table = TableOf({10, 9, 8, 7, 6, 5, 4, 3, 2, 1});
  EXPECT_EQ(table.Insert(7.5f, "NEW"), 4);
  for (int row = 1; row <= kScoreRows; ++row) {
    const int old = row < 4 ? row - 1 : row - 2;  // the rows below moved down with their names
    const ScoreRow want =
        row == 4 ? ScoreRow{7.5f, "NEW"}
                 : ScoreRow{10.0f - static_cast<float>(old), "R" + std::to_string(old)};
    EXPECT_EQ(table.Row(row), want) << row;
  }

  const ScoreTable before = table;
  EXPECT_EQ(table.Insert(1, "TOO SLOW"), 11);
  EXPECT_EQ(table, before);
}

TEST(ScoreName, KeepsPrintableUtf8AndMarksTheRestCuttingWhereARowEnds) {
  std::string accents;  // 40 E acutes, two bytes each
  for (int i = 0; i < 40; ++i) accents += "\xC3\x89";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789+'/=-*.", "ABCDEFGHIJKLMNOPQRS"},
      {"a=b;c[d]\"e\"\\f#", "a=b;c[d]\"e\"\\f#"},
      {"\xC3\x85SA \xE2\x98\x85 \xF0\x9F\x9A\x80", "\xC3\x85SA \xE2\x98\x85 \xF0\x9F\x9A\x80"},
      {std::string("A\0B\tC\x7F", 6), "A?B?C?"},
      {"\xC2\x9F", "?"},  // a C1 control, well-formed
      {"\xFF\xFE"
       "A",
       "??A"},                                 // not UTF-8 at all
      {"\xC3", "?"},                           // cut-off sequence
      {"\xC0\xAF", "??"},                      // overlong '/'
      {"\xED\xA0\x80\xED\xBF\xBF", "??????"},  // the first and last surrogates
      {"\xF4\x90\x80\x80", "????"},            // past U+10FFFF
      {accents, accents.substr(0, 38)},
  };
  for (const auto& [name, clean] : cases) EXPECT_EQ(CleanScoreName(name), clean) << name;
}

}  // namespace