// A won round keeps its keys and the state it began from, and flies again
// from them alone: checked, watched, or raced as a ghost.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/input_script.h"
#include "core/trace.h"
#include "csv_rows.h"
#include "replay/ghost_race.h"
#include "replay/replay_file.h"
#include "replay/replay_round.h"
#include "replay/round_recorder.h"
#include "shell/app.h"
#include "shell/screens.h"
#include "testkit/autopilot.h"
#include "testkit/golden_replay.h"

namespace {

std::string GoldenPath(const std::string& file) {
  return std::string(KESTREVAN_SOURCE_DIR) + "/tests/golden/" + file;
}

// A session run through Main with the round recorder watching, and a ghost
// when one is given.
struct Session {
  explicit Session(const std::string& golden, GhostRace* ghost = nullptr)
      : script(LoadInputScript(GoldenPath(golden))), run(*script.seed) {
    run.options.script = &script;
    run.options.maxPasses = script.TotalPasses();
    run.options.rounds = &rounds;
    run.options.ghost = ghost;
  }
  InputScript script;
  golden::GoldenRun run;
  RoundRecorder rounds;
};

// The golden win's round, as its entry would keep it.
Replay WinReplay() {
  Session s("win.txt");
  s.run.Run();
  std::optional<Replay> won = s.rounds.TakeWon(522);
  if (!won) throw std::runtime_error("the golden win left no round");
  won->name = "ANN";
  return ParseReplay(ReplayText(*won));
}

TEST(Replay, AWonRoundFliesAgainFromItsFileFrameForFrame) {
  Session s("win.txt");
  s.run.Run();
  EXPECT_FALSE(s.rounds.TakeWon(521)) << "only the round's own time takes it";
  std::optional<Replay> won = s.rounds.TakeWon(522);
  ASSERT_TRUE(won);
  EXPECT_FALSE(s.rounds.TakeWon(522)) << "handed over once";
  const Replay replay = ParseReplay(ReplayText(*won));
  EXPECT_EQ(replay.start, RoundStart::kMenu);
  EXPECT_EQ(replay.flightTime, 522);

  const std::vector<std::string> rows = CsvLines(s.run.trace.Text());
  // The session's pass the round began in: the one before the first flight pass.
  size_t begun = 1;
  while (CsvFields(rows.at(begun + 1)).at(1) != "game") ++begun;

  golden::GoldenRun alone(0);
  const std::unique_ptr<ScoreBoard> noScores = NoScoreTable();
  alone.game.Scores = noScores.get();
  const ScreenRoutines screens = GameScreens();
  ReplayDriver driver(alone.game, replay, screens);
  driver.Begin();
  auto same = [&](Screen screen) {
    const auto got = CsvFields(TraceRow(driver.Pass(), screen, alone.game));
    const auto want = CsvFields(rows.at(begun + static_cast<size_t>(driver.Pass()) - 2));
    // Every column of the round's state (the pass number is the file's own;
    // the menu's and the table's columns after ExplosionTime are the session's).
    for (size_t c = 2; c < 30; ++c)
      ASSERT_EQ(got.at(c), want.at(c))
          << "replay pass " << driver.Pass() << ", " << CsvFields(rows[0]).at(c);
  };
  same(Screen::kMenu);
  while (driver.Step()) same(Screen::kGame);
  EXPECT_TRUE(driver.Won());
  EXPECT_EQ(driver.Pass(), replay.keys.TotalPasses()) << "the file ends with the winning pass";
  // Not in the trace, but the help pictures follow it.
  EXPECT_EQ(alone.game.Shell.HelpRoundsLeft, s.run.game.Shell.HelpRoundsLeft);

  const ReplayVerdict verdict = VerifyReplay(replay);
  EXPECT_TRUE(verdict.passed);
  EXPECT_EQ(verdict.line, "won in 522 ticks");
}

TEST(Replay, TheCheckFailsOnOneChangedKeyLineOrAFalseClaim) {
  const std::string text = ReplayText(WinReplay());
  // The main engine let go for the longest burn it held: the craft falls.
  std::vector<std::string> lines = CsvLines(text);
  size_t longest = 0;
  int64_t frames = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty() || lines[i][0] < '1' || lines[i][0] > '9') continue;
    const InputScript one = ParseInputScript(lines[i]);
    if (one.segments.size() == 1 && one.segments[0].keys.test(key::kUp) &&
        one.segments[0].frames > frames) {
      longest = i;
      frames = one.segments[0].frames;
    }
  }
  ASSERT_GT(frames, 0);
  lines[longest] = std::to_string(frames) + " -";
  std::string changed;
  for (const std::string& line : lines) changed += line + "\n";
  const ReplayVerdict cut = VerifyReplay(ParseReplay(changed));
  EXPECT_FALSE(cut.passed) << cut.line;
  EXPECT_EQ(cut.line.find("won in 522"), std::string::npos) << cut.line;

  // A claim the flight overshoots is given up at once, however many keys
  // follow; one it undershoots shows the real time.
  Replay claim = ParseReplay(text);
  claim.flightTime = 500;
  const ReplayVerdict boast = VerifyReplay(claim);
  EXPECT_FALSE(boast.passed);
  EXPECT_EQ(boast.line, "still flying at flight time 501, past the 500 its header claims");
  claim.flightTime = 600;
  EXPECT_EQ(VerifyReplay(claim).line, "won in 522 ticks, not the 600 its header claims");
  // Its last tick and the win come in one pass.
  claim.flightTime = 521;
  EXPECT_EQ(VerifyReplay(claim).line, "won in 522 ticks, not the 521 its header claims");

  Replay cutShort = ParseReplay(text);
  cutShort.keys.segments.pop_back();
  const ReplayVerdict early = VerifyReplay(cutShort);
  EXPECT_FALSE(early.passed);
  EXPECT_NE(early.line.find("still flying when its keys ran out"), std::string::npos) << early.line;
}

