// The main menu: moving the highlight, choosing, the fade into a round.
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
  // The opacity of each picture drawn: background, three buttons, title.
  std::vector<int> Opacities() const {
    std::vector<int> out;
    for (const auto& c : engine.CallsOf("DrawImage")) {
      size_t at = 0;
      for (int comma = 0; comma < 6; ++comma) at = c.args.find(',', at) + 1;
      out.push_back(std::stoi(c.args.substr(at)));
    }
    return out;
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
  g.Menu.MenuChoice = 0;
  Pass();
  Pass({key::kReturn});  // new game: the fade begins, and the keys still work
  Pass({key::kDown});
  EXPECT_EQ(Pass({key::kReturn}), Screen::kMenu);
  EXPECT_EQ(g.Shell.GameState, Screen::kHighScores);
  EXPECT_TRUE(g.Menu.StartPending) << "the start carries on next time the menu runs";
}

// The fade's every step (33 frames, twice in the frame Return is read) and
// the menu's frames are in the golden replays; the music that fades is not.
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

  // Back from the flight, the level that started it (102) is not drawn: the
  // background, the highlight and the other buttons show in full.
  g.Shell.GameState = Screen::kMenu;
  engine.ClearCalls();
  Pass();
  EXPECT_EQ(Opacities(), (std::vector<int>{100, 100, 60, 60, 0}));
  // A pending start fades them: 6 after the Return frame, 9 after the next.
  Pass({key::kReturn});
  Pass();
  engine.ClearCalls();
  Pass();
  EXPECT_EQ(Opacities(), (std::vector<int>{91, 91, 51, 51, 0}));
}

}  // namespace
