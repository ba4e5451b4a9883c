#include "components/scores/score_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

const char kHeader[] = "kestrevan scores 1\n";

ScoreTable Parse(const std::string& text) { return ParseScoreFile(text).table; }

std::string ErrorOf(const std::string& text) {
  try {
    ParseScoreFile(text);
  } catch (const ScoreFileError& e) {
    return e.what();
  }
  return "(no error)";
}

ScoreTable TableOfNames(const std::vector<std::string>& names) {
  std::vector<ScoreRow> rows;
  for (size_t i = 0; i < names.size(); ++i) {
    rows.push_back(ScoreRow{9900.0f - static_cast<float>(i), names[i]});
  }
  return ScoreTable::FromRows(rows);
}

TEST(ScoreFileRoundTrip, EveryTypeableCharacterAndOddNamesSurvive) {
  const std::vector<std::string> names = {
      "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
      "0123456789 +'/=-*.",
      "I'm lazy!",
      "  LEADING AND TRAILING  ",
      "\"QUOTED\" \\BACK\\ \\\"",
      "a=b ; c [d] # e",
      "end",
      "\xC3\x85SA \xE2\x98\x85 \xF0\x9F\x9A\x80",
      "",
      "!#$%&()*+,-./:;<=>?@[]^_`{|}~ az",
  };
  const ScoreTable table = TableOfNames(names);
  const ScoreTable back = Parse(WriteScoreFile(table));
  EXPECT_EQ(back, table);
  EXPECT_TRUE(ParseScoreFile(WriteScoreFile(table)).warnings.empty());
}

TEST(ScoreFileRoundTrip, ValuesComeBackAsTheSameSingle) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<float> anywhere(0.0f, 10000.0f);
  for (int round = 0; round < 200; ++round) {
    std::vector<ScoreRow> rows;
    for (int i = 0; i < kScoreRows; ++i) rows.push_back(ScoreRow{anywhere(random), "X"});
    if (round == 0) {
      rows[0].value = 10000.0f;
      rows[1].value = std::nextafter(10000.0f, 0.0f);
      rows[2].value = 1e-30f;
      rows[3].value = std::numeric_limits<float>::min();
      rows[4].value = 0.1f;
      rows[5].value = std::numeric_limits<float>::denorm_min();
      rows[6].value = -0.0f;
    }
    const ScoreTable table = ScoreTable::FromRows(rows);
    const ScoreTable back = Parse(WriteScoreFile(table));
    for (int row = 1; row <= kScoreRows; ++row) {
      uint32_t want = 0;
      uint32_t got = 0;
      std::memcpy(&want, &table.Row(row).value, 4);
      std::memcpy(&got, &back.Row(row).value, 4);
      ASSERT_EQ(got, want) << "row " << row << " value " << table.Row(row).value;
    }
  }
}

TEST(ScoreFileRoundTrip, EmptyRowsTakeNoLinesAndComeBackEmpty) {
  ScoreTable table;
  table.Insert(9500, "ONLY");
  const std::string text = WriteScoreFile(table);
  EXPECT_EQ(text.find("\n0 "), std::string::npos);
  EXPECT_EQ(Parse(text), table);
}

TEST(ScoreFileReading, ToleratesHandEditing) {
  const std::string text = std::string("\xEF\xBB\xBF") + "kestrevan scores 1\r\n" +
                           "\r\n# a comment\r\n\t 9500   \"CRLF\"  \r\n9600 \"A\\B\"\r\nend\r\n";
  const ScoreFileContents contents = ParseScoreFile(text);
  EXPECT_TRUE(contents.warnings.empty());
  EXPECT_EQ(contents.table.Row(1), (ScoreRow{9600, "A\\B"}));  // a lone backslash stays
  EXPECT_EQ(contents.table.Row(2), (ScoreRow{9500, "CRLF"}));
  EXPECT_EQ(Parse(std::string(kHeader) + "9000 \"NO NEWLINE\"\nend").Row(1).name, "NO NEWLINE");
}

TEST(ScoreFileReading, SortsRowsAndKeepsDuplicatesInFileOrder) {
  const ScoreTable table =
      Parse(std::string(kHeader) +
            "9100 \"C\"\n9300 \"A\"\n9200 \"B1\"\n9200 \"B2\"\n9200 \"B1\"\nend\n");
  EXPECT_EQ(table.Row(1).name, "A");
  EXPECT_EQ(table.Row(2).name, "B1");
  EXPECT_EQ(table.Row(3).name, "B2");
  EXPECT_EQ(table.Row(4).name, "B1");
  EXPECT_EQ(table.Row(5).name, "C");
  EXPECT_EQ(table.Row(6), ScoreRow{});
}

