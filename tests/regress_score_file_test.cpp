// hs.ini texts from the score reader's fuzzing. A row of value 0 with no name
// looks exactly like an empty place, which is never written; the reader kept
// it in file order, so a later row of equal value ranked below it and moved
// up at the next save: the table changed by being saved.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "components/scores/score_file.h"

namespace {

std::string ReadRegressFile(const std::string& name) {
  std::ifstream in(std::string(KESTREVAN_SOURCE_DIR) + "/tests/data/regress/" + name, std::ios::binary);
  EXPECT_TRUE(in.good()) << name;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(RegressScoreFile, AnUnnamedZeroRowTakesNoPlace) {
  // "0 \"\"", then "-0 \"NEG\"" and "9000 \"A\"".
  const ScoreFileContents contents = ParseScoreFile(ReadRegressFile("hs_ini_empty_row_first.ini"));
  EXPECT_EQ(contents.table.Row(1).name, "A");
  EXPECT_EQ(contents.table.Row(2).name, "NEG");
  for (int row = 3; row <= kScoreRows; ++row) {
    EXPECT_TRUE(contents.table.Row(row).name.empty()) << row;
    EXPECT_EQ(contents.table.Row(row).value, 0.0f) << row;
  }
}

TEST(RegressScoreFile, TablesReadFromOddFilesSurviveASaveUnchanged) {
  for (const char* name : {"hs_ini_empty_row_first.ini", "hs_ini_fuzz_round_trip.ini"}) {
    const ScoreFileContents first = ParseScoreFile(ReadRegressFile(name));
    const ScoreFileContents again = ParseScoreFile(WriteScoreFile(first.table));
    EXPECT_TRUE(again.table == first.table) << name;
    EXPECT_TRUE(again.warnings.empty()) << name;
    for (int row = 1; row <= kScoreRows; ++row) {
      EXPECT_EQ(again.table.Row(row).name, first.table.Row(row).name) << name << " row " << row;
    }
  }
}

}  // namespace
