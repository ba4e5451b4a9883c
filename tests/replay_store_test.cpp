// Each won entry keeps the replay of its round beside the table, for as long
// as the entry stays in it.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "components/scores/replay_store.h"
#include "faulty_file_ops.h"
#include "replay/round_recorder.h"
#include "score_store_fixture.h"
#include "shell/replay_keeping_board.h"
#include "shell/score_start.h"
#include "testkit/quiet_engine.h"

namespace {

namespace fs = std::filesystem;

constexpr std::time_t kNow = 1796724903;  // 2026-12-08 10:15:03 UTC

// What the main loop shows the recorder of a round that begins from the
// menu and is won in `flightTime` ticks.
void WinRound(RoundRecorder& rounds, int32_t flightTime) {
  QuietEngine engine;
  Random random(7);
  Game g(engine, nullptr, random);
  g.Shell.HelpRoundsLeft = 3;
  rounds.BeforePass(g);
  g.Shell.HelpRoundsLeft = 2;
  g.Shell.GameState = Screen::kGame;
  rounds.AfterPass(g, Screen::kMenu, KeySet());
  rounds.BeforePass(g);
  g.Round.FlightTime = static_cast<float>(flightTime);
  g.Shell.GameState = Screen::kNameEntry;
  rounds.AfterPass(g, Screen::kGame, KeySet().set(key::kUp));
}

// The store as the game puts it together.
struct Store {
  Store(const ScoreStorePaths& paths, FileOps& ops)
      : table(paths, ops),
        replays(table.TablePath(), ops),
        board(table, replays, rounds, [] { return kNow; }) {}
  void Open() {
    PrepareScoreStore(board);
    board.OpenTable("hs.ini", 10, 0);
  }
  void Win(int32_t flightTime, const std::string& name) {
    WinRound(rounds, flightTime);
    board.AddScore(static_cast<float>(10000 - flightTime), name, {});
  }
  std::string OfRow(int16_t row) {
    const std::optional<StoredReplay> found = ReplayOfRow(board, replays, row);
    return found ? FileNameOf(found->path) : "none";
  }