// The autopilot wins the round it restarts into; the first is abandoned
// with Return mid-fall. A ghost, when given, races the session.
struct RestartSession {
  explicit RestartSession(GhostRace* ghost = nullptr) : run(7) {
    run.engine.keysForPass = [this](int64_t pass) {
      KeySet keys;
      const Screen screen = run.game.Shell.GameState;
      if (screen == Screen::kMenu && pass % 2 == 0) keys.set(key::kReturn);
      if (screen != Screen::kGame) return keys;
      if (++flying == 60) {
        keys.set(key::kReturn);
        keys.set(key::kUp);  // held across the restart: its press is the new round's
        pilot.emplace(run.game, Mission::kWin, PilotPlan{});
        return keys;
      }
      return pilot ? pilot->Fly() : keys;
    };
    run.options.rounds = &rounds;
    run.options.ghost = ghost;
    run.options.maxPasses = 9000;
    run.Run();
  }
  golden::GoldenRun run;
  RoundRecorder rounds;
  std::optional<Autopilot> pilot;
  int64_t flying = 0;
};

TEST(Replay, ARoundBegunByARestartFliesAgainAndIsRacedFromTheRestart) {
  RestartSession first;
  ASSERT_EQ(first.run.game.Shell.GameState, Screen::kHighScores) << "the autopilot won";
  const int32_t time = static_cast<int32_t>(first.run.game.Round.FlightTime);
  std::optional<Replay> won = first.rounds.TakeWon(time);
  ASSERT_TRUE(won);
  EXPECT_EQ(won->start, RoundStart::kRestart);
  const Replay replay = ParseReplay(ReplayText(*won));
  const ReplayVerdict verdict = VerifyReplay(replay);
  EXPECT_TRUE(verdict.passed) << verdict.line;
  EXPECT_EQ(verdict.line, "won in " + std::to_string(time) + " ticks");

  // Raced by its own replay, the ghost starts over with the restarted round
  // and wins with it, in the same pass.
  GhostRace ghost(replay);
  RestartSession again(&ghost);
  EXPECT_EQ(again.run.trace.Text(), first.run.trace.Text());
  EXPECT_TRUE(ghost.Extras().GhostWon);
  EXPECT_EQ(ghost.Extras().Ghost->LanderY, again.run.game.Round.LanderY);
}

TEST(Watch, ShowsTheMarkedRoundThenItsLastFrameUntilAKey) {
  const Replay replay = WinReplay();
  for (const int64_t pressAt : {0, 100}) {
    golden::GoldenRun run(0);
    run.options.watch = &replay;
    run.engine.playerPressesFrom = pressAt;
    int64_t passes = 0, marked = 0;
    run.engine.passBegins = [&](int64_t pass) {
      passes = pass;
      marked += run.game.Extras != nullptr && run.game.Extras->ReplayMark;
    };
    EXPECT_EQ(run.Run(), 0);
    if (pressAt == 0) {
      // Two seconds of the last frame after the winning pass.
      EXPECT_EQ(passes, replay.keys.TotalPasses() + 120);
      EXPECT_TRUE(run.game.Round.RoundFinished);
    } else {
      EXPECT_EQ(passes, pressAt) << "left at the key";
    }
    EXPECT_GE(marked, passes - 2) << "every pass but the first two is marked";
  }
}

TEST(Replay, ALostRoundLeavesNothing) {
  Session s("alone.txt");
  s.run.Run();
  EXPECT_FALSE(s.rounds.HasWon());
}

