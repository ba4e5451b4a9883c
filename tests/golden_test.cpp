// Golden replays: three recorded flights replayed through Main must write
// exactly the traces checked in next to them, and leave the clouds and the
// particles pass for pass as their digests say. A change that alters either
// changes the game's behaviour; if it is meant, fly the replays again with
// make_golden and say why in the commit.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/input_script.h"
#include "testkit/golden_replay.h"

namespace {

using Row = std::map<std::string, std::string>;

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

// Where two traces part: the first row that differs, with each column that
// differs by name, so a failure says what changed rather than only that
// something did. Empty when they are equal.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
  if (expected == actual) return {};
  const std::vector<std::string> want = Lines(expected), got = Lines(actual);
  const std::vector<std::string> names =
      want.empty() ? std::vector<std::string>() : Fields(want[0]);
  for (std::size_t i = 0; i < want.size() || i < got.size(); ++i) {
    if (i < want.size() && i < got.size() && want[i] == got[i]) continue;
    std::ostringstream out;
    out << "line " << i + 1 << " differs";
    if (i >= got.size())
      return out.str() + ": the replay ended early (" + std::to_string(got.size()) + " lines)";
    if (i >= want.size()) return out.str() + ": the replay wrote more lines than the golden trace";
    const std::vector<std::string> a = Fields(want[i]), b = Fields(got[i]);
    out << " (pass " << (a.empty() ? "?" : a[0]) << "):";
    for (std::size_t c = 0; c < a.size() || c < b.size(); ++c) {
      const std::string x = c < a.size() ? a[c] : "<none>", y = c < b.size() ? b[c] : "<none>";
      if (x != y)
        out << "\n  " << (c < names.size() ? names[c] : "column " + std::to_string(c + 1))
            << ": expected " << x << ", got " << y;
    }
    return out.str();
  }
  return "the traces differ only in their line endings";
}

// The first pass whose clouds or particles differ from the golden digests.
std::string FirstDigestDifference(const std::string& expected, const std::string& actual) {
  const std::vector<std::string> want = Lines(expected), got = Lines(actual);
  for (std::size_t i = 0; i < want.size() || i < got.size(); ++i) {
    if (i >= got.size())
      return "the replay ended early (" + std::to_string(got.size()) + " passes)";
    if (i >= want.size()) return "the replay made more passes than the golden digests";
    if (want[i] == got[i]) continue;
    std::string report = "pass " + std::to_string(i + 1) + ":";
    if (want[i].substr(0, 16) != got[i].substr(0, 16)) report += " the clouds differ";
    if (want[i].substr(16) != got[i].substr(16)) report += " the particles differ";
    return report;
  }
  return "the digests differ only in their line endings";
}

std::vector<Row> Rows(const std::string& trace) {
  const std::vector<std::string> lines = Lines(trace);
  std::vector<Row> rows;
  if (lines.empty()) return rows;
  const std::vector<std::string> names = Fields(lines[0]);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> fields = Fields(lines[i]);
    Row row;
    for (std::size_t c = 0; c < names.size() && c < fields.size(); ++c) row[names[c]] = fields[c];
    rows.push_back(row);
  }
  return rows;
}

double Num(const Row& row, const std::string& column) { return std::stod(row.at(column)); }

// Replays one golden script and checks its trace and digests; returns the
// trace's rows for the outcome checks.
std::vector<Row> ReplayAndCompare(const std::string& name) {
  const InputScript script = LoadInputScript(GoldenPath(name + ".txt"));
  EXPECT_TRUE(script.seed.has_value()) << name << ".txt names no seed";
  const std::string expected = ReadWhole(GoldenPath(name + ".csv"));
  EXPECT_FALSE(expected.empty()) << GoldenPath(name + ".csv") << " is missing or empty";
  const std::string digests = ReadWhole(GoldenPath(name + ".digest"));
  EXPECT_FALSE(digests.empty()) << GoldenPath(name + ".digest") << " is missing or empty";
  const golden::Replayed actual = golden::Replay(script);
  const std::vector<Row> rows = Rows(actual.trace);
  EXPECT_EQ(static_cast<int64_t>(rows.size()), script.TotalPasses());
  EXPECT_TRUE(expected == actual.trace) << name << ": " << FirstDifference(expected, actual.trace);
  EXPECT_TRUE(digests == actual.digests)
      << name << ".digest: " << FirstDigestDifference(digests, actual.digests);
  return rows;
}

