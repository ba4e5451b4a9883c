#include "components/scores/file_score_board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "components/scores/score_file.h"
#include "components/scores/score_package.h"
#include "testkit/memory_score_board.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;

ScoreTable Parse(const std::string& text) { return ParseScoreFile(text).table; }

ScoreTable FactoryTable() {
  std::vector<ScoreRow> rows;
  for (int i = 0; i < kScoreRows; ++i) {
    rows.push_back(ScoreRow{9500.0f - 10.0f * static_cast<float>(i), "F" + std::to_string(i + 1)});
  }
  return ScoreTable::FromRows(rows);
}

// A program folder with a factory hs.pak and a data folder that does not
// exist yet, under a fresh temporary folder.
class ScoreBoardFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(PakPath(), BuildPackage({PackageEntry{"hs.ini", WriteScoreFile(FactoryTable())}}));
  }

  ScoreStorePaths Paths(bool headless = true) const {
    return ScoreStorePaths{(dir_ / "program").string(), (dir_ / "data").string(), headless};
  }
  std::unique_ptr<FileScoreBoard> Board(bool headless = true) const {
    return std::make_unique<FileScoreBoard>(Paths(headless), SystemFileOps());
  }
  fs::path IniPath() const { return dir_ / "data" / "hs.ini"; }
  fs::path PakPath() const { return dir_ / "program" / "hs.pak"; }

  static void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<fs::path> BadCopies() const {
    std::vector<fs::path> found;
    if (!fs::exists(dir_ / "data")) return found;
    for (const auto& entry : fs::directory_iterator(dir_ / "data")) {
      if (entry.path().filename().string().rfind("hs.ini.bad-", 0) == 0)
        found.push_back(entry.path());
    }
    return found;
  }
  static ScoreTable TableOf(ScoreBoard& board) {
    std::vector<ScoreRow> rows;
    for (int16_t row = 1; row <= kScoreRows; ++row)
      rows.push_back(ScoreRow{board.GetScore(row), board.GetName(row)});
    return ScoreTable::FromRows(rows);
  }
  static std::string ReasonOf(const std::function<void()>& call) {
    try {
      call();
    } catch (const ComponentError& e) {
      return e.what();
    }
    return "(no error)";
  }

  TestFolder folder_{"scoreboard"};
  const fs::path dir_ = folder_.Path();
};

TEST_F(ScoreBoardFiles, StartUpRestoresHsIniFromThePackageButNeverOverAPlayersTable) {
  auto board = Board();
  EXPECT_TRUE(board->FileExists("hs.pak"));
  ASSERT_FALSE(board->FileExists("hs.ini"));
  board->OpenPackage("hs.pak", 0, "Open File", 0);
  board->ExtractPackage(0);
  EXPECT_TRUE(board->FileExists("hs.ini"));
  EXPECT_EQ(board->TablePath(), IniPath().string());
  EXPECT_EQ(ReadWholeFile(IniPath()), WriteScoreFile(FactoryTable()));
  EXPECT_EQ(fs::status(dir_ / "data").permissions() & fs::perms::all, fs::perms::owner_all);
  board->OpenTable("hs.ini", 10, 0);
  EXPECT_EQ(TableOf(*board), FactoryTable());

  ScoreTable mine;
  mine.Insert(9999, "MINE");
  WriteFile(IniPath(), WriteScoreFile(mine));
  board->ExtractPackage(0);
  EXPECT_EQ(Parse(ReadWholeFile(IniPath())), mine);
}

// With no hs.ini the table starts from the package and is written on the
// first entry.
TEST_F(ScoreBoardFiles, AddScoreRanksShiftsDropsAndSavesAtOnce) {
  auto board = Board();
  board->OpenTable("hs.ini", 10, 0);
  EXPECT_EQ(TableOf(*board), FactoryTable());
  EXPECT_FALSE(fs::exists(IniPath()));
  EXPECT_EQ(board->GetRank(9455), 6);
  EXPECT_EQ(board->GetRank(9450), 7);  // equal to row 6: goes below it
  EXPECT_EQ(board->GetRank(9410), 11);
  board->AddScore(9450, "EQUAL", {"ignored"});
  board->AddScore(9410, "TOO SLOW", {});

  ScoreTable expected = FactoryTable();
  expected.Insert(9450, "EQUAL");
  auto reread = Board();
  reread->OpenTable("hs.ini", 10, 0);
  EXPECT_EQ(TableOf(*reread), expected);
  EXPECT_EQ(reread->GetName(7), "EQUAL");
  EXPECT_EQ(reread->GetName(10), "F9");  // F10 was pushed out
  EXPECT_EQ(board->UnsavedEntries(), 0u);
}

TEST_F(ScoreBoardFiles, NamesAreCleanedAndKeptAcrossSaves) {
  auto board = Board();
  board->OpenTable("hs.ini", 10, 0);
  board->AddScore(9990, "I'm lazy!", {});
  board->AddScore(9980, "[main]\n=;\"Q\"\x01" + std::string(40, 'Z'), {});
  auto reread = Board();
  reread->OpenTable("hs.ini", 10, 0);
  EXPECT_EQ(reread->GetName(1), "I'm lazy!");
  EXPECT_EQ(reread->GetName(2), "[main]?=;\"Q\"?" + std::string(19, 'Z'));
}

