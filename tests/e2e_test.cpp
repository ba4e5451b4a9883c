// The real binary, run headless: screenshots, replays and traces, the
// picture decoder's command, start-up failures.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "csv_rows.h"
#include "replay/replay_file.h"
#include "replay/replay_round.h"
#include "run_command.h"
#include "test_folder.h"

namespace fs = std::filesystem;

namespace {

class EndToEnd : public ::testing::Test {
 protected:
  TestFolder folder_{"e2e"};
  const fs::path dir = folder_.Path();
  // The games started here keep their scores in the test's own folder.
  void SetUp() override { setenv("XDG_DATA_HOME", (dir / "data").string().c_str(), 1); }
  fs::path Write(const std::string& name, const std::string& text) {
    return folder_.Write(name, text);
  }
};

TEST_F(EndToEnd, HeadlessRunSavesTheFramesAskedFor) {
  const fs::path shots = dir / "shots";
  const auto r = RunGame("--headless --frames 5 --screenshot-at 2,5 --screenshot-dir \"" +
                         shots.string() + "\"");
  ASSERT_EQ(r.status, 0) << r.output;
  for (const char* name : {"frame_000002.png", "frame_000005.png"}) {
    SDL_Surface* s = IMG_Load((shots / name).string().c_str());
    ASSERT_NE(s, nullptr) << name << ": " << IMG_GetError() << "\n" << r.output;
    EXPECT_EQ(s->w * 1000 + s->h, 640480) << name;
    SDL_FreeSurface(s);
  }
  EXPECT_FALSE(fs::exists(shots / "frame_000003.png"));
}

TEST_F(EndToEnd, ARecordingReplaysToTheSameKeys) {
  const fs::path script = Write("in.txt", "seed 3\n2 -\n3 left\n1 up+right\n2 -\n");
  const fs::path recorded = dir / "rec.txt";
  const auto r = RunGame("--headless --input \"" + script.string() + "\" --record \"" +
                         recorded.string() + "\"");
  ASSERT_EQ(r.status, 0) << r.output;
  const std::string text = ReadWholeFile(recorded);
  EXPECT_NE(text.find("seed 3"), std::string::npos) << text;
  EXPECT_NE(text.find("3 left"), std::string::npos) << text;
  EXPECT_NE(text.find("1 up+right"), std::string::npos) << text;
}

TEST_F(EndToEnd, AMalformedScriptIsRefusedWithItsLine) {
  const fs::path script = Write("bad.txt", "seed 1\n5 -\n3 upp\n");
  const auto r = RunGame("--headless --input \"" + script.string() + "\"");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.output.find("line 3"), std::string::npos) << r.output;
}

// The decoder itself is the engine's test; this is the command's wiring.
TEST_F(EndToEnd, DecodeImageWritesAPngOrFailsNamingTheFile) {
  const fs::path land = fs::path(KESTREVAN_BINARY).parent_path() / "files" / "land.dds";
  const fs::path out = dir / "land.png";
  auto r = RunGame("--decode-image \"" + land.string() + "\" \"" + out.string() + "\"");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(fs::exists(out));
  r = RunGame("--decode-image \"" + out.string() + "x\" \"" + (dir / "b.png").string() + "\"");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("land.pngx"), std::string::npos) << r.output;
}

TEST_F(EndToEnd, NoDisplayMeansAClearErrorAndStatusOne) {
  // A window on a display that does not exist.
  const auto r =
      RunCommand(std::string("env -u WAYLAND_DISPLAY DISPLAY=:987 SDL_VIDEODRIVER=x11 \"") +
                 KESTREVAN_BINARY + "\" --windowed --mute --frames 3");
  EXPECT_EQ(r.status, 1) << r.output;
  // The engine's operation and SDL's reason, which names the driver.
  EXPECT_NE(r.output.find("cannot start: Initialize: "), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("x11"), std::string::npos) << r.output;
  // No display named at all: SDL may fall back to a window nobody sees,
  // which must not count as a window either.
  const auto none =
      RunCommand(std::string("env -u WAYLAND_DISPLAY -u DISPLAY -u SDL_VIDEODRIVER \"") +
                 KESTREVAN_BINARY + "\" --windowed --mute --frames 3");
  EXPECT_EQ(none.status, 1) << none.output;
  EXPECT_NE(none.output.find("cannot start: Initialize: "), std::string::npos) << none.output;
}

// A machine with no sound card (this one) shows the game's one line about it,
// not the sound libraries' own chatter; a machine with one shows nothing.
TEST_F(EndToEnd, WithoutSoundOnlyTheGameSpeaks) {
  const auto r = RunCommand(std::string("env -u ALSOFT_LOGLEVEL ALSOFT_DRIVERS=alsa ") +
                            "SDL_VIDEODRIVER=dummy \"" + KESTREVAN_BINARY +
                            "\" --frames 3 --fps 0 --data-dir \"" + dir.string() + "\"");
  EXPECT_EQ(r.status, 0) << r.output;
  std::istringstream lines(r.output);
  for (std::string line; std::getline(lines, line);)
    EXPECT_EQ(line.rfind("kestrevan: ", 0), 0u) << r.output;
}

