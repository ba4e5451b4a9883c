#include "core/trace.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/game.h"
#include "csv_rows.h"
#include "testkit/quiet_engine.h"

namespace {

uint32_t Bits(float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

class TraceRows : public ::testing::Test {
 protected:
  QuietEngine engine_;
  Random random_{1};
  Game game_{engine_, nullptr, random_};
};

// The header and the columns of real flights are checked byte for byte by
// the golden replays; these are the values no flight reaches.

TEST_F(TraceRows, RealsReadBackBitForBit) {
  const std::vector<float> values = {0.1f,          1.0f / 3.0f, -0.0f,        16777217.0f,
                                     3.4028235e38f, 1.4e-45f,    -7.0f / 60.0f};
  ASSERT_EQ(CsvFields(TraceHeader()).at(4), "LanderY");
  for (float value : values) {
    game_.Round.LanderY = value;
    const std::string text = CsvFields(TraceRow(1, Screen::kGame, game_)).at(4);
    EXPECT_EQ(Bits(std::strtof(text.c_str(), nullptr)), Bits(value)) << text;
  }
}

TEST_F(TraceRows, QuotesNamesSoTheyReadBack) {
  const std::vector<std::string> names = {"",     "plain",     "with,comma",  "say \"hi\"",
                                          "\"\"", "a,\"b\",c", "line\nbreak", "trailing\r"};
  for (const std::string& name : names) {
    game_.HighScores.PlayerName = name;
    const std::string row = TraceRow(7, Screen::kMenu, game_);
    EXPECT_NE(row.find(",\""), std::string::npos);
    const std::vector<std::string> fields = CsvFields(row);
    ASSERT_EQ(fields.size(), CsvFields(TraceHeader()).size()) << row;
    EXPECT_EQ(fields.back(), name);
    EXPECT_EQ(fields[1], "menu");
  }
}

}  // namespace
