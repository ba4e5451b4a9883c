// The score table screen and the name entry.
#include <cmath>

#include "components/media/key_codes.h"
#include "components/media/pad_codes.h"
#include "flight_fixture.h"
#include "scores/scores.h"
#include "testkit/memory_score_board.h"

namespace {

class ScoreScreens : public GameFixture {
 protected:
  MemoryScoreBoard scores;
  void SetUp() override {
    GameFixture::SetUp();
    g.Scores = &scores;
    scores.SetStoredRows(std::vector<ScoreRow>{});
    scores.OpenTable("hs.ini", 10, 0);
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const auto& c : engine.CallsOf("DrawText")) out.push_back(c.args);
    return out;
  }
};

TEST_F(ScoreScreens, TheTableShowsFilledRowsInPlaceWithTheNewEntryHighlighted) {
  scores.AddScore(9678, "ACE", {});
  scores.AddScore(9500, "BOB", {});
  for (int i = 3; i <= 10; ++i) scores.AddScore(9000 - i, "X", {});
  g.HighScores.NewEntryRank = 2;
  g.Shell.GameState = Screen::kHighScores;
  g.Shell.FrameCount = 0;
  Pass();  // t = 1
  const auto texts = Texts();
  ASSERT_EQ(texts.size(), 11u) << "ten rows and the key hint, no last score";
  EXPECT_NE(texts[9].find("\"10 1010 X\""), std::string::npos) << texts[9];
  EXPECT_EQ(texts[0], "files\\font_default.dds,\"01 0322 ACE\",50," +
                          Num(float(124 + std::sin(1 / (1 / 3.0 + 5)))) + ",1,0,100,255,255,255");
  EXPECT_EQ(texts[1], "files\\font_default.dds,\"02 0500 BOB\",50," +
                          Num(float(148 + std::sin(1 / (2 / 3.0 + 5)))) + ",1,0,100,100,255,100");
  EXPECT_EQ(texts[10], "files\\font_default.dds,\"PRESS RETURN TO ESC\"," +
                           Num(float(180 + 5 * std::sin(0.1))) + ",440," + Num(2.0f / 3) +
                           ",0,100,255,100,100");

  // After a won flight: the last score line, on the full picture although
  // the fade that started the flight is still at 102.
  g.Round.RoundFinished = true;
  g.Round.FlightTime = 322;
  g.Menu.StartFade = 102;
  engine.ClearCalls();
  Pass();
  EXPECT_NE(engine.CallsOf("DrawImage").at(0).args.find(",100,0,0,"), std::string::npos);
  bool last = false;
  for (const auto& t : Texts()) last |= t.find("\"LAST SCORE = 322\"") != std::string::npos;
  EXPECT_TRUE(last);
}

TEST_F(ScoreScreens, EscapeOrReturnGoesBackToTheMenuAndSTakesAPicture) {
  g.Shell.GameState = Screen::kHighScores;
  Pass({key::kS});
  EXPECT_EQ(g.Shell.GameState, Screen::kHighScores);
  EXPECT_EQ(engine.CountOf("HotkeyAction"), 1);
  EXPECT_EQ(Pass({key::kReturn}), Screen::kHighScores);
  EXPECT_EQ(g.Shell.GameState, Screen::kMenu);
  g.Shell.GameState = Screen::kHighScores;
  Pass();
  Pass({key::kEscape});
  EXPECT_EQ(g.Shell.GameState, Screen::kMenu);
}

TEST_F(ScoreScreens, TypingFollowsTheKeyTable) {
  g.Shell.GameState = Screen::kNameEntry;
  g.Round.FlightTime = 400;
  Pass({key::kK});
  Pass({key::kE, key::kS, key::k0, key::kMinus});  // applied in table order: digits first
  EXPECT_EQ(g.HighScores.PlayerName, "K0-ES");
  Pass({key::kE});  // held: no repeat
  EXPECT_EQ(g.HighScores.PlayerName, "K0-ES");
  Pass({key::kBackspace});
  Pass({key::kBackspace});
  EXPECT_EQ(g.HighScores.PlayerName, "K0-");
  EXPECT_EQ(scores.Delays(), (std::vector<int32_t>{100, 100}));
  int keySounds = 0;
  for (const auto& c : engine.CallsOf("PlaySound")) keySounds += c.args == "\"key\",False,100,0,0";
  EXPECT_EQ(keySounds, 7);
  // Left Shift + S: types S and takes a picture with a click.
  Pass({key::kLeftShift, key::kS});
  EXPECT_EQ(g.HighScores.PlayerName, "K0-S");
  EXPECT_EQ(engine.CountOf("HotkeyAction"), 1);
  EXPECT_TRUE(Called("PlaySound(\"enter\",False,100,0,0)"));
  // The name drawn is the one before this pass's keys, 10 px left per letter.
  engine.ClearCalls();
  Pass();
  const std::string drawn = engine.CallsOf("DrawText").at(0).args;
  EXPECT_EQ(drawn.rfind("files\\font_default.dds,\"K0-S", 0), 0u) << drawn;
  EXPECT_NE(drawn.find("\",250,180,1,0,100,255,255,255"), std::string::npos) << drawn;
}