// The winning golden flight, flown by the real binary on the generated
// pictures, then a name typed and the table shown.
class WholeGame : public EndToEnd {
 protected:
  static constexpr size_t kNewEntryRank = 32;  // the trace's column
  std::string WinScript(const std::string& afterTheFlight) {
    return ReadWholeFile(fs::path(KESTREVAN_SOURCE_DIR) / "tests" / "golden" / "win.txt") +
           afterTheFlight;
  }
  static std::vector<std::vector<std::string>> Rows(const std::string& csv) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : CsvLines(csv)) rows.push_back(CsvFields(line));
    return rows;
  }
  // The flight of `trace` is the golden one, frame for frame, up to the name
  // entry; the row where it opens. Only the rank the table gives may differ:
  // the golden table is the fake's.
  static size_t ExpectTheGoldenFlight(const std::vector<std::vector<std::string>>& rows) {
    const auto golden =
        Rows(ReadWholeFile(fs::path(KESTREVAN_SOURCE_DIR) / "tests" / "golden" / "win.csv"));
    size_t i = 1;
    for (; i < golden.size() && golden[i].at(1) != "hs_getname"; ++i) {
      auto got = rows.at(i), want = golden[i];
      got.at(kNewEntryRank) = want.at(kNewEntryRank) = "";
      EXPECT_EQ(got, want) << "pass " << i;
      if (got != want) break;
    }
    EXPECT_EQ(rows.at(i).at(1), "hs_getname");
    return i;
  }
};

TEST_F(WholeGame, TheWinningFlightIsWonAgainAndItsNameReachesTheTable) {
  const fs::path data = dir / "data" / "kestrevan";
  const fs::path script = Write("win.txt", WinScript("1 a\n1 -\n1 c\n1 -\n1 e\n1 return\n3 -\n"
                                                     "1 return\n3 -\n"));
  const fs::path trace = dir / "win.csv";
  auto r =
      RunGame("--headless --input \"" + script.string() + "\" --trace \"" + trace.string() + "\"");
  ASSERT_EQ(r.status, 0) << r.output;
  const auto rows = Rows(ReadWholeFile(trace));
  const auto& won = rows.at(ExpectTheGoldenFlight(rows));
  EXPECT_EQ(won.at(11), "522") << "the flight time";
  EXPECT_EQ(won.at(27), "1") << "RoundFinished";
  // Named, stored, shown, and back to the menu.
  EXPECT_EQ(rows.back().at(1), "menu");
  const auto printed = RunGame("--print-scores");
  EXPECT_NE(printed.output.find("06 0522 ACE\n"), std::string::npos) << printed.output;
  // The entry kept its round, which flies to the same win on its own.
  const auto exported = RunGame("--export -");
  ASSERT_EQ(exported.status, 0) << exported.output;
  const Replay replay = ParseReplay(exported.output);
  EXPECT_EQ(replay.name, "ACE");
  EXPECT_EQ(replay.flightTime, 522);
  EXPECT_TRUE(VerifyReplay(replay).passed) << VerifyReplay(replay).line;

  // A second win with the same time ranks below the first, highlighted.
  const fs::path again = Write("again.txt", WinScript("1 b\n1 return\n3 -\n"));
  r = RunGame("--headless --input \"" + again.string() + "\" --trace \"" + trace.string() + "\"");
  ASSERT_EQ(r.status, 0) << r.output;
  const auto second = Rows(ReadWholeFile(trace));
  EXPECT_EQ(second.back().at(1), "hs");
  EXPECT_EQ(second.back().at(kNewEntryRank), "7");
  const auto table = RunGame("--print-scores").output;
  EXPECT_NE(table.find("06 0522 ACE\n07 0522 B\n"), std::string::npos) << table;
  const fs::path out = dir / "b.txt";
  r = RunGame("--export \"" + out.string() + "\" --entry 7");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(LoadReplay(out.string()).name, "B");
}

