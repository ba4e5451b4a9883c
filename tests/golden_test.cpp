// Golden replays: three recorded flights replayed through Main must write
// exactly the traces checked in next to them, and leave the clouds and the
// particles pass for pass as their digests say. A change that alters either
// changes the game's behaviour; if it is meant, fly the replays again with
// make_golden and say why in the commit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/input_script.h"
#include "csv_rows.h"
#include "test_folder.h"
#include "testkit/golden_replay.h"

namespace {

std::string GoldenPath(const std::string& file) {
  return std::string(KESTREVAN_SOURCE_DIR) + "/tests/golden/" + file;
}

// Where two traces or digests part: the first line that differs and, for a
// trace, each column that differs by name, so a failure says what changed.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
  const std::vector<std::string> want = CsvLines(expected), got = CsvLines(actual);
  const std::vector<std::string> names = CsvFields(want.empty() ? "" : want[0]);
  for (std::size_t i = 0; i < want.size() || i < got.size(); ++i) {
    if (i < want.size() && i < got.size() && want[i] == got[i]) continue;
    std::string out = "line " + std::to_string(i + 1) + " differs";
    if (i >= want.size() || i >= got.size()) return out + ": one of them ended early";
    const std::vector<std::string> a = CsvFields(want[i]), b = CsvFields(got[i]);
    for (std::size_t c = 0; a.size() > 1 && c < a.size() && c < b.size(); ++c)
      if (a[c] != b[c] && c < names.size())
        out += "\n  " + names[c] + ": expected " + a[c] + ", got " + b[c];
    return out;
  }
  return "they differ only in their line endings";
}

// Replays one golden script and checks its trace and digests. What each
// flight achieves was checked by make_golden when it wrote the files.
void ReplayAndCompare(const std::string& name) {
  const InputScript script = LoadInputScript(GoldenPath(name + ".txt"));
  EXPECT_TRUE(script.seed.has_value()) << name << ".txt names no seed";
  const std::string expected = ReadWholeFile(GoldenPath(name + ".csv"));
  const std::string digests = ReadWholeFile(GoldenPath(name + ".digest"));
  ASSERT_FALSE(expected.empty() || digests.empty()) << name << ": a golden file is missing";
  const golden::Replayed actual = golden::Replay(script);
  EXPECT_EQ(static_cast<int64_t>(CsvLines(actual.trace).size()), script.TotalPasses() + 1);
  EXPECT_TRUE(expected == actual.trace) << name << ": " << FirstDifference(expected, actual.trace);
  EXPECT_TRUE(digests == actual.digests)
      << name << ".digest: " << FirstDifference(digests, actual.digests);
}

TEST(Golden, LeftAloneTheCraftBurnsOutAndTheMenuReturns) { ReplayAndCompare("alone"); }
TEST(Golden, ASoftLandingOnAPadThenEscape) { ReplayAndCompare("landing"); }
TEST(Golden, AllThreePadsAndTheSendingWinTheRound) { ReplayAndCompare("win"); }

// A pad shakes hard as the craft blows up (and not before, though it came
// down hard) and briefly when it sets down whole; the trace never knows.
TEST(Golden, APadShakesAtTheCrashAndAtEachTouchdown) {
  for (const auto& [name, shakes] : std::vector<std::pair<std::string, std::string>>{
           {"alone", "1,400 "}, {"landing", Num(0.35f) + ",120 "}}) {
    const InputScript script = LoadInputScript(GoldenPath(name + ".txt"));
    golden::GoldenRun run(*script.seed);
    run.options.script = &script;
    run.options.maxPasses = script.TotalPasses();
    run.Run();
    std::string seen;
    for (const std::string& r : run.engine.rumbles) seen += r + " ";
    EXPECT_EQ(seen, shakes) << name;
  }
}

}  // namespace