  FileScoreBoard table;
  ReplayStore replays;
  RoundRecorder rounds;
  ReplayKeepingBoard board;
};

class ReplayKeeping : public ScoreStoreTest {
 protected:
  fs::path Replays() const { return dir_ / "data" / "replays"; }
  // Every file in replays/, temporary ones included, by name.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(Replays(), ec), end; !ec && it != end; it.increment(ec))
      names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // A replay file as an earlier run would have left it.
  void Keep(const std::string& file, const std::string& name, int32_t flightTime) const {
    Replay replay;
    replay.name = name;
    replay.flightTime = flightTime;
    replay.keys = ParseInputScript("2 -\n");
    folder_.Write("data/replays/" + file, ReplayText(replay));
  }
  void WriteTable(const std::vector<ScoreRow>& rows) const {
    folder_.Write("data/hs.ini", WriteScoreFile(ScoreTable::FromRows(rows)));
  }
};

TEST_F(ReplayKeeping, AWonEntryKeepsOneReplayWithItsNameAndTimeAndNeverOverwritesAnother) {
  Store s(Paths(), SystemFileOps());
  s.Open();
  WinRound(s.rounds, 522);
  EXPECT_FALSE(fs::exists(Replays())) << "made before the first save";
  s.board.AddScore(9478, "ace\x01", {});
  ASSERT_EQ(Files(), std::vector<std::string>{"20261208-101503-522.txt"});
  EXPECT_EQ(fs::status(Replays()).permissions() & fs::perms::all, fs::perms::owner_all);
  const Replay kept = LoadReplay((Replays() / "20261208-101503-522.txt").string());
  EXPECT_EQ(kept.name, "ace?");
  EXPECT_EQ(kept.flightTime, 522);
  EXPECT_EQ(kept.date, "2026-12-08 10:15:03 UTC");
  EXPECT_EQ(kept.version, "Kestrevan 1.05");
  EXPECT_EQ(kept.keys.TotalPasses(), 3);
  ASSERT_EQ(s.board.GetName(4), "ace?");
  EXPECT_EQ(s.OfRow(4), "20261208-101503-522.txt");

  // The same win again in the same second, and an entry with no won round.
  s.Win(522, "ace\x01");
  s.board.AddScore(9477, "NO ROUND", {});
  EXPECT_EQ(Files(),
            (std::vector<std::string>{"20261208-101503-522-2.txt", "20261208-101503-522.txt"}));
  EXPECT_EQ(s.OfRow(4), "20261208-101503-522.txt");
  EXPECT_EQ(s.OfRow(5), "20261208-101503-522-2.txt");
  EXPECT_EQ(s.OfRow(6), "none");
  EXPECT_EQ(FileNameOf(BestReplay(s.board, s.replays)->path), "20261208-101503-522.txt");
}

TEST_F(ReplayKeeping, AnEntryPushedOutOfTheTableTakesItsReplayAndNoOther) {
  Keep("20261201-000000-580.txt", "F9", 580);
  Keep("20261201-000000-580-2.txt", "F9", 580);  // one more than F9 has rows
  Keep("20261201-000000-590.txt", "F10", 590);
  Keep("20261201-000000-591.txt", "F10", 591);  // no row's: another time
  folder_.Write("data/replays/notes.txt", "not a replay");
  Store s(Paths(), SystemFileOps());
  s.Open();
  testing::internal::CaptureStderr();
  s.Win(300, "NEW");
  EXPECT_EQ(Files(), (std::vector<std::string>{"20261201-000000-580-2.txt",
                                               "20261201-000000-580.txt", "20261201-000000-591.txt",
                                               "20261208-101503-300.txt", "notes.txt"}));
  s.Win(999, "TOO SLOW");  // enters nothing, so keeps nothing
  s.Win(301, "NEWER");     // F9 goes now
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(Files(), (std::vector<std::string>{"20261201-000000-591.txt", "20261208-101503-300.txt",
                                               "20261208-101503-301.txt", "notes.txt"}));
  const std::string named = (Replays() / "notes.txt").string();
  EXPECT_EQ(log.find(named), log.rfind(named)) << "named once: " << log;
  EXPECT_NE(log.find(named), std::string::npos) << log;
}

TEST_F(ReplayKeeping, OfTwoEqualEntriesTheLowerOneHasTheNewerFileAndItGoesFirst) {
  const ScoreTable factory = FactoryTable();
  std::vector<ScoreRow> rows(factory.Rows().begin(), factory.Rows().begin() + 8);
  rows.push_back(ScoreRow{9400, "TWIN"});
  rows.push_back(ScoreRow{9400, "TWIN"});
  WriteTable(rows);
  Keep("20261201-000000-600-2.txt", "TWIN", 600);
  Keep("20261201-000000-600.txt", "TWIN", 600);
  Store s(Paths(), SystemFileOps());
  s.Open();
  EXPECT_EQ(s.OfRow(9), "20261201-000000-600.txt");
  EXPECT_EQ(s.OfRow(10), "20261201-000000-600-2.txt");
  s.Win(300, "NEW");
  EXPECT_EQ(s.OfRow(10), "20261201-000000-600.txt");
  EXPECT_EQ(Files(),
            (std::vector<std::string>{"20261201-000000-600.txt", "20261208-101503-300.txt"}));
}

TEST_F(ReplayKeeping, AReplayThatCannotBeSavedCostsNotTheEntry) {
  auto steps = SaveFailureWords("20261208-101503-400.txt");
  steps.front().second += " " + Replays().string();  // the folder it could not make
  for (const auto& [step, words] : steps) {
    SCOPED_TRACE(words);
    fs::remove_all(dir_ / "data");
    FaultyFileOps ops;
    Store s(Paths(), ops);
    s.Open();
    ops.failNext = step;
    testing::internal::CaptureStderr();
    s.Win(400, "KEPT");
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(IniTable().Row(1).name, "KEPT");
    const bool saved = step == SaveStep::kFlushFolder;
    EXPECT_EQ(Files(), saved ? std::vector<std::string>{"20261208-101503-400.txt"}
                             : std::vector<std::string>{});
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find(words), std::string::npos) << log;
    EXPECT_NE(log.find("No space left on device"), std::string::npos) << log;
    if (!saved) {
      EXPECT_NE(
          log.find((Replays() / "20261208-101503-400.txt").string() + ": cannot save the replay: "),
          std::string::npos)
          << log;
      EXPECT_NE(log.find("; the entry is kept without it"), std::string::npos) << log;
    }
  }
}

