// hs.ini texts from the score reader's fuzzing. A row of value 0 with no name
// looks exactly like an empty place, which is never written; the reader kept
// it in file order, so a later row of equal value ranked below it and moved
// up at the next save: the table changed by being saved.
#include <gtest/gtest.h>

#include <string>

#include "components/scores/score_file.h"
#include "test_folder.h"

namespace {

std::string ReadRegressFile(const std::string& name) {
  const std::string text =
      ReadWholeFile(std::string(KESTREVAN_SOURCE_DIR) + "/tests/data/regress/" + name);
  EXPECT_FALSE(text.empty()) << name;
  return text;
}

TEST(RegressScoreFile, AnUnnamedZeroRowTakesNoPlaceAndTablesSurviveASaveUnchanged) {
  // "0 \"\"", then "-0 \"NEG\"" and "9000 \"A\"".
  const ScoreTable table = ParseScoreFile(ReadRegressFile("hs_ini_empty_row_first.ini")).table;
  EXPECT_EQ(table.Row(1).name, "A");
  EXPECT_EQ(table.Row(2).name, "NEG");
  EXPECT_EQ(table.Row(3), ScoreRow{});
  for (const char* name : {"hs_ini_empty_row_first.ini", "hs_ini_fuzz_round_trip.ini"}) {
    const ScoreFileContents first = ParseScoreFile(ReadRegressFile(name));
    const ScoreFileContents again = ParseScoreFile(WriteScoreFile(first.table));
    EXPECT_EQ(again.table, first.table) << name;
    EXPECT_TRUE(again.warnings.empty()) << name;
  }
}

}  // namespace