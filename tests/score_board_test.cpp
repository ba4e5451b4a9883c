#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "score_store_fixture.h"
#include "shell/score_start.h"
#include "testkit/memory_score_board.h"

namespace {

namespace fs = std::filesystem;

class ScoreBoardFiles : public ScoreStoreTest {
 protected:
  std::vector<fs::path> BadCopies() const {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(dir_ / "data")) {
      if (entry.path().filename().string().rfind("hs.ini.bad-", 0) == 0)
        found.push_back(entry.path());
    }
    return found;
  }
};

TEST_F(ScoreBoardFiles, StartUpRestoresHsIniFromThePackageButNeverOverAPlayersTable) {
  auto board = Board();
  EXPECT_TRUE(board->FileExists("hs.pak"));
  ASSERT_FALSE(board->FileExists("hs.ini"));
  PrepareScoreStore(*board);
  EXPECT_TRUE(board->FileExists("hs.ini"));
  EXPECT_EQ(board->TablePath(), IniPath().string());
  EXPECT_EQ(ReadWholeFile(IniPath()), WriteScoreFile(FactoryTable()));
  EXPECT_EQ(fs::status(dir_ / "data").permissions() & fs::perms::all, fs::perms::owner_all);

  // Another copy may have made a table since this one looked.
  ScoreTable mine;
  mine.Insert(9999, "MINE");
  folder_.Write("data/hs.ini", WriteScoreFile(mine));
  board->ExtractPackage(0);
  EXPECT_EQ(IniTable(), mine);
}

TEST_F(ScoreBoardFiles, AMissingOrDamagedPackageGivesAnErrorAndAnEmptyTable) {
  // The package's own refusals are tested with it; here, what the board makes of one.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "does not exist"},
      {FactoryPackage() + "junk", "length field"},
      {BuildPackage({PackageEntry{"other", "x"}}), "holds no hs.ini"},
      {BuildPackage({PackageEntry{"hs.ini", "junk"}}), "does not read"},
  };
  for (const auto& [bytes, reason] : cases) {
    SCOPED_TRACE(reason);
    fs::remove_all(dir_ / "data");
    fs::remove(PakPath());
    if (!bytes.empty()) folder_.Write("program/hs.pak", bytes);
    auto board = Board();
    try {
      board->OpenPackage("hs.pak", 0, "Open File", 0);
      ADD_FAILURE() << "no error";
    } catch (const ComponentError& e) {
      EXPECT_NE(e.Reason().find(PakPath().string()), std::string::npos) << e.Reason();
      EXPECT_NE(e.Reason().find(reason), std::string::npos) << e.Reason();
    }
    EXPECT_THROW(board->ExtractPackage(0), ComponentError);
    board->OpenTable("hs.ini", 10, 0);
    EXPECT_EQ(TableOf(*board), ScoreTable());
    board->AddScore(9000, "STILL WORKS", {});
    EXPECT_EQ(IniTable().Row(1).name, "STILL WORKS");
    EXPECT_EQ(ReadWholeFile(PakPath()), bytes);  // never written
  }
}

// Each damaged file is kept whole for the player, beside the others: they
// pile up within one second without taking each other's name.
TEST_F(ScoreBoardFiles, ADamagedTableIsMovedAsideWholeAndRestoredFromThePackage) {
  // Every reason the parser gives takes one way here (the reasons are tested
  // with the parser); a file too large or a folder is refused before that.
  const std::string full = WriteScoreFile(FactoryTable());
  const std::vector<std::pair<std::string, std::string>> cases = {
      {full.substr(0, full.size() / 2), "cut short"},
      {std::string(kMaxScoreFileBytes + 10, '#'), "larger than"},
      {"", "is a folder"},
  };
  std::vector<fs::path> earlier;
  for (const auto& [bytes, reason] : cases) {
    SCOPED_TRACE(reason);
    if (bytes.empty()) {
      fs::create_directories(IniPath() / "inside");
    } else {
      folder_.Write("data/hs.ini", bytes);
    }
    auto board = Board();
    testing::internal::CaptureStderr();
    board->OpenTable("hs.ini", 10, 0);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(TableOf(*board), FactoryTable());
    EXPECT_FALSE(fs::exists(IniPath()));
    std::vector<fs::path> bad = BadCopies();
    ASSERT_EQ(bad.size(), earlier.size() + 1);
    for (const fs::path& old : earlier) bad.erase(std::find(bad.begin(), bad.end(), old));
    if (bytes.empty()) {
      EXPECT_TRUE(fs::is_directory(bad[0] / "inside"));
    } else {
      EXPECT_EQ(ReadWholeFile(bad[0]), bytes);
    }
    earlier.push_back(bad[0]);
    // One line, naming the file, the reason and where it went.
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_EQ(log.rfind("kestrevan: " + IniPath().string(), 0), 0u) << log;
    EXPECT_NE(log.find(reason), std::string::npos) << log;
    EXPECT_NE(log.find(bad[0].filename().string()), std::string::npos) << log;
  }
}

TEST_F(ScoreBoardFiles, HostileRowsAreDroppedButTheRestOfTheFileIsKept) {
  folder_.Write("data/hs.ini", "kestrevan scores 1\n9100 \"OK\"\nnan \"N\"\n1e40 \"HUGE\"\nend\n");
  auto board = Board();
  testing::internal::CaptureStderr();
  board->OpenTable("hs.ini", 10, 0);
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(board->GetName(1), "OK");
  EXPECT_EQ(board->GetScore(2), 0.0f);
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
  EXPECT_TRUE(BadCopies().empty());
}