// The entry pushes F10 out, whose replay goes with it. Killed at each step
// in turn, the store holds the old table or the new, the new one always with
// the entry's replay, and F10's replay until F10 has gone.
TEST_F(ReplayKeeping, AKillAtAnyStepLeavesTheTableOldOrNewAndNoReplayOrAWholeOne) {
  const fs::path mine = Replays() / "20261208-101503-400.txt";
  const fs::path f10 = Replays() / "20261201-000000-590.txt";
  ScoreTable newTable = FactoryTable();
  newTable.Insert(9600, "KILLED");
  int step = 1;
  for (;; ++step) {
    SCOPED_TRACE("killed at call " + std::to_string(step));
    fs::remove_all(dir_ / "data");
    folder_.Write("data/hs.ini", WriteScoreFile(FactoryTable()));
    Keep(FileNameOf(f10.string()), "F10", 590);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::FILE* quiet = std::freopen("/dev/null", "w", stderr);
      (void)quiet;
      FaultyFileOps ops;
      Store s(Paths(), ops);
      s.Open();
      ops.killAt = step;
      s.Win(400, "KILLED");
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const ScoreTable table = IniTable();
    const bool isNew = table == newTable;
    ASSERT_TRUE(isNew || table == FactoryTable());
    if (fs::exists(mine)) {
      const Replay kept = LoadReplay(mine.string());
      EXPECT_EQ(kept.name, "KILLED");
      EXPECT_EQ(kept.keys.TotalPasses(), 3);
    }
    EXPECT_TRUE(!isNew || fs::exists(mine));
    EXPECT_TRUE(fs::exists(f10) || isNew);
    if (WIFEXITED(status)) {
      EXPECT_TRUE(isNew && !fs::exists(f10));
      break;
    }
    // What the killed save left is cleared by the next.
    Store next(Paths(), SystemFileOps());
    testing::internal::CaptureStderr();
    next.Open();
    next.Win(300, "NEXT");
    testing::internal::GetCapturedStderr();
    for (const std::string& name : Files()) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
  }
  EXPECT_GT(step, 20) << "the kills never reached the saves";
}

// A table lost and restored from the package must not take a replay of a
// row it no longer has for one of its own, nor throw it away.
TEST_F(ReplayKeeping, ATableRestoredFromThePackageHasNoReplays) {
  Keep("20261101-000000-500.txt", "ANN", 500);  // F1's time
  Store s(Paths(), SystemFileOps());
  s.Open();
  for (int16_t row = 1; row <= kScoreRows; ++row) EXPECT_EQ(s.OfRow(row), "none") << row;
  EXPECT_FALSE(BestReplay(s.board, s.replays));
  s.Win(300, "NEW");
  EXPECT_EQ(Files(),
            (std::vector<std::string>{"20261101-000000-500.txt", "20261208-101503-300.txt"}));
  EXPECT_EQ(FileNameOf(BestReplay(s.board, s.replays)->path), "20261208-101503-300.txt");
}

}  // namespace