// A pad types by picking: the cursor shows the letter it is on, and the
// flicker's number is drawn all the same, so later draws are unchanged.
TEST_F(ScoreScreens, APadShowsTheLetterItPicksWhileTheFlickerStillDraws) {
  g.Shell.GameState = Screen::kNameEntry;
  g.Round.FlightTime = 400;
  engine.SetControlScreen(ControlScreen::kNameEntry);
  Pass({pad::kDown});
  Pass({pad::kA});
  EXPECT_EQ(g.HighScores.PlayerName, "B");
  engine.ClearCalls();
  Pass();
  EXPECT_EQ(engine.CallsOf("DrawText").at(0).args.rfind("files\\font_default.dds,\"BB\",", 0), 0u)
      << engine.CallsOf("DrawText").at(0).args;
  Random twin{12345};
  for (int i = 0; i < 3; ++i) twin.Next();
  EXPECT_EQ(random.Next(), twin.Next()) << "one draw a pass, picked letter or not";
}

TEST_F(ScoreScreens, BackspaceToAnEmptyNameAndTheLazyName) {
  g.Shell.GameState = Screen::kNameEntry;
  g.Round.FlightTime = 450;
  g.HighScores.PlayerName = "Z";
  Pass({key::kBackspace});
  EXPECT_EQ(g.HighScores.PlayerName, "");
  EXPECT_EQ(engine.CountOf("PlaySound"), 1);
  engine.ClearCalls();
  Pass({key::kBackspace});
  EXPECT_EQ(engine.CountOf("PlaySound"), 0);
  EXPECT_EQ(scores.Delays().size(), 2u) << "the delay comes even for an empty name";
  EXPECT_EQ(Pass({key::kReturn}), Screen::kNameEntry);
  EXPECT_EQ(g.HighScores.PlayerName, "I'm lazy!");
  EXPECT_EQ(scores.CountOf("AddScore"), 0) << "stored on the next pass";
  Pass({key::kA});
  EXPECT_EQ(g.Shell.GameState, Screen::kHighScores);
  EXPECT_EQ(scores.Table().Row(1).name, "I'm lazy!");
  EXPECT_EQ(scores.Table().Row(1).value, 9550);
  EXPECT_EQ(g.HighScores.PlayerName, "I'm lazy!A")
      << "keys of the storing pass count for next time";
}

TEST_F(ScoreScreens, AFailingKeyTestCountsAsAPress) {
  g.Shell.GameState = Screen::kNameEntry;
  engine.FailCall("KeyDown", 3);  // the first table key, "0"
  Pass();
  EXPECT_EQ(g.HighScores.PlayerName, "0");
  engine.FailCall("PlaySound", 0);  // a failing sound does not undo the letter
  Pass({key::kB});
  EXPECT_EQ(g.HighScores.PlayerName, "0B");
}

TEST_F(ScoreScreens, ClosingTheWindowOnTheNameEntryStillStoresTheScore) {
  // Deliberate mend: the waiting entry is kept with the name typed so far.
  // Through Main: a round is won, the window closes while the name is typed.
  ScreenRoutines s = GameScreens();
  s.MenuKeys = [](Game& game) {
    game.Shell.GameState = Screen::kNameEntry;
    game.Round.FlightTime = 500;
    game.HighScores.PlayerName = "";
  };
  s.DrawMenu = s.MenuStep = nullptr;
  engine.CloseDuring("EndFrame", 3);  // logo, then pass 1 on the name entry... closes in pass 2
  AppOptions options;
  options.programFolder = "/game";
  Main(g, options, s);
  EXPECT_EQ(scores.Table().Row(1).name, "I'm lazy!");
  EXPECT_EQ(scores.Table().Row(1).value, 9500);
  // Stored once: off the name entry nothing is left waiting.
  StoreWaitingEntry(g);
  g.Shell.GameState = Screen::kMenu;
  StoreWaitingEntry(g);
  EXPECT_EQ(scores.CountOf("AddScore"), 1);
}

TEST(ScoreRowText, WordsARowAsTheScoreScreenDoes) {
  EXPECT_EQ(ScoreRowText(1, 9877, "ACE"), "01 0123 ACE");
  EXPECT_EQ(ScoreRowText(10, 9001, "I'm lazy!"), "10 0999 I'm lazy!");
  EXPECT_EQ(ScoreRowText(3, 0, ""), "03 10000 ");
  EXPECT_EQ(ScoreRowText(2, 9876.5f, "HALF"), "02 0124 HALF");  // 123.5 goes to the even 124
  EXPECT_EQ(ScoreRowText(2, 9875.5f, "HALF"), "02 0124 HALF");  // 124.5 goes to the even 124
  EXPECT_EQ(ScoreRowText(4, 10001, "ODD"), "04 -0001 ODD");
}

}  // namespace
