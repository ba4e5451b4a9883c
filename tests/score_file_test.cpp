#include "components/scores/score_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

const std::string kHeader = "kestrevan scores 1\n";

ScoreTable Parse(const std::string& text) { return ParseScoreFile(text).table; }

std::string ErrorOf(const std::string& text) {
  try {
    ParseScoreFile(text);
  } catch (const ScoreFileError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(ScoreFileRoundTrip, EveryValueAndOddNamesComeBackTheSame) {
  const std::vector<std::string> names = {
      "ABCDEFGHIJKLMNOPQRS",  // as long as a name is kept
      "0123456789 +'/=-*.",
      "  LEAD AND TRAIL  ",
      "\"QUOTED\" \\BACK\\ \\\"",
      "a=b ; c [d] # e",
      "end",
      "\xC3\x85SA \xE2\x98\x85",
      "",
      "!#$%&()*+,-./:;<=>?",
      "@[]^_`{|}~ az",
  };
  std::mt19937 random(12345);
  std::uniform_real_distribution<float> anywhere(0.0f, 10000.0f);
  for (size_t round = 0; round < 200; ++round) {
    std::vector<ScoreRow> rows = {{10000.0f, "TOP"},
                                  {std::nextafter(10000.0f, 0.0f), "NEXT"},
                                  {std::numeric_limits<float>::denorm_min(), "TINY"}};
    for (size_t i = 0; i < 6; ++i)
      rows.push_back(ScoreRow{anywhere(random), names[(round + i) % names.size()]});
    // The tenth place stays empty, and an empty place takes no line.
    const ScoreTable table = ScoreTable::FromRows(rows);
    const std::string text = WriteScoreFile(table);
    const ScoreFileContents back = ParseScoreFile(text);
    ASSERT_EQ(back.table, table) << text;
    ASSERT_TRUE(back.warnings.empty()) << text;
    ASSERT_EQ(text.find("\n0 "), std::string::npos) << text;
  }
}

TEST(ScoreFileReading, ToleratesHandEditing) {
  const std::string text =
      "\xEF\xBB\xBFkestrevan scores 1\r\n\r\n# a comment\r\n"
      "\t 9500   \"CRLF\"  \r\n9600 \"A\\B\"\r\nend\r\n";
  const ScoreFileContents contents = ParseScoreFile(text);
  EXPECT_TRUE(contents.warnings.empty());
  EXPECT_EQ(contents.table.Row(1), (ScoreRow{9600, "A\\B"}));  // a lone backslash stays
  EXPECT_EQ(contents.table.Row(2), (ScoreRow{9500, "CRLF"}));
  EXPECT_EQ(Parse(kHeader + "9000 \"NO NEWLINE\"\nend").Row(1).name, "NO NEWLINE");
}

TEST(ScoreFileReading, SortsKeepsEqualRowsInFileOrderAndTheBestTen) {
  std::string text = kHeader + "9100 \"C\"\n9300 \"A\"\n9200 \"B1\"\n9200 \"B2\"\n9200 \"B1\"\n";
  for (int i = 0; i < 8; ++i) text += "100 \"LOW\"\n";
  const ScoreFileContents contents = ParseScoreFile(text + "end\n");
  const std::vector<std::string> names = {"A", "B1", "B2", "B1", "C", "LOW"};
  for (size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(contents.table.Row(static_cast<int16_t>(i + 1)).name, names[i]) << i;
  EXPECT_EQ(contents.table.Row(10).name, "LOW");
  ASSERT_EQ(contents.warnings.size(), 1u);
  EXPECT_NE(contents.warnings[0].find("13 rows"), std::string::npos);
}

TEST(ScoreFileReading, DropsRowsWithValuesNoFlightCanGiveAndTextAfterTheEnd) {
  for (const std::string value : {"nan", "inf", "-1", "10000.01", "1e999", "1e-999", "abc", "9O00",
                                  "0x2000", "9000,5", "", "1e"}) {
    const ScoreFileContents contents =
        ParseScoreFile(kHeader + value + " \"BAD\"\n9000 \"GOOD\"\nend\n");
    EXPECT_EQ(contents.table.Row(1), (ScoreRow{9000, "GOOD"})) << value;
    EXPECT_EQ(contents.table.Row(2), ScoreRow{}) << value;
    EXPECT_EQ(contents.warnings.size(), 1u) << value;
  }
  // The edges of the range are fine.
  EXPECT_EQ(Parse(kHeader + "0 \"Z\"\n10000 \"T\"\n+5e3 \"E\"\nend\n").Row(2).value, 5000.0f);
  const ScoreFileContents late = ParseScoreFile(kHeader + "9000 \"A\"\nend\n9999 \"LATE\"\n");
  EXPECT_EQ(late.table.Row(1).name, "A");
  EXPECT_EQ(late.warnings.size(), 1u);
}

TEST(ScoreFileReading, MendsNamesAndSkipsLinesThatAreNotRows) {
  const std::string text = kHeader + "9500 \"" + std::string(40, 'L') + "\"\n" +
                           "9400 \"TAB\tNUL-FREE \xFF\"\n" + "9300 \"UNCLOSED\n" +
                           "9200 \"JUNK\" AFTER\n" + "9100 NOQUOTES\n" + "[main]\n" +
                           "name=value\n" + "9000 \"OK\"\nend\n";
  const ScoreFileContents contents = ParseScoreFile(text);
  EXPECT_EQ(contents.table.Row(1).name, std::string(19, 'L'));
  EXPECT_EQ(contents.table.Row(2).name, "TAB?NUL-FREE ?");
  EXPECT_EQ(contents.table.Row(3).name, "OK");
  EXPECT_EQ(contents.table.Row(4), ScoreRow{});
  // Two mended names and five skipped lines, shown as five and a count.
  ASSERT_EQ(contents.warnings.size(), 6u);
  EXPECT_EQ(contents.warnings.back(), "and 2 more problems");
}

TEST(ScoreFileRefusal, EmptyCutShortOrForeignFiles) {
  EXPECT_EQ(ErrorOf(" \n\r\n\t"), "empty file");
  EXPECT_NE(ErrorOf("[scores]\n1=9000\n").find("not a score file"), std::string::npos);
  EXPECT_NE(ErrorOf("kestrevan scoresX 1\nend\n").find("not a score file"), std::string::npos);
  EXPECT_NE(ErrorOf("kestrevan scores one\nend\n").find("unreadable version"), std::string::npos);
  EXPECT_NE(ErrorOf("kestrevan scores 2\nend\n").find("newer version"), std::string::npos);
  EXPECT_NE(ErrorOf("kestrevan scores 0\nend\n").find("unknown format"), std::string::npos);
  EXPECT_NE(ErrorOf(kHeader + std::string("9000 \"A\"\0\0\0end\n", 14)).find("NUL"),
            std::string::npos);
  EXPECT_NE(ErrorOf(kHeader + "end\n" + std::string(kMaxScoreFileBytes, '#')).find("larger"),
            std::string::npos);

  // Every cut before the final "end" (its newline may go) must be refused.
  ScoreTable table;
  for (int i = 0; i < kScoreRows; ++i)
    table.Insert(9000.0f + static_cast<float>(i), "NAME " + std::to_string(i));
  const std::string whole = WriteScoreFile(table);
  const size_t endAt = whole.rfind("end\n");
  for (size_t cut = 0; cut < endAt + 3; ++cut)
    EXPECT_THROW(ParseScoreFile(whole.substr(0, cut)), ScoreFileError) << "cut at " << cut;
  EXPECT_EQ(Parse(whole.substr(0, endAt + 3)), table);
}

}  // namespace