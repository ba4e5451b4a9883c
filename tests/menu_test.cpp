// The main menu: moving the highlight, choosing, the fade into a round.
#include <cmath>

#include "components/media/key_codes.h"
#include "flight_fixture.h"

namespace {

class Menu : public GameFixture {
 protected:
  std::vector<int32_t> MusicLevels() const {
    std::vector<int32_t> levels;
    for (const auto& c : engine.CallsOf("SetSoundVolume"))
      levels.push_back(std::stoi(c.args.substr(c.args.find(',') + 1)));
    return levels;
  }
};

TEST_F(Menu, ArrowsMoveTheHighlightAndWrap) {
  Pass({key::kUp});
  EXPECT_EQ(g.Menu.MenuChoice, 2) << "up from new game is exit";
  Pass();
  Pass({key::kDown});
  EXPECT_EQ(g.Menu.MenuChoice, 0);
  EXPECT_EQ(engine.CallsOf("PlaySound").size(), 2u);
  Pass();
  Pass({key::kUp, key::kDown});  // both: two sounds, no move
  EXPECT_EQ(g.Menu.MenuChoice, 0);
  EXPECT_EQ(engine.CallsOf("PlaySound").size(), 4u);
  Pass({key::kDown});
  EXPECT_EQ(g.Menu.MenuChoice, 0) << "a held key moves once";
}

TEST_F(Menu, EscapeTwiceLeavesAndReturnChooses) {
  g.Menu.MenuChoice = 1;
  Pass({key::kEscape});
  EXPECT_EQ(g.Menu.MenuChoice, 2);
  EXPECT_TRUE(Called("PlaySound(\"menu_opt\",False,100,0,0)"));
  EXPECT_TRUE(g.Shell.Running);
  Pass();
  Pass({key::kEscape});
  EXPECT_FALSE(g.Shell.Running);

  g.Shell.Running = true;
  engine.ClearCalls();
  Pass();
  Pass({key::kReturn});  // on exit: ends without a sound
  EXPECT_FALSE(g.Shell.Running);
  EXPECT_FALSE(Called("PlaySound(\"enter\",False,100,0,0)"));

  g.Shell.Running = true;
  g.Menu.MenuChoice = 1;
  Pass();
  EXPECT_EQ(Pass({key::kReturn}), Screen::kMenu);
  EXPECT_EQ(g.Shell.GameState, Screen::kHighScores);
  EXPECT_TRUE(Called("PlaySound(\"enter\",False,100,0,0)"));
}

// The fade's every step (33 frames, twice in the frame Return is read) is in
// the golden replays' traces; the music that fades with it is not.
TEST_F(Menu, NewGameFadesTheMusicThenStartsARound) {
  Pass();
  engine.ClearCalls();
  Pass({key::kReturn});
  RunUntil([&] { return g.Shell.GameState != Screen::kMenu; }, 100);
  EXPECT_EQ(g.Shell.GameState, Screen::kGame);
  EXPECT_FALSE(g.Menu.StartPending);
  EXPECT_TRUE(Called("StopSound(\"menu\",False)")) << "the round stops the music";
  const auto levels = MusicLevels();
  ASSERT_EQ(levels.size(), 34u);
  EXPECT_EQ((std::vector<int32_t>(levels.begin(), levels.begin() + 11)),
            (std::vector<int32_t>{100, 99, 98, 98, 98, 97, 96, 96, 96, 95, 94}));
  EXPECT_EQ(levels.back(), 83);

  // Back on the menu after the flight: the first frame still shows the fade.
  g.Shell.GameState = Screen::kMenu;
  engine.ClearCalls();
  Pass();
  const auto draws = engine.CallsOf("DrawImage");
  ASSERT_GE(draws.size(), 4u);
  EXPECT_NE(draws[0].args.find(",-2,"), std::string::npos) << draws[0].args;
  EXPECT_NE(draws[1].args.find(",-2,"), std::string::npos) << "highlighted: " << draws[1].args;
  EXPECT_NE(draws[2].args.find(",0,0,0,0,0,-1,-1"), std::string::npos) << draws[2].args;
  EXPECT_EQ(g.Menu.StartFade, 0);
}

TEST_F(Menu, KeysStillWorkWhileTheMenuFades) {
  Pass({key::kReturn});
  Pass({key::kDown});
  EXPECT_EQ(g.Menu.MenuChoice, 1);
  Pass({key::kReturn});
  EXPECT_EQ(g.Shell.GameState, Screen::kHighScores);
  EXPECT_TRUE(g.Menu.StartPending) << "the start carries on next time the menu runs";
}

TEST_F(Menu, TheFrameLayoutAndTheLogoFade) {
  g.Shell.FrameCount = 0;
  Pass();  // F = 1
  const auto draws = engine.CallsOf("DrawImage");
  ASSERT_EQ(draws.size(), 5u);
  EXPECT_EQ(engine.CountOf("EndFrame"), 1);
  const double f = 1;
  const std::string background =
      "files\\main_menu.jpg," + Num(float(std::cos(f / 20) / 3 - 3 * std::sin(f / 30) - 10)) + "," +
      Num(float(std::sin(f / 20) / 3 - 1.5 * std::cos(f / 30) - 10)) + ",640,480," +
      Num(float(std::cos(f / 20) / 5)) + ",100,0,0," + Num(float(660 + 6 * std::sin(f / 30))) +
      "," + Num(float(500 + 3 * std::cos(f / 30))) + ",-1,-1";
  EXPECT_EQ(draws[0].args, background);
  EXPECT_EQ(draws[1].args, "files\\b_newgame.dds,0,0,512,512,0,100,0,0,0,0,256,0");
  EXPECT_EQ(draws[2].args, "files\\b_highscores.dds,0,0,512,512,0,60,0,0,0,0,-1,-1");
  EXPECT_EQ(draws[4].args, "files\\logo.jpg,0,0,640,480,0,95,0,0,0,0,-1,-1");
  for (int i = 2; i <= 20; ++i) Pass();
  EXPECT_EQ(engine.CallsOf("DrawImage").back().args,
            "files\\logo.jpg,0,0,640,480,0,0,0,0,0,0,-1,-1");
  // The highlighted button sways.
  EXPECT_FLOAT_EQ(g.Menu.ButtonWobble[0], 2.0f);
}

}  // namespace