TEST(ScoreFileReading, KeepsTheBestTenOfMoreRowsWithAWarning) {
  std::string text = kHeader;
  for (int i = 0; i < 13; ++i)
    text += std::to_string(9000 + i) + " \"P" + std::to_string(i) + "\"\n";
  const ScoreFileContents contents = ParseScoreFile(text + "end\n");
  EXPECT_EQ(contents.table.Row(1).name, "P12");
  EXPECT_EQ(contents.table.Row(10).name, "P3");
  ASSERT_EQ(contents.warnings.size(), 1u);
  EXPECT_NE(contents.warnings[0].find("13 rows"), std::string::npos);
}

TEST(ScoreFileReading, DropsRowsWithValuesNoFlightCanGive) {
  const std::vector<std::string> bad = {"nan",    "NaN",    "inf",    "-inf",  "-1",  "10000.01",
                                        "1e5",    "1e999",  "1e-999", "1e-50", "abc", "9O00",
                                        "0x2000", "9000,5", "",       "+",     "1e"};
  for (const std::string& value : bad) {
    const ScoreFileContents contents =
        ParseScoreFile(std::string(kHeader) + value + " \"BAD\"\n9000 \"GOOD\"\nend\n");
    EXPECT_EQ(contents.table.Row(1), (ScoreRow{9000, "GOOD"})) << value;
    EXPECT_EQ(contents.table.Row(2), ScoreRow{}) << value;
    EXPECT_EQ(contents.warnings.size(), 1u) << value;
  }
  // The edges of the range are fine.
  EXPECT_EQ(Parse(std::string(kHeader) + "0 \"Z\"\n10000 \"T\"\n+5e3 \"E\"\nend\n").Row(2).value,
            5000.0f);
}

TEST(ScoreFileReading, MendsNamesAndSkipsLinesThatAreNotRows) {
  const std::string text = std::string(kHeader) + "9500 \"" + std::string(40, 'L') + "\"\n" +
                           "9400 \"TAB\tNUL-FREE \xFF\"\n" + "9300 \"UNCLOSED\n" +
                           "9200 \"JUNK\" AFTER\n" + "9100 NOQUOTES\n" + "[main]\n" +
                           "name=value\n" + "9000 \"OK\"\nend\n";
  const ScoreFileContents contents = ParseScoreFile(text);
  EXPECT_EQ(contents.table.Row(1).name, std::string(32, 'L'));
  EXPECT_EQ(contents.table.Row(2).name, "TAB?NUL-FREE ?");
  EXPECT_EQ(contents.table.Row(3).name, "OK");
  EXPECT_EQ(contents.table.Row(4), ScoreRow{});
  // Two mended names and five skipped lines, shown as five and a count.
  ASSERT_EQ(contents.warnings.size(), 6u);
  EXPECT_EQ(contents.warnings.back(), "and 2 more problems");
}

TEST(ScoreFileReading, IgnoresTextAfterTheEndLineWithAWarning) {
  const ScoreFileContents contents =
      ParseScoreFile(std::string(kHeader) + "9000 \"A\"\nend\n9999 \"LATE\"\n");
  EXPECT_EQ(contents.table.Row(1).name, "A");
  EXPECT_EQ(contents.warnings.size(), 1u);
}

TEST(ScoreFileRefusal, EmptyCutShortOrForeignFiles) {
  EXPECT_EQ(ErrorOf(""), "empty file");
  EXPECT_EQ(ErrorOf(" \n\r\n\t"), "empty file");
  EXPECT_NE(ErrorOf("[scores]\n1=9000\n").find("not a score file"), std::string::npos);
  EXPECT_NE(ErrorOf("kestrevan scoresX 1\nend\n").find("not a score file"), std::string::npos);
  EXPECT_NE(ErrorOf("kestrevan scores one\nend\n").find("unreadable version"), std::string::npos);
  EXPECT_NE(ErrorOf("kestrevan scores 2\nend\n").find("newer version"), std::string::npos);
  EXPECT_NE(ErrorOf("kestrevan scores 0\nend\n").find("unknown format"), std::string::npos);
  EXPECT_NE(ErrorOf(std::string(kHeader) + std::string("9000 \"A\"\0\0\0end\n", 14)).find("NUL"),
            std::string::npos);
  EXPECT_NE(
      ErrorOf(std::string(kHeader) + "end\n" + std::string(kMaxScoreFileBytes, '#')).find("larger"),
      std::string::npos);
}

TEST(ScoreFileRefusal, AFileCutShortAnywhereIsCaught) {
  ScoreTable table;
  for (int i = 0; i < kScoreRows; ++i)
    table.Insert(9000.0f + static_cast<float>(i), "NAME " + std::to_string(i));
  const std::string whole = WriteScoreFile(table);
  // Every cut before the final "end" (its newline may go) must be refused.
  const size_t endAt = whole.rfind("end\n");
  for (size_t cut = 0; cut < endAt + 3; ++cut) {
    EXPECT_THROW(ParseScoreFile(whole.substr(0, cut)), ScoreFileError) << "cut at " << cut;
  }
  EXPECT_EQ(Parse(whole.substr(0, endAt + 3)), table);
}

}  // namespace