TEST_F(ScoreBoardFiles, OnlyTheTwoBareNamesTenRowsAndScoresFromTheTableAreAccepted) {
  auto board = Board();
  for (const std::string name : {"../hs.ini", "HS.INI"}) {
    EXPECT_THROW(board->FileExists(name), ComponentError) << name;
    EXPECT_THROW(board->OpenTable(name, 10, 0), ComponentError) << name;
    EXPECT_THROW(board->OpenPackage(name, 0, "Open File", 0), ComponentError) << name;
  }
  EXPECT_THROW(board->OpenTable("hs.pak", 10, 0), ComponentError);
  EXPECT_THROW(board->OpenPackage("hs.ini", 0, "Open File", 0), ComponentError);
  for (const int16_t rows : {int16_t{9}, int16_t{12}})
    EXPECT_THROW(board->OpenTable("hs.ini", rows, 0), ComponentError) << rows;
  // Before the table is open, and outside rows 1 to 10.
  EXPECT_THROW(board->GetRank(9000), ComponentError);
  EXPECT_THROW(board->AddScore(9000, "EARLY", {}), ComponentError);
  board->OpenTable("hs.ini", 10, 0);
  for (const int16_t row : {int16_t{0}, int16_t{11}}) {
    EXPECT_THROW(board->GetScore(row), ComponentError) << row;
    EXPECT_THROW(board->GetName(row), ComponentError) << row;
  }
  EXPECT_THROW(board->AddScore(std::numeric_limits<float>::quiet_NaN(), "NAN", {}), ComponentError);
  EXPECT_THROW(board->AddScore(20000, "HUGE", {}), ComponentError);
  EXPECT_FALSE(fs::exists(IniPath()));
}

TEST_F(ScoreBoardFiles, APortableInstallKeepsItsOwnTable) {
  ScoreTable portable;
  portable.Insert(9999, "PORTABLE");
  folder_.Write("program/hs.ini", WriteScoreFile(portable));
  auto board = Board();
  board->OpenTable("hs.ini", 10, 0);
  board->AddScore(9000, "SECOND", {});
  EXPECT_EQ(ParseScoreFile(ReadWholeFile(dir_ / "program" / "hs.ini")).table.Row(2).name, "SECOND");
  EXPECT_FALSE(fs::exists(dir_ / "data"));
}

// With no hs.ini the table starts from the package and is written on the
// first entry. Two copies of the game on one file keep each other's entries.
TEST_F(ScoreBoardFiles, EveryEntryIsSavedAtOnceAndTwoCopiesKeepEachOthers) {
  auto first = Board();
  auto second = Board();
  first->OpenTable("hs.ini", 10, 0);
  second->OpenTable("hs.ini", 10, 0);
  EXPECT_EQ(TableOf(*first), FactoryTable());
  EXPECT_FALSE(fs::exists(IniPath()));
  first->AddScore(9700, "FIRST COPY", {"ignored"});
  second->AddScore(9600, "SECOND\x01" + std::string(40, 'Z'), {});
  first->AddScore(9650, "FIRST AGAIN", {});
  first->AddScore(9410, "TOO SLOW", {});
  first->AddScore(9445, "LAST PLACE", {});  // row 10 of what this copy knows
  EXPECT_EQ(first->UnsavedEntries(), 0u);

  ScoreTable expected = FactoryTable();
  for (const auto& [value, name] :
       std::vector<std::pair<float, std::string>>{{9700, "FIRST COPY"},
                                                  {9650, "FIRST AGAIN"},
                                                  {9600, "SECOND?" + std::string(25, 'Z')},
                                                  {9445, "LAST PLACE"}})
    expected.Insert(value, name);
  ASSERT_EQ(expected.Row(10).name, "LAST PLACE");
  EXPECT_EQ(TableOf(*first), expected);
  auto reread = Board();
  reread->OpenTable("hs.ini", 10, 0);
  EXPECT_EQ(TableOf(*reread), expected);
}

TEST_F(ScoreBoardFiles, DelaySleepsExceptInHeadlessRuns) {
  using Clock = std::chrono::steady_clock;
  auto start = Clock::now();
  Board(false)->Delay(40);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(40));
  start = Clock::now();
  Board(true)->Delay(2000);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
}

// The fake the screens' tests use must rank and fall back exactly as the
// real store does, or those tests would prove nothing.
TEST_F(ScoreBoardFiles, TheMemoryFakeAgreesWithTheRealStore) {
  auto real = Board();
  MemoryScoreBoard fake;
  const ScoreTable factory = FactoryTable();
  fake.SetPackageRows(std::vector<ScoreRow>(factory.Rows().begin(), factory.Rows().end()));
  for (ScoreBoard* board :
       {static_cast<ScoreBoard*>(real.get()), static_cast<ScoreBoard*>(&fake)}) {
    PrepareScoreStore(*board);
    OpenScoreTable(*board);
  }
  const std::vector<float> values = {9500, 9999, 9420, 9410, 9500, 9000, 9999.5f, 9430, 9500, 1};
  for (size_t i = 0; i < values.size(); ++i) {
    ASSERT_EQ(real->GetRank(values[i]), fake.GetRank(values[i])) << i;
    real->AddScore(values[i], "E" + std::to_string(i), {});
    fake.AddScore(values[i], "E" + std::to_string(i), {});
    ASSERT_EQ(TableOf(*real), TableOf(fake)) << i;
  }
  EXPECT_EQ(*fake.Stored(), TableOf(*real));
}

}  // namespace