#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "components/scores/file_score_board.h"
#include "components/scores/safe_file.h"
#include "components/scores/score_file.h"
#include "components/scores/score_package.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;

enum class Step {
  kMakeFolder,
  kLock,
  kCreate,
  kWrite,
  kFlush,
  kClose,
  kReplace,
  kFlushFolder,
  kRemove
};

// The real file operations, except that the test may fail the next call of
// one step with a chosen error, or cut every write short.
class FaultyFileOps : public FileOps {
 public:
  void FailNext(Step step, std::errc error) { armed_[step] = error; }
  void LimitWrites(size_t bytes) { writeLimit_ = bytes; }
  std::error_code MakeFolder(const std::string& f) override {
    return Hit(Step::kMakeFolder) ? error_ : real_.MakeFolder(f);
  }
  std::error_code TryLock(const std::string& p, Handle& h) override {
    return Hit(Step::kLock) ? error_ : real_.TryLock(p, h);
  }
  void Unlock(Handle h) override { real_.Unlock(h); }
  std::error_code Create(const std::string& p, Handle& h) override {
    return Hit(Step::kCreate) ? error_ : real_.Create(p, h);
  }
  std::error_code Write(Handle h, const char* data, size_t size, size_t& written) override {
    return Hit(Step::kWrite) ? error_ : real_.Write(h, data, std::min(size, writeLimit_), written);
  }
  std::error_code Flush(Handle h) override { return Hit(Step::kFlush) ? error_ : real_.Flush(h); }
  std::error_code Close(Handle h) override {
    const std::error_code ec = real_.Close(h);  // the descriptor goes either way
    return Hit(Step::kClose) ? error_ : ec;
  }
  std::error_code Replace(const std::string& from, const std::string& to) override {
    return Hit(Step::kReplace) ? error_ : real_.Replace(from, to);
  }
  std::error_code FlushFolder(const std::string& f) override {
    return Hit(Step::kFlushFolder) ? error_ : real_.FlushFolder(f);
  }
  std::error_code Remove(const std::string& p) override { return Hit(Step::kRemove) ? error_ : real_.Remove(p); }

 private:
  bool Hit(Step step) {
    auto it = armed_.find(step);
    if (it == armed_.end()) return false;
    error_ = std::make_error_code(it->second);
    armed_.erase(it);
    return true;
  }

  FileOps& real_ = SystemFileOps();
  std::map<Step, std::errc> armed_;
  std::error_code error_;
  size_t writeLimit_ = static_cast<size_t>(-1);
};

ScoreTable FactoryTable() {
  std::vector<ScoreRow> rows;
  for (int i = 0; i < kScoreRows; ++i) {
    rows.push_back(ScoreRow{9500.0f - 10.0f * static_cast<float>(i), "F" + std::to_string(i + 1)});
  }
  return ScoreTable::FromRows(rows);
}

class ScoreSave : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.Write("program/hs.pak", BuildPackage({PackageEntry{"hs.ini", WriteScoreFile(FactoryTable())}}));
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(dir_ / "data", fs::perms::owner_all, ignored);
  }

  ScoreStorePaths Paths() const {
    return ScoreStorePaths{(dir_ / "program").string(), (dir_ / "data").string(), true};
  }
  fs::path IniPath() const { return dir_ / "data" / "hs.ini"; }
  std::string ReadIni() const { return ReadWholeFile(IniPath()); }
  ScoreTable IniTable() const { return ParseScoreFile(ReadIni()).table; }

  TestFolder folder_{"scoresave"};
  const fs::path dir_ = folder_.Path();
};

TEST_F(ScoreSave, AFailureAtAnyStepKeepsTheOldFileWholeAndTheNextEntryTriesAgain) {
  const std::vector<std::pair<Step, std::string>> steps = {
      {Step::kMakeFolder, "cannot create"},
      {Step::kCreate, "cannot create hs.ini.tmp"},
      {Step::kWrite, "cannot write hs.ini.tmp"},
      {Step::kFlush, "cannot flush hs.ini.tmp"},
      {Step::kClose, "cannot close hs.ini.tmp"},
      {Step::kReplace, "cannot rename hs.ini.tmp over hs.ini"},
  };
  for (const auto& [step, words] : steps) {
    SCOPED_TRACE(words);
    fs::remove_all(dir_ / "data");
    FaultyFileOps ops;
    ops.LimitWrites(64);  // several writes per save, so the failing one is mid-file
    FileScoreBoard board(Paths(), ops);
    board.OpenTable("hs.ini", 10, 0);
    board.AddScore(9900, "SAVED", {});
    const std::string before = ReadIni();
    ASSERT_EQ(ParseScoreFile(before).table.Row(1).name, "SAVED");

    ops.FailNext(step, std::errc::no_space_on_device);
    testing::internal::CaptureStderr();
    board.AddScore(9800, "HELD IN MEMORY", {});
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadIni(), before);
    EXPECT_FALSE(fs::exists(TempPathFor(IniPath().string())));
    EXPECT_EQ(board.UnsavedEntries(), 1u);
    EXPECT_EQ(board.GetName(2), "HELD IN MEMORY");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find("cannot save " + IniPath().string()), std::string::npos) << log;
    EXPECT_NE(log.find(words), std::string::npos) << log;
    EXPECT_NE(log.find("No space left on device"), std::string::npos) << log;

    board.AddScore(9000, "TOO SLOW", {});  // enters nothing, but the owed entry is saved
    EXPECT_EQ(board.UnsavedEntries(), 0u);
    const ScoreTable saved = IniTable();
    EXPECT_EQ(saved.Row(1).name, "SAVED");
    EXPECT_EQ(saved.Row(2).name, "HELD IN MEMORY");
    EXPECT_EQ(saved.Row(3).name, "F1");
  }
}

TEST_F(ScoreSave, AFailedFolderFlushComesAfterTheRenameAndAddsNoDuplicate) {
  FaultyFileOps ops;
  FileScoreBoard board(Paths(), ops);
  board.OpenTable("hs.ini", 10, 0);
  ops.FailNext(Step::kFlushFolder, std::errc::io_error);
  testing::internal::CaptureStderr();
  board.AddScore(9900, "ONCE", {});
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("folder could not be flushed"), std::string::npos) << log;
  EXPECT_EQ(board.UnsavedEntries(), 0u);
  board.AddScore(9000, "NEXT", {});  // too slow to enter; nothing to save again
  board.AddScore(9899, "SECOND", {});
  const ScoreTable saved = IniTable();
  EXPECT_EQ(saved.Row(1).name, "ONCE");
  EXPECT_EQ(saved.Row(2).name, "SECOND");
  EXPECT_EQ(saved.Row(3).name, "F1");
}

TEST_F(ScoreSave, AFailedExtractionIsAnErrorAndLeavesNoFile) {
  FaultyFileOps ops;
  FileScoreBoard board(Paths(), ops);
  board.OpenPackage("hs.pak", 0, "Open File", 0);
  ops.FailNext(Step::kFlush, std::errc::io_error);
  try {
    board.ExtractPackage(0);
    FAIL() << "no error";
  } catch (const ComponentError& e) {
    EXPECT_EQ(e.Operation(), "ExtractPackage");
    EXPECT_NE(e.Reason().find(IniPath().string()), std::string::npos) << e.Reason();
  }
  EXPECT_FALSE(fs::exists(IniPath()));
  board.OpenTable("hs.ini", 10, 0);
  EXPECT_EQ(board.GetName(1), "F1");
}

