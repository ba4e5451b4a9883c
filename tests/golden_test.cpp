// Golden replays: three recorded flights replayed through Main must write
// exactly the traces checked in next to them, and leave the clouds and the
// particles pass for pass as their digests say. A change that alters either
// changes the game's behaviour; if it is meant, fly the replays again with
// make_golden and say why in the commit.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/input_script.h"
#include "testkit/golden_replay.h"

namespace {

std::string GoldenPath(const std::string& file) {
  return std::string(KESTREVAN_SOURCE_DIR) + "/tests/golden/" + file;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

// CSV fields; a quoted field may hold commas and doubled quotes.
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

// Where two traces or digests part: the first line that differs and, for a
// trace, each column that differs by name, so a failure says what changed.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
  const std::vector<std::string> want = Lines(expected), got = Lines(actual);
  const std::vector<std::string> names = Fields(want.empty() ? "" : want[0]);
  for (std::size_t i = 0; i < want.size() || i < got.size(); ++i) {
    if (i < want.size() && i < got.size() && want[i] == got[i]) continue;
    std::string out = "line " + std::to_string(i + 1) + " differs";
    if (i >= want.size() || i >= got.size()) return out + ": one of them ended early";
    const std::vector<std::string> a = Fields(want[i]), b = Fields(got[i]);
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
  const std::string expected = ReadWhole(GoldenPath(name + ".csv"));
  const std::string digests = ReadWhole(GoldenPath(name + ".digest"));
  ASSERT_FALSE(expected.empty() || digests.empty()) << name << ": a golden file is missing";
  const golden::Replayed actual = golden::Replay(script);
  EXPECT_EQ(static_cast<int64_t>(Lines(actual.trace).size()), script.TotalPasses() + 1);
  EXPECT_TRUE(expected == actual.trace) << name << ": " << FirstDifference(expected, actual.trace);
  EXPECT_TRUE(digests == actual.digests)
      << name << ".digest: " << FirstDifference(digests, actual.digests);
}

TEST(Golden, LeftAloneTheCraftBurnsOutAndTheMenuReturns) { ReplayAndCompare("alone"); }
TEST(Golden, ASoftLandingOnAPadThenEscape) { ReplayAndCompare("landing"); }
TEST(Golden, AllThreePadsAndTheSendingWinTheRound) { ReplayAndCompare("win"); }

}  // namespace