TEST(Golden, LeftAloneTheCraftBurnsOutAndTheMenuReturns) {
  const std::vector<Row> rows = ReplayAndCompare("alone");
  ASSERT_GT(rows.size(), 2u);
  const Row& last = rows.back();
  EXPECT_EQ(last.at("state"), "menu");
  EXPECT_EQ(last.at("RoundLost"), "1");
  EXPECT_EQ(Num(last, "ExplosionTime"), 260);  // the whole crash sequence ran
  EXPECT_EQ(Num(last, "Health"), 0);
  EXPECT_EQ(last.at("LanderOpened"), "0");  // it never had its legs out
}

TEST(Golden, ASoftLandingOnAPadThenEscape) {
  const std::vector<Row> rows = ReplayAndCompare("landing");
  const double pads[3][2] = {{60, 100}, {270, 310}, {475, 515}};
  int standing = 0, longest = 0;
  for (const Row& row : rows) {
    bool onPad = false;
    if (row.at("state") == "game" && row.at("OnGround") == "1" && Num(row, "Health") > 50)
      for (const auto& pad : pads)
        onPad = onPad || (pad[0] < Num(row, "LanderX") && Num(row, "LanderX") < pad[1]);
    standing = onPad ? standing + 1 : 0;
    longest = std::max(longest, standing);
  }
  EXPECT_GE(longest, 60) << "the craft never stood on a pad in good health for a second";
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.back().at("state"), "menu");
  EXPECT_EQ(rows.back().at("RoundLost"), "1");  // Escape gives the round up
  EXPECT_GT(Num(rows.back(), "Health"), 50);
}

TEST(Golden, AllThreePadsAndTheSendingWinTheRound) {
  const std::vector<Row> rows = ReplayAndCompare("win");
  ASSERT_FALSE(rows.empty());
  const Row& last = rows.back();
  EXPECT_EQ(last.at("state"), "hs_getname");
  EXPECT_EQ(last.at("RoundFinished"), "1");
  EXPECT_EQ(last.at("RoundLost"), "0");
  EXPECT_EQ(last.at("DataCollected"), "1");
  for (const char* pad : {"PadVisited1", "PadVisited2", "PadVisited3"})
    EXPECT_EQ(last.at(pad), "1");
  EXPECT_EQ(Num(last, "SendTicksLeft"), 0);
  EXPECT_GT(Num(last, "Health"), 0);
  EXPECT_GE(Num(last, "NewEntryRank"), 1);
  EXPECT_LE(Num(last, "NewEntryRank"), 10);
  // The winning pass: the round finished in the air, high enough to send.
  for (const Row& row : rows) {
    if (row.at("RoundFinished") != "1") continue;
    EXPECT_GE(Num(row, "Height"), 99);  // this pass's height; the clock saw the last one
    break;
  }
}

// The report of a changed trace names the pass and each changed column.
TEST(Golden, AChangedTraceIsReportedByColumn) {
  const std::string header = "pass,state,Fuel,PlayerName\n";
  const std::string a = header + "1,menu,0,\"\"\n2,game,90,\"\"\n";
  const std::string b = header + "1,menu,0,\"\"\n2,game,89.75,\"a,b\"\n";
  const std::string report = FirstDifference(a, b);
  EXPECT_NE(report.find("line 3"), std::string::npos) << report;
  EXPECT_NE(report.find("pass 2"), std::string::npos) << report;
  EXPECT_NE(report.find("Fuel: expected 90, got 89.75"), std::string::npos) << report;
  EXPECT_NE(report.find("PlayerName: expected , got a,b"), std::string::npos) << report;
  EXPECT_EQ(report.find("state:"), std::string::npos) << report;
  EXPECT_NE(FirstDifference(a, header + "1,menu,0,\"\"\n").find("ended early"), std::string::npos);
  EXPECT_TRUE(FirstDifference(a, a).empty());
}

}  // namespace