// Root writes into a folder whatever its mode says, and tests run as root
// here; then something that is no file stands where the temporary file must
// go, which fails the save at the same step a read-only folder would.
TEST_F(ScoreSave, AReadOnlyFolderCostsNoEntryAlreadySaved) {
  {
    FileScoreBoard board(Paths(), SystemFileOps());
    board.OpenTable("hs.ini", 10, 0);
    board.AddScore(9900, "BEFORE", {});
  }
  const std::string before = ReadIni();
  const bool root = ::geteuid() == 0;
  if (root) {
    fs::create_directory(TempPathFor(IniPath().string()));
  } else {
    fs::permissions(dir_ / "data", fs::perms::owner_read | fs::perms::owner_exec);
  }

  FileScoreBoard board(Paths(), SystemFileOps());
  board.OpenTable("hs.ini", 10, 0);
  testing::internal::CaptureStderr();
  board.AddScore(9950, "WHILE READ-ONLY", {});
  board.AddScore(9940, "STILL READ-ONLY", {});
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(ReadIni(), before);
  EXPECT_EQ(board.UnsavedEntries(), 2u);
  EXPECT_EQ(board.GetName(1), "WHILE READ-ONLY");
  EXPECT_NE(log.find(root ? "Is a directory" : "Permission denied"), std::string::npos) << log;
  FileScoreBoard reader(Paths(), SystemFileOps());
  reader.OpenTable("hs.ini", 10, 0);
  EXPECT_EQ(reader.GetName(1), "BEFORE");
}

// A file-size limit makes the kernel refuse the write itself (EFBIG); the
// limit belongs to the whole process, so a child takes it.
TEST_F(ScoreSave, AFileTooLargeErrorKeepsTheOldFile) {
  {
    FileScoreBoard board(Paths(), SystemFileOps());
    board.OpenTable("hs.ini", 10, 0);
    board.AddScore(9900, "BEFORE", {});
  }
  const std::string before = ReadIni();
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100, 100};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::FILE* quiet = std::freopen("/dev/null", "w", stderr);
    (void)quiet;
    FileScoreBoard board(Paths(), SystemFileOps());
    board.OpenTable("hs.ini", 10, 0);
    board.AddScore(9950, "TOO BIG TO WRITE", {});
    ::_exit(board.UnsavedEntries() == 1 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadIni(), before);
  EXPECT_FALSE(fs::exists(TempPathFor(IniPath().string())));
}

TEST_F(ScoreSave, ASaveWaitsForAnotherCopysSaveToFinish) {
  FileScoreBoard board(Paths(), SystemFileOps());
  board.OpenTable("hs.ini", 10, 0);
  fs::create_directories(dir_ / "data");
  const std::string lockPath = IniPath().string() + ".lock";
  auto other = std::make_unique<SaveLock>(SystemFileOps(), lockPath, std::chrono::milliseconds(0));
  ASSERT_FALSE(other->Busy());
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    other.reset();
  });
  const auto start = std::chrono::steady_clock::now();
  board.AddScore(9900, "WAITED", {});
  const auto waited = std::chrono::steady_clock::now() - start;
  release.join();
  EXPECT_GE(waited, std::chrono::milliseconds(100));
  EXPECT_EQ(board.UnsavedEntries(), 0u);
  EXPECT_EQ(IniTable().Row(1).name, "WAITED");
  SaveLock again(SystemFileOps(), lockPath, std::chrono::milliseconds(0));
  EXPECT_FALSE(again.Busy());  // the board let go
}

// The suite kills a few hundred children; the soak (scripts/soak.sh) asks for
// thousands through KESTREVAN_KILL_ROUNDS. A value that is not a whole number
// from 1 up is refused rather than quietly running the default.
int KillRounds() {
  constexpr int kSuiteRounds = 300;
  const char* text = std::getenv("KESTREVAN_KILL_ROUNDS");
  if (!text || !*text) return kSuiteRounds;
  char* end = nullptr;
  const long rounds = std::strtol(text, &end, 10);
  if (*end != '\0' || rounds < 1 || rounds > 10000000) {
    ADD_FAILURE() << "KESTREVAN_KILL_ROUNDS=" << text << ": not a round count from 1 to 10000000";
    return 0;
  }
  return static_cast<int>(rounds);
}