TEST_F(ScoreBoardFiles, AMissingOrDamagedPackageGivesAnErrorAndAnEmptyTable) {
  // The package's own refusals are tested with it; here, what the board makes of one.
  std::string badChecksum = ReadWholeFile(PakPath());
  badChecksum[badChecksum.size() / 2] ^= 1;
  const std::vector<std::pair<std::string, std::string>> cases = {
      {badChecksum, "checksum"},
      {"(none)", "does not exist"},
      {BuildPackage({PackageEntry{"other", "x"}}), "holds no hs.ini"},
      {BuildPackage({PackageEntry{"hs.ini", "junk"}}), "does not read"},
  };
  for (const auto& [bytes, reason] : cases) {
    SCOPED_TRACE(reason);
    fs::remove_all(dir_ / "data");
    fs::remove(PakPath());
    if (bytes != "(none)") WriteFile(PakPath(), bytes);
    auto board = Board();
    const std::string error = ReasonOf([&] { board->OpenPackage("hs.pak", 0, "Open File", 0); });
    EXPECT_NE(error.find(PakPath().string()), std::string::npos) << error;
    EXPECT_NE(error.find(reason), std::string::npos) << error;
    EXPECT_NE(ReasonOf([&] { board->ExtractPackage(0); }).find("no package"), std::string::npos);
    board->OpenTable("hs.ini", 10, 0);
    EXPECT_EQ(TableOf(*board), ScoreTable());
    board->AddScore(9000, "STILL WORKS", {});
    EXPECT_EQ(board->GetName(1), "STILL WORKS");
    if (bytes == "(none)") {
      EXPECT_FALSE(fs::exists(PakPath()));
    } else {
      EXPECT_EQ(ReadWholeFile(PakPath()), bytes);  // never written
    }
  }
}

TEST_F(ScoreBoardFiles, ADamagedTableIsMovedAsideWholeAndRestoredFromThePackage) {
  // Every reason the parser gives takes one way here (the reasons are tested
  // with the parser); a file too large is refused before it is parsed.
  const std::string full = WriteScoreFile(FactoryTable());
  const std::vector<std::pair<std::string, std::string>> cases = {
      {full.substr(0, full.size() / 2), "cut short"},
      {std::string(kMaxScoreFileBytes + 10, '#'), "larger than"},
  };
  for (const auto& [bytes, reason] : cases) {
    SCOPED_TRACE(reason);
    fs::remove_all(dir_ / "data");
    WriteFile(IniPath(), bytes);
    auto board = Board();
    testing::internal::CaptureStderr();
    board->OpenTable("hs.ini", 10, 0);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(TableOf(*board), FactoryTable());
    const std::vector<fs::path> bad = BadCopies();
    ASSERT_EQ(bad.size(), 1u);
    EXPECT_EQ(ReadWholeFile(bad[0]), bytes);
    EXPECT_FALSE(fs::exists(IniPath()));
    // One line, naming the file, the reason and where it went.
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_EQ(log.rfind("kestrevan: " + IniPath().string(), 0), 0u) << log;
    EXPECT_NE(log.find(reason), std::string::npos) << log;
    EXPECT_NE(log.find(bad[0].filename().string()), std::string::npos) << log;
  }
}

TEST_F(ScoreBoardFiles, AFolderWhereHsIniShouldBeIsMovedAsideToo) {
  fs::create_directories(IniPath() / "inside");
  auto board = Board();
  EXPECT_FALSE(board->FileExists("hs.ini"));
  board->OpenPackage("hs.pak", 0, "Open File", 0);
  board->ExtractPackage(0);
  EXPECT_TRUE(board->FileExists("hs.ini"));
  ASSERT_EQ(BadCopies().size(), 1u);
  EXPECT_TRUE(fs::is_directory(BadCopies()[0] / "inside"));
  board->OpenTable("hs.ini", 10, 0);
  EXPECT_EQ(TableOf(*board), FactoryTable());
}

TEST_F(ScoreBoardFiles, HostileRowsAreDroppedButTheRestOfTheFileIsKept) {
  WriteFile(IniPath(),
            "kestrevan scores 1\n9100 \"OK\"\nnan \"N\"\n-5 \"NEG\"\n1e40 \"HUGE\"\n"
            "9200 \"UNSORTED\"\n9100 \"OK\"\nend\n");
  auto board = Board();
  testing::internal::CaptureStderr();
  board->OpenTable("hs.ini", 10, 0);
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(board->GetName(1), "UNSORTED");
  EXPECT_EQ(board->GetName(2), "OK");
  EXPECT_EQ(board->GetName(3), "OK");
  EXPECT_EQ(board->GetScore(4), 0.0f);
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3) << log;
  EXPECT_TRUE(BadCopies().empty());
}