// What a player who receives a record does with it, through the program.
TEST_F(WholeGame, ARecordIsCheckedWatchedAndRacedByTheProgram) {
  const fs::path script = Write("win.txt", WinScript("1 a\n1 return\n3 -\n1 return\n3 -\n"));
  ASSERT_EQ(RunGame("--headless --input \"" + script.string() + "\"").status, 0);
  const fs::path record = dir / "record.txt";
  ASSERT_EQ(RunGame("--export \"" + record.string() + "\"").status, 0);
  const std::string text = ReadWholeFile(record);

  auto r = RunGame("--verify \"" + record.string() + "\"");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "won in 522 ticks\n");
  // The first burn of the main engine left out: no win, or not in 522.
  std::string changed = text;
  const size_t burn = changed.find(" up\n");
  ASSERT_NE(burn, std::string::npos);
  changed.replace(burn, 4, " -\n");
  r = RunGame("--verify \"" + Write("changed.txt", changed).string() + "\"");
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_EQ(r.output.find("won in 522 ticks\n"), std::string::npos) << r.output;
  std::string later = text;
  later.replace(later.find("\nrules 1\n"), 9, "\nrules 2\n");
  r = RunGame("--verify \"" + Write("later.txt", later).string() + "\"");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("a replay of rules version 2"), std::string::npos) << r.output;

  // Watched, it flies the same round to the same win.
  const fs::path watched = dir / "watched.csv";
  r = RunGame("--headless --watch \"" + record.string() + "\" --trace \"" + watched.string() +
              "\"");
  ASSERT_EQ(r.status, 0) << r.output;
  const auto rows = Rows(ReadWholeFile(watched));
  EXPECT_EQ(rows.back().at(11), "522");
  EXPECT_EQ(rows.back().at(27), "1") << "RoundFinished";

  // Raced, it changes what is drawn during the flight and nothing else.
  const fs::path golden = fs::path(KESTREVAN_SOURCE_DIR) / "tests" / "golden" / "win.txt";
  auto race = [&](const std::string& name, const std::string& ghost) {
    setenv("XDG_DATA_HOME", (dir / name).string().c_str(), 1);
    const auto run = RunGame("--headless --input \"" + golden.string() + "\" --trace \"" +
                             (dir / (name + ".csv")).string() + "\" --frame-hashes \"" +
                             (dir / (name + ".hashes")).string() + "\"" + ghost);
    EXPECT_EQ(run.status, 0) << run.output;
    return std::make_pair(ReadWholeFile(dir / (name + ".csv")),
                          CsvLines(ReadWholeFile(dir / (name + ".hashes"))));
  };
  const auto alone = race("alone", "");
  const auto raced = race("raced", " --ghost \"" + record.string() + "\"");
  EXPECT_EQ(raced.first, alone.first) << "the flight and its trace";
  ASSERT_EQ(raced.second.size(), alone.second.size());
  const auto states = Rows(alone.first);
  size_t differ = 0;
  for (size_t i = 0; i < alone.second.size(); ++i) {
    // "pass hash"; the logo's frames come before pass 1.
    const size_t pass = std::stoul(alone.second[i]);
    const bool flying = pass >= 1 && states.at(pass).at(1) == "game";
    if (!flying) {
      EXPECT_EQ(raced.second[i], alone.second[i]) << "pass " << pass;
    }
    differ += raced.second[i] != alone.second[i];
  }
  // The ghost flies the very same round, so it is in view all the way.
  EXPECT_GT(differ, 2000u);
}

TEST_F(EndToEnd, ExportOfARowWithoutAReplayFailsWithItsLine) {
  const fs::path out = dir / "out.txt";
  auto r = RunGame("--export \"" + out.string() + "\" --entry 3");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("row 3 of the score table has no replay"), std::string::npos) << r.output;
  r = RunGame("--export -");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, "kestrevan: no entry in the score table has a replay\n");
  EXPECT_FALSE(fs::exists(out));
}

// The same flight on a pad alone, its keys swapped for the buttons that mean
// them, through the pad SDL is given for the script: the flight is the
// keyboard's bit for bit, and the pad types the name by picking letters.
TEST_F(WholeGame, APadAloneWinsTheSameFlightAndTypesItsName) {
  std::string script;
  std::istringstream lines(WinScript(""));
  const std::vector<std::pair<std::string, std::string>> buttons = {{"up", "pad_a"},
                                                                    {"left", "pad_left"},
                                                                    {"right", "pad_right"},
                                                                    {"space", "pad_x"},
                                                                    {"return", "pad_a"}};
  for (std::string line; std::getline(lines, line);) {
    for (const auto& [key, button] : buttons) {
      for (size_t at = line.find(key); at != std::string::npos && at < line.find('#');
           at = line.find(key, at + button.size()))
        line.replace(at, key.size(), button);
    }
    script += line + "\n";
  }
  // A, one step down to B, A, Start; then A leaves the table.
  script += "1 pad_a\n1 -\n1 pad_down\n1 -\n1 pad_a\n1 -\n1 pad_start\n3 -\n1 pad_a\n3 -\n";
  ASSERT_EQ(script.find("up"), std::string::npos);
  const fs::path trace = dir / "pad.csv";
  const fs::path record = dir / "pad-record.txt";
  auto r = RunGame("--headless --input \"" + Write("pad.txt", script).string() + "\" --trace \"" +
                   trace.string() + "\" --record \"" + record.string() + "\"");
  ASSERT_EQ(r.status, 0) << r.output;
  const auto rows = Rows(ReadWholeFile(trace));
  ExpectTheGoldenFlight(rows);
  EXPECT_EQ(rows.back().at(1), "menu");
  const auto table = RunGame("--print-scores").output;
  EXPECT_NE(table.find("06 0522 AB\n"), std::string::npos) << table;
  // What was recorded is the pad's, and plays the same session again.
  const std::string recorded = ReadWholeFile(record);
  EXPECT_NE(recorded.find("1 pad_down\n"), std::string::npos) << recorded;
  const fs::path again = dir / "again.csv";
  r = RunGame("--headless --data-dir \"" + (dir / "other").string() + "\" --input \"" +
              record.string() + "\" --trace \"" + again.string() + "\"");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(ReadWholeFile(again), ReadWholeFile(trace));
}

}  // namespace