// A child saves entry after entry through the real board and is killed at a
// random moment; every time, hs.ini must read as the table before or after
// one of its saves. Entry n has value n/1024 (exact in a single up to ten
// million entries) and name "N<n>", each better than the last, so a whole
// table is ten consecutive entries, best first.
TEST_F(ScoreSave, SurvivesBeingKilledAtAnyMomentOfASave) {
  const int rounds = KillRounds();
  ASSERT_GT(rounds, 0);
  const auto valueOf = [](int n) { return static_cast<float>(n) / 1024.0f; };
  {
    std::vector<ScoreRow> rows;
    for (int n = 1; n <= kScoreRows; ++n)
      rows.push_back(ScoreRow{valueOf(n), "N" + std::to_string(n)});
    fs::create_directories(dir_ / "data");
    std::ofstream(IniPath(), std::ios::binary) << WriteScoreFile(ScoreTable::FromRows(rows));
  }
  std::mt19937 random(20240611);
  // Mostly within a few saves of the start; every fourth round longer, so a
  // disk with slow flushes still sees saves complete.
  std::uniform_int_distribution<int> soon(0, 4000);
  std::uniform_int_distribution<int> later(0, 40000);
  int top = kScoreRows;
  int advanced = 0;
  int killedMidSave = 0;
  const auto started = std::chrono::steady_clock::now();
  for (int round = 0; round < rounds; ++round) {
    const int first = top + 1;
    // The child says when its table is open, so the moment of the kill is
    // counted from its first save, not from a fork that a loaded machine
    // (or a sanitized build) may take milliseconds to get going.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(ready[0]);
      std::FILE* quiet = std::freopen("/dev/null", "w", stderr);
      (void)quiet;
      try {
        FileScoreBoard board(Paths(), SystemFileOps());
        board.OpenTable("hs.ini", 10, 0);
        const char go = 1;
        if (::write(ready[1], &go, 1) != 1) ::_exit(1);
        for (int n = first; n < 10000000; ++n)
          board.AddScore(valueOf(n), "N" + std::to_string(n), {});
      } catch (...) {
      }
      ::_exit(0);
    }
    ::close(ready[1]);
    char go = 0;
    const bool opened = ::read(ready[0], &go, 1) == 1;  // 0: the child ended first
    ::close(ready[0]);
    if (opened) {
      std::this_thread::sleep_for(
          std::chrono::microseconds(round % 4 == 3 ? later(random) : soon(random)));
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (fs::exists(TempPathFor(IniPath().string()))) ++killedMidSave;

    std::ifstream in(IniPath(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ScoreFileContents contents;
    try {
      contents = ParseScoreFile(text);
    } catch (const ScoreFileError& e) {
      FAIL() << "round " << round << ": " << e.what() << "\n" << text;
    }
    ASSERT_TRUE(contents.warnings.empty()) << "round " << round << "\n" << text;
    const ScoreTable& table = contents.table;
    const int newTop = static_cast<int>(table.Row(1).value * 1024.0f);
    ASSERT_GE(newTop, top) << "round " << round << ": an older table came back";
    for (int row = 1; row <= kScoreRows; ++row) {
      const int n = newTop - row + 1;
      ASSERT_EQ(table.Row(row), (ScoreRow{valueOf(n), "N" + std::to_string(n)}))
          << "round " << round;
    }
    if (newTop > top) ++advanced;
    top = newTop;
  }
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf(
      "[          ] %d rounds in %.1f s: %d saved something, %d killed with a temporary file "
      "left\n",
      rounds, seconds, advanced, killedMidSave);
  // The kills must land among the saves, or the test proved nothing.
  EXPECT_GT(advanced, rounds / 20);

  FileScoreBoard board(Paths(), SystemFileOps());
  board.OpenTable("hs.ini", 10, 0);
  EXPECT_FALSE(fs::exists(TempPathFor(IniPath().string())));
  EXPECT_EQ(board.GetName(1), "N" + std::to_string(top));
}

}  // namespace
