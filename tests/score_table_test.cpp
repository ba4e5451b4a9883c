#include "components/scores/score_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "components/scores/file_score_board.h"

namespace {

ScoreTable TableOf(const std::vector<float>& values) {
  std::vector<ScoreRow> rows;
  for (size_t i = 0; i < values.size(); ++i)
    rows.push_back(ScoreRow{values[i], "R" + std::to_string(i)});
  return ScoreTable::FromRows(rows);
}

std::vector<float> Values(const ScoreTable& table) {
  std::vector<float> values;
  for (const ScoreRow& row : table.Rows()) values.push_back(row.value);
  return values;
}

TEST(ScoreTable, RanksAgainstTheRowsWithEqualValuesGoingBelow) {
  const ScoreTable some = TableOf({9600, 9500, 9500, 9400});
  const ScoreTable full = TableOf({10, 9, 8, 7, 6, 5, 4, 3, 2, 1});
  const ScoreTable empty;
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const std::vector<std::tuple<const ScoreTable*, float, int>> cases = {
      {&some, 9700, 1}, {&some, 9600, 2} /* first come, first served */, {&some, 9550, 2},
      {&some, 9500, 4}, {&some, 9400, 5}, {&some, 1, 5} /* empty rows hold 0, so any flight enters */,
      {&some, 0, 11} /* an empty row's value never enters */,
      // A full table refuses what is not better than row ten.
      {&full, 1, 11}, {&full, 0.5f, 11}, {&full, 1.5f, 10}, {&full, 10000, 1},
      // Values no flight can give never rank.
      {&empty, nan, 11}, {&empty, inf, 11}, {&empty, 10000.5f, 11}, {&empty, -3, 11}, {&empty, 10000, 1}};
  for (const auto& [table, value, rank] : cases) EXPECT_EQ(table->RankOf(value), rank) << value;
}

TEST(ScoreTable, InsertShiftsLowerRowsDownAndDropsRowTen) {
  ScoreTable table = TableOf({10, 9, 8, 7, 6, 5, 4, 3, 2, 1});
  EXPECT_EQ(table.Insert(7.5f, "NEW"), 4);
  EXPECT_EQ(Values(table), (std::vector<float>{10, 9, 8, 7.5f, 7, 6, 5, 4, 3, 2}));
  EXPECT_EQ(table.Row(4).name, "NEW");
  EXPECT_EQ(table.Row(5).name, "R3");  // the old row 4 moved down with its name
  EXPECT_EQ(table.Row(10).name, "R8");

  const ScoreTable before = table;
  EXPECT_EQ(table.Insert(1, "TOO SLOW"), 11);
  EXPECT_EQ(table, before);
}

TEST(ScoreTable, EqualValuesKeepTheirArrivalOrder) {
  ScoreTable table;
  table.Insert(9000, "FIRST");
  table.Insert(9000, "SECOND");
  table.Insert(9100, "BEST");
  table.Insert(9000, "THIRD");
  EXPECT_EQ(table.Row(1).name, "BEST");
  EXPECT_EQ(table.Row(2).name, "FIRST");
  EXPECT_EQ(table.Row(3).name, "SECOND");
  EXPECT_EQ(table.Row(4).name, "THIRD");
  EXPECT_EQ(table.Row(5), ScoreRow{});
}

TEST(ScoreName, KeepsEveryTypeableAndPrintableCharacter) {
  const std::string typeable = "ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789+'/=-*.";
  EXPECT_EQ(CleanScoreName(typeable.substr(0, 32)), typeable.substr(0, 32));
  EXPECT_EQ(CleanScoreName("I'm lazy!"), "I'm lazy!");
  EXPECT_EQ(CleanScoreName("a=b;c[d]\"e\"\\f#"), "a=b;c[d]\"e\"\\f#");
  EXPECT_EQ(CleanScoreName("\xC3\x85SA \xE2\x98\x85 \xF0\x9F\x9A\x80"),
            "\xC3\x85SA \xE2\x98\x85 \xF0\x9F\x9A\x80");
  EXPECT_EQ(CleanScoreName(""), "");
}

TEST(ScoreName, ReplacesControlCharactersAndBrokenUtf8) {
  EXPECT_EQ(CleanScoreName(std::string("A\0B", 3)), "A?B");
  EXPECT_EQ(CleanScoreName("A\tB\nC\rD\x7F"
                           "E"),
            "A?B?C?D?E");
  EXPECT_EQ(CleanScoreName("\xC2\x85"), "?");  // a C1 control, well-formed
  EXPECT_EQ(CleanScoreName("\xFF\xFE"
                           "A"),
            "??A");                                       // not UTF-8 at all
  EXPECT_EQ(CleanScoreName("\xC3"), "?");                 // cut-off sequence
  EXPECT_EQ(CleanScoreName("\xC0\xAF"), "??");            // overlong '/'
  EXPECT_EQ(CleanScoreName("\xED\xA0\x80"), "???");       // a surrogate
  EXPECT_EQ(CleanScoreName("\xF4\x90\x80\x80"), "????");  // past U+10FFFF
}

TEST(ScoreName, CutsAfterThirtyTwoCharactersNotBytes) {
  EXPECT_EQ(CleanScoreName(std::string(40, 'X')), std::string(32, 'X'));
  std::string accents;
  for (int i = 0; i < 40; ++i) accents += "\xC3\x89";  // E acute
  const std::string cut = CleanScoreName(accents);
  EXPECT_EQ(cut.size(), 64u);
  EXPECT_EQ(cut, accents.substr(0, 64));
}


}  // namespace