TEST(ReplayFile, RefusesWhatItCannotFly) {
  const std::string keys = "1 -\n1 -\n";
  const std::string round = "round 00000000000000ff 5 menu\ntime 3\n";
  const struct {
    std::string text, error;
  } bad[] = {
      {"rules 2\n" + round + keys,
       "line 1: a replay of rules version 2; this game plays version 1"},
      {"# a session\nseed 4\n" + keys, "line 2: 'seed' before the rules line"},
      {"rules 1\n" + keys, "no round line"},
      {"rules 1\nround 00ff 5 menu\n" + keys, "no time line"},
      {"rules 1\nround 00ff 5 later\ntime 3\n" + keys, "line 2: expected 'round"},
      {"rules 1\nround 10000000000000000 5 menu\ntime 3\n" + keys, "line 2: expected 'round"},
      {"rules 1\n" + round + "time 4\n" + keys, "line 4: second time line"},
      {"rules 1\n" + round + "1 -\nround 00 1 menu\n1 -\n", "line 5: 'round' after the keys"},
      {"rules 1\nround 00ff 5 menu\ntime 1000\n" + keys, "line 3: expected 'time"},
      {"rules 1\n" + round + "1 -\n", "fewer than two passes"},
      {"rules 1\n" + round + "1 jump\n1 -\n", "line 4: unknown key 'jump'"},
  };
  for (const auto& b : bad) {
    try {
      ParseReplay(b.text);
      ADD_FAILURE() << "accepted:\n" << b.text;
    } catch (const ReplayError& e) {
      EXPECT_NE(std::string(e.what()).find(b.error), std::string::npos)
          << e.what() << "\nwanted: " << b.error;
    }
  }
  // A billion passes a line, twice over, are written as fast as read, and
  // never as one line too long to read back.
  const Replay huge = ParseReplay("rules 1\n" + round + "1000000000 up\n1000000000 up\n1 -\n");
  const Replay back = ParseReplay(ReplayText(huge));
  EXPECT_EQ(back.keys.segments.size(), 3u);
  EXPECT_EQ(back.keys.TotalPasses(), 2000000001);
  const Replay ok = ParseReplay("\xEF\xBB\xBF# name: A\tB\r\r\nrules 1\r\n" + round + keys);
  EXPECT_EQ(ok.state, 0xffu);
  EXPECT_EQ(ok.helpRoundsLeft, 5);
  EXPECT_EQ(ok.name, "A?B?");
  EXPECT_EQ(ParseReplay(ReplayText(ok)).name, ok.name);
  EXPECT_TRUE(LooksLikeReplay("# x\n rules 1\n"));
  EXPECT_FALSE(LooksLikeReplay("seed 1\nrules 1\n"));
}

TEST(Ghost, RacesInLockstepWithoutTouchingThePlayersFlight) {
  const std::string plain = golden::Replay(LoadInputScript(GoldenPath("win.txt"))).trace;
  // The player flies the very round the ghost replays: the two crafts must
  // be one, pass for pass, and the player's trace as without a ghost.
  GhostRace ghost(WinReplay());
  Session s("win.txt", &ghost);
  int64_t together = 0;
  std::optional<RoundState> ghostThisPass;
  auto begins = s.run.engine.passBegins;
  s.run.engine.passBegins = [&](int64_t pass) {
    begins(pass);
    // The ghost has flown this pass already, so the frame shows both after
    // it; the player flies it next.
    if (ghostThisPass && s.run.game.Shell.GameState == Screen::kGame) {
      ASSERT_EQ(ghostThisPass->LanderY, s.run.game.Round.LanderY) << "pass " << pass - 1;
      ASSERT_EQ(ghostThisPass->LanderX, s.run.game.Round.LanderX) << "pass " << pass - 1;
      ++together;
    }
    ghostThisPass.reset();
    if (const RoundState* g = ghost.Extras().Ghost) ghostThisPass = *g;
  };
  s.run.Run();
  EXPECT_EQ(s.run.trace.Text(), plain);
  EXPECT_GT(together, 1500);
  EXPECT_TRUE(ghost.Extras().GhostOver);
  EXPECT_TRUE(ghost.Extras().GhostWon);
  EXPECT_EQ(ghost.Extras().GhostTime, 522);
}

TEST(Ghost, TheTableNamesItsGhostOnceItIsOpen) {
  Session s("win.txt");
  int asked = 0;
  s.run.options.tableGhost = [&]() -> std::optional<Replay> {
    ++asked;
    EXPECT_GT(s.run.scores.CountOf("OpenTable"), 0) << "asked before the table was open";
    return WinReplay();
  };
  bool raced = false;
  s.run.engine.passBegins = [&](int64_t) {
    raced |= s.run.game.Extras != nullptr && s.run.game.Extras->Ghost != nullptr;
  };
  s.run.Run();
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(raced);
}

TEST(Ghost, AGhostThatCrashesIsOverAndLost) {
  Replay crashing = WinReplay();
  // Nothing held after the fall begins: the craft burns in.
  InputSegment idle;
  idle.frames = crashing.keys.TotalPasses();
  crashing.keys.segments.resize(2);
  crashing.keys.segments.push_back(idle);
  GhostRace ghost(crashing);
  Session s("win.txt", &ghost);
  s.run.Run();
  EXPECT_TRUE(ghost.Extras().GhostOver);
  EXPECT_FALSE(ghost.Extras().GhostWon);
  EXPECT_LE(ghost.Extras().Ghost->Health, 0);

  // One whose keys run out in the air is over too, not hanging there.
  Replay cut = WinReplay();
  cut.keys.segments.resize(6);
  GhostRace hanging(cut);
  Session t("win.txt", &hanging);
  t.run.Run();
  EXPECT_TRUE(hanging.Extras().GhostOver);
  EXPECT_FALSE(hanging.Extras().GhostWon);
  EXPECT_GT(hanging.Extras().Ghost->Health, 0);
}

}  // namespace
