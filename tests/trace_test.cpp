#include "core/trace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "core/game.h"
#include "testkit/quiet_engine.h"

namespace {

// A small CSV reader: fields split on commas outside quotes, "" inside
// quotes is one quote. The trailing newline ends the row.
std::vector<std::string> SplitCsvRow(const std::string& row) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < row.size(); ++i) {
    const char c = row[i];
    if (quoted) {
      if (c == '"' && i + 1 < row.size() && row[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c == '\n' && i + 1 == row.size()) {
      break;
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

uint32_t Bits(float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

class TraceRows : public ::testing::Test {
 protected:
  std::vector<std::string> Row(int64_t pass, Screen screen) {
    const std::string row = TraceRow(pass, screen, game_);
    EXPECT_FALSE(row.empty());
    EXPECT_EQ(row.back(), '\n');
    EXPECT_EQ(row.find('\r'), std::string::npos);
    return SplitCsvRow(row);
  }
  std::size_t Column(const std::string& name) {
    const std::vector<std::string> names = SplitCsvRow(TraceHeader());
    for (std::size_t i = 0; i < names.size(); ++i)
      if (names[i] == name) return i;
    ADD_FAILURE() << "no column " << name;
    return 0;
  }

  QuietEngine engine_;
  Random random_{1};
  Game game_{engine_, nullptr, random_};
};

// The header and the columns of real flights are checked byte for byte by
// the golden replays.

TEST_F(TraceRows, EveryFieldLandsInItsColumn) {
  // Distinct values everywhere, so a swapped pair of columns shows.
  game_.Shell.FrameCount = 11.5f;
  RoundState& r = game_.Round;
  r.LanderX = 1.25f;
  r.LanderY = -2.5f;
  r.SpeedX = 3.75f;
  r.SpeedY = -4.125f;
  r.Height = 5.5f;
  r.Fuel = 6.25f;
  r.Health = 7.5f;
  r.CameraY = 8.75f;
  r.FlightTime = 9.5f;
  r.TickCountdown = -12345678;
  r.SendTicksLeft = -32768;
  r.OnGround = true;
  r.ParachuteOpen = false;
  r.ParachuteReleased = true;
  r.ParachuteUnfold = 0.5f;
  r.ParachuteSwing = -0.25f;
  r.LanderOpened = true;
  r.OpenFrame = 13;
  r.OpenFrameTimer = 14;
  r.OpenProgress = 15.5f;
  r.PadVisited = {true, false, true};
  r.DataCollected = false;
  r.RoundFinished = true;
  r.RoundLost = false;
  r.ExplosionTime = 16.5f;
  game_.Menu.MenuChoice = 2;
  game_.Menu.StartFade = 17.5f;
  game_.HighScores.NewEntryRank = 3;
  game_.HighScores.PlayerName = "Ann";

  const std::string row = TraceRow(123456789012LL, Screen::kGame, game_);
  EXPECT_EQ(row,
            "123456789012,game,11.5,1.25,-2.5,3.75,-4.125,5.5,6.25,7.5,8.75,9.5,-12345678,-32768,"
            "1,0,1,0.5,-0.25,1,13,14,15.5,1,0,1,0,1,0,16.5,2,17.5,3,\"Ann\"\n");
  EXPECT_EQ(SplitCsvRow(row).size(), SplitCsvRow(TraceHeader()).size());
}

TEST_F(TraceRows, RealsReadBackBitForBit) {
  const std::vector<float> values = {0.1f,
                                     1.0f / 3.0f,
                                     1e-8f,
                                     -0.0f,
                                     0.0f,
                                     16777217.0f,
                                     3.4028235e38f,
                                     -1e30f,
                                     1.17549435e-38f /* smallest normal */,
                                     1.4e-45f /* smallest subnormal */,
                                     2.0f / 3.0f,
                                     123456.789f,
                                     -7.0f / 60.0f};
  for (float value : values) {
    game_.Round.LanderY = value;
    game_.Menu.StartFade = -value;
    const std::vector<std::string> fields = Row(1, Screen::kGame);
    const std::string& text = fields[Column("LanderY")];
    EXPECT_EQ(text.find(' '), std::string::npos) << text;
    EXPECT_EQ(Bits(std::strtof(text.c_str(), nullptr)), Bits(value)) << text;
    EXPECT_EQ(Bits(std::strtof(fields[Column("StartFade")].c_str(), nullptr)), Bits(-value));
  }
}

TEST_F(TraceRows, QuotesNamesSoTheyReadBack) {
  const std::vector<std::string> names = {"",     "plain",     "with,comma",  "say \"hi\"",
                                          "\"\"", "a,\"b\",c", "line\nbreak", "trailing\r"};
  for (const std::string& name : names) {
    game_.HighScores.PlayerName = name;
    const std::string row = TraceRow(7, Screen::kMenu, game_);
    EXPECT_NE(row.find(",\""), std::string::npos);
    const std::vector<std::string> fields = SplitCsvRow(row);
    ASSERT_EQ(fields.size(), SplitCsvRow(TraceHeader()).size()) << row;
    EXPECT_EQ(fields.back(), name);
    EXPECT_EQ(fields[1], "menu");
  }
}

}  // namespace