TEST_F(ScoreBoardFiles, AStaleTemporaryFileIsRemovedOnOpen) {
  WriteFile(IniPath(), WriteScoreFile(FactoryTable()));
  WriteFile(TempPathFor(IniPath().string()), "kestrevan scores 1\n9999 \"HALF WRITT");
  auto board = Board();
  board->OpenTable("hs.ini", 10, 0);
  EXPECT_FALSE(fs::exists(TempPathFor(IniPath().string())));
  EXPECT_EQ(TableOf(*board), FactoryTable());
}

TEST_F(ScoreBoardFiles, OnlyTheTwoBareNamesAndTenRowsAreAccepted) {
  auto board = Board();
  for (const std::string name :
       {"scores.ini", "../hs.ini", "/etc/passwd", "HS.INI", "hs.ini ", ""}) {
    EXPECT_THROW(board->FileExists(name), ComponentError) << name;
    EXPECT_THROW(board->OpenTable(name, 10, 0), ComponentError) << name;
    EXPECT_THROW(board->OpenPackage(name, 0, "Open File", 0), ComponentError) << name;
  }
  EXPECT_THROW(board->OpenTable("hs.pak", 10, 0), ComponentError);
  EXPECT_THROW(board->OpenPackage("hs.ini", 0, "Open File", 0), ComponentError);
  EXPECT_NE(ReasonOf([&] { board->OpenTable("hs.ini", 12, 0); }).find("10 rows"),
            std::string::npos);
}

TEST_F(ScoreBoardFiles, TableOperationsFailBeforeOpenAndOutsideRowsOneToTen) {
  auto board = Board();
  EXPECT_NE(ReasonOf([&] { board->GetRank(9000); }).find("no score table"), std::string::npos);
  EXPECT_THROW(board->GetScore(1), ComponentError);
  EXPECT_THROW(board->GetName(1), ComponentError);
  EXPECT_THROW(board->AddScore(9000, "EARLY", {}), ComponentError);
  board->OpenTable("hs.ini", 10, 0);
  for (const int16_t row : {int16_t{0}, int16_t{11}}) {
    EXPECT_EQ(ReasonOf([&] { board->GetScore(row); }).rfind("GetScore: row ", 0), 0u) << row;
    EXPECT_THROW(board->GetName(row), ComponentError) << row;
  }
  EXPECT_EQ(board->GetRank(std::numeric_limits<float>::quiet_NaN()), 11);
  EXPECT_THROW(board->AddScore(std::numeric_limits<float>::quiet_NaN(), "NAN", {}), ComponentError);
  EXPECT_THROW(board->AddScore(20000, "HUGE", {}), ComponentError);
  EXPECT_FALSE(fs::exists(IniPath()));
  EXPECT_EQ(TableOf(*board), FactoryTable());
}

TEST_F(ScoreBoardFiles, APortableInstallKeepsItsOwnTable) {
  ScoreTable portable;
  portable.Insert(9999, "PORTABLE");
  WriteFile(dir_ / "program" / "hs.ini", WriteScoreFile(portable));
  auto board = Board();
  EXPECT_EQ(board->TablePath(), (dir_ / "program" / "hs.ini").string());
  board->OpenTable("hs.ini", 10, 0);
  board->AddScore(9000, "SECOND", {});
  EXPECT_EQ(Parse(ReadWholeFile(dir_ / "program" / "hs.ini")).Row(2).name, "SECOND");
  EXPECT_FALSE(fs::exists(dir_ / "data"));
}

TEST_F(ScoreBoardFiles, TwoBoardsOnOneFileKeepBothEntries) {
  auto first = Board();
  auto second = Board();
  first->OpenTable("hs.ini", 10, 0);
  second->OpenTable("hs.ini", 10, 0);
  first->AddScore(9700, "FIRST COPY", {});
  second->AddScore(9600, "SECOND COPY", {});
  first->AddScore(9650, "FIRST AGAIN", {});
  auto reread = Board();
  reread->OpenTable("hs.ini", 10, 0);
  EXPECT_EQ(reread->GetName(1), "FIRST COPY");
  EXPECT_EQ(reread->GetName(2), "FIRST AGAIN");
  EXPECT_EQ(reread->GetName(3), "SECOND COPY");
  EXPECT_EQ(reread->GetName(4), "F1");
  EXPECT_EQ(TableOf(*first), TableOf(*reread));
}

TEST_F(ScoreBoardFiles, DelaySleepsExceptInHeadlessRuns) {
  using Clock = std::chrono::steady_clock;
  auto paced = Board(false);
  auto start = Clock::now();
  paced->Delay(40);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(40));
  auto headless = Board(true);
  start = Clock::now();
  headless->Delay(2000);
  paced->Delay(-5);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100));
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
    board->SetOption(50);
    if (!board->FileExists("hs.ini")) {
      board->OpenPackage("hs.pak", 0, "Open File", 0);
      board->ExtractPackage(0);
    }
    board->OpenTable("hs.ini", 10, 0);
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
