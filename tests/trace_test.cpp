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
#include "fakes/recording_engine.h"

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
  std::vector<std::string> Row(int64_t pass, const std::string& state) {
    const std::string row = TraceRow(pass, state, game_);
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

  RecordingEngine engine_;
  Random random_{1};
  Game game_{engine_, nullptr, random_};
};

TEST(TraceColumns, HeaderIsTheAgreedList) {
  EXPECT_EQ(TraceHeader(),
            "pass,state,FrameCount,LanderX,LanderY,SpeedX,SpeedY,Height,Fuel,Health,CameraY,"
            "FlightTime,TickCountdown,SendTicksLeft,OnGround,ParachuteOpen,ParachuteReleased,"
            "ParachuteUnfold,ParachuteSwing,LanderOpened,OpenFrame,OpenFrameTimer,OpenProgress,"
            "PadVisited1,PadVisited2,PadVisited3,DataCollected,RoundFinished,RoundLost,"
            "ExplosionTime,MenuChoice,StartFade,NewEntryRank,PlayerName\n");
}

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

  const std::vector<std::string> fields = Row(123456789012LL, "game");
  ASSERT_EQ(fields.size(), SplitCsvRow(TraceHeader()).size());
  const std::vector<std::pair<const char*, const char*>> expected = {
      {"pass", "123456789012"}, {"state", "game"},        {"FrameCount", "11.5"},
      {"LanderX", "1.25"},      {"LanderY", "-2.5"},      {"SpeedX", "3.75"},
      {"SpeedY", "-4.125"},     {"Height", "5.5"},        {"Fuel", "6.25"},
      {"Health", "7.5"},        {"CameraY", "8.75"},      {"FlightTime", "9.5"},
      {"TickCountdown", "-12345678"}, {"SendTicksLeft", "-32768"}, {"OnGround", "1"},
      {"ParachuteOpen", "0"},   {"ParachuteReleased", "1"}, {"ParachuteUnfold", "0.5"},
      {"ParachuteSwing", "-0.25"}, {"LanderOpened", "1"}, {"OpenFrame", "13"},
      {"OpenFrameTimer", "14"}, {"OpenProgress", "15.5"}, {"PadVisited1", "1"},
      {"PadVisited2", "0"},     {"PadVisited3", "1"},     {"DataCollected", "0"},
      {"RoundFinished", "1"},   {"RoundLost", "0"},       {"ExplosionTime", "16.5"},
      {"MenuChoice", "2"},      {"StartFade", "17.5"},    {"NewEntryRank", "3"},
      {"PlayerName", "Ann"},
  };
  for (const auto& [name, value] : expected) EXPECT_EQ(fields[Column(name)], value) << name;
}

TEST_F(TraceRows, RealsReadBackBitForBit) {
  const std::vector<float> values = {
      0.1f,     1.0f / 3.0f, 1e-8f,   -0.0f,   0.0f,     16777217.0f, 3.4028235e38f,
      -1e30f,   1.17549435e-38f /* smallest normal */, 1.4e-45f /* smallest subnormal */,
      2.0f / 3.0f, 123456.789f, -7.0f / 60.0f};
  for (float value : values) {
    game_.Round.LanderY = value;
    game_.Menu.StartFade = -value;
    const std::vector<std::string> fields = Row(1, "game");
    const std::string& text = fields[Column("LanderY")];
    EXPECT_EQ(text.find(' '), std::string::npos) << text;
    EXPECT_EQ(Bits(std::strtof(text.c_str(), nullptr)), Bits(value)) << text;
    EXPECT_EQ(Bits(std::strtof(fields[Column("StartFade")].c_str(), nullptr)), Bits(-value));
  }
}

TEST_F(TraceRows, QuotesNamesAndOddStatesSoTheyReadBack) {
  const std::vector<std::string> names = {"",          "plain",       "with,comma",
                                          "say \"hi\"", "\"\"",          "a,\"b\",c",
                                          "line\nbreak", "trailing\r"};
  for (const std::string& name : names) {
    game_.HighScores.PlayerName = name;
    const std::string row = TraceRow(7, "menu", game_);
    EXPECT_NE(row.find(",\"" ), std::string::npos);
    const std::vector<std::string> fields = SplitCsvRow(row);
    ASSERT_EQ(fields.size(), SplitCsvRow(TraceHeader()).size()) << row;
    EXPECT_EQ(fields.back(), name);
    EXPECT_EQ(fields[1], "menu");
  }
  // Fixed state words stay bare; anything CSV would misread gets quoted.
  EXPECT_EQ(TraceRow(1, "highscores", game_).rfind("1,highscores,", 0), 0u);
  game_.HighScores.PlayerName = "x";
  const std::string odd = TraceRow(1, "a,\"b", game_);
  EXPECT_EQ(odd.rfind("1,\"a,\"\"b\",", 0), 0u) << odd;
  EXPECT_EQ(SplitCsvRow(odd)[1], "a,\"b");
}

TEST(TraceCsvQuote, WrapsAndDoublesQuotes) {
  EXPECT_EQ(CsvQuote(""), "\"\"");
  EXPECT_EQ(CsvQuote("Ann"), "\"Ann\"");
  EXPECT_EQ(CsvQuote("a\"b"), "\"a\"\"b\"");
  EXPECT_EQ(CsvQuote("\""), "\"\"\"\"");
}

}  // namespace
