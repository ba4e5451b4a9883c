// The shell: start-up order, the main loop's dispatch, the failure rule,
// closing the window, shutdown.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "components/media/key_codes.h"
#include "core/game.h"
#include "shell/app.h"
#include "test_folder.h"
#include "testkit/quiet_engine.h"

namespace {

class ShellTest : public ::testing::Test {
 protected:
  QuietEngine engine{QuietEngine::kRecording};
  Random random{1};
  Game g{engine, nullptr, random};
  AppOptions options;

  void SetUp() override { options.programFolder = "/game"; }

  std::string WriteSettings(const std::string& text) { return dir_.Write("setup.ini", text); }

  size_t IndexOf(const std::string& text) const {
    const auto calls = engine.CallTexts();
    return static_cast<size_t>(std::find(calls.begin(), calls.end(), text) - calls.begin());
  }

 private:
  TestFolder dir_{"shell"};
};

ScreenRoutines MenuThatQuitsAfter(int passes) {
  ScreenRoutines s;
  s.MenuKeys = [passes](Game& g) {
    if (g.Shell.FrameCount >= passes) g.Shell.Running = false;
  };
  return s;
}

TEST_F(ShellTest, StartUpRunsItsStepsInOrder) {
  ASSERT_EQ(Main(g, options, MenuThatQuitsAfter(1)), 0);
  const auto calls = engine.CallTexts();
  // No setup.ini: full screen, sound on. The logo shows before anything else loads.
  EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 9),
            (std::vector<std::string>{
                "Initialize(\"/game\",640,480,True,0,0,True)", "LoadTexture(\"files\\logo.jpg\",0)",
                "LoadSound(\"logo\",\"files\\logo.wav\")",
                "DrawImage(files\\logo.jpg,0,0,640,480,0,100,0,0,0,0,-1,-1)", "ProcessMessages()",
                "EndFrame()", "ProcessMessages()", "PlaySound(\"logo\",False,100,0,0)",
                "LoadTexture(\"files\\font_default.bmp\",16711935)"}));
  EXPECT_EQ(engine.CountOf("LoadSound"), 17);
  EXPECT_LT(IndexOf("LoadSound(\"menu\",\"files\\menu.wav\")"),
            IndexOf("PlaySound(\"menu\",True,100,0,0)"));
  EXPECT_LT(IndexOf("PlaySound(\"menu\",True,100,0,0)"), IndexOf("BeginPass(1)"));
  EXPECT_EQ(g.Shell.GameState, Screen::kMenu);
  // Shutdown: textures dropped before the engine goes.
  EXPECT_EQ(calls.back(), "Shutdown()");
  EXPECT_FALSE(g.Tex.TexLogo);
  EXPECT_FALSE(g.Tex.TexBackSky);
}

// Sound off loads only the logo's sound and still asks for the music; a
// setting that is not a boolean counts as on; the flags override the file.
TEST_F(ShellTest, SettingsAndFlagsDecideTheWindowAndTheSound) {
  const struct {
    const char* ini;
    std::optional<bool> fullScreen;
    bool mute;
    const char* window;
    bool soundOn;
  } cases[] = {
      {"[main]\nSound_On=False\nFULL_SCREEN=0\n", {}, false, "False", false},
      {"[MAIN]\nsound_on = no\nFULL_SCREEN =  0 \n", true, false, "True", true},
      {"[MAIN]\nsound_on = no\nFULL_SCREEN =  0 \n", {}, true, "False", false},
  };
  for (const auto& c : cases) {
    QuietEngine e{QuietEngine::kRecording};
    Game game{e, nullptr, random};
    AppOptions o = options;
    o.settingsPath = WriteSettings(c.ini);
    o.fullScreen = c.fullScreen;
    o.mute = c.mute;
    Main(game, o, MenuThatQuitsAfter(1));
    EXPECT_EQ(game.Shell.SoundOn, c.soundOn) << c.ini;
    EXPECT_EQ(e.CallsOf("Initialize").at(0).args,
              std::string("\"/game\",640,480,") + c.window + ",0,0,True");
    EXPECT_EQ(e.CountOf("LoadSound"), c.soundOn ? 17 : 1) << c.ini;
    EXPECT_EQ(e.CountOf("PlaySound"), c.soundOn ? 2 : 1) << c.ini;
    EXPECT_EQ(e.CallsOf("PlaySound").back().args, "\"menu\",True,100,0,0") << c.ini;
  }
}

TEST_F(ShellTest, AFailedFileCostsOnlyThatFile) {
  engine.FailCall("LoadTexture", 4);  // files\land.dds
  engine.FailCall("LoadSound", 2);    // lander_open
  std::vector<bool> loaded;  // the font, the land and the last picture, as the loop sees them
  ScreenRoutines s;
  s.MenuKeys = [&](Game& game) {
    loaded = {bool(game.Tex.TexFont), bool(game.Tex.TexLand), bool(game.Tex.TexBackSky)};
    game.Shell.Running = false;
  };
  Main(g, options, s);
  EXPECT_EQ(loaded, (std::vector<bool>{true, false, true}));
  EXPECT_EQ(engine.CountOf("LoadTexture"), 25);
  EXPECT_EQ(engine.CountOf("CreateFont"), 1);
  EXPECT_EQ(engine.CountOf("LoadSound"), 17);
  EXPECT_EQ(g.Shell.GameState, Screen::kMenu);
}

TEST_F(ShellTest, TheLogoStaysUpForMoreThanASecondUnlessLoadingTookLongerOrEscapeIsHeld) {
  // Each read of the fake clock moves it on by `step` ms: the wait polls the
  // keys until more than 1000 ms have passed since loading began. Gives the
  // polls and the sounds loaded.
  const auto start = [&](int step, bool escape) {
    QuietEngine e{QuietEngine::kRecording};
    e.SetClockStep(step);
    if (escape) e.HoldKeys({key::kEscape});
    Game game{e, nullptr, random};
    Main(game, options, MenuThatQuitsAfter(1));
    return std::make_pair(e.CountOf("KeyHeld"), e.CountOf("LoadSound"));
  };
  const int polls = start(10, false).first;
  EXPECT_GE(polls, 95);
  EXPECT_LE(polls, 100);
  EXPECT_EQ(start(2000, false).first, 0) << "a load slower than a second goes straight on";
  // Escape ends the wait (which would otherwise take a thousand polls), not the loading.
  EXPECT_EQ(start(1, true), std::make_pair(1, 17));
}

TEST_F(ShellTest, AFailedInitializeOrACloseBeforeTheLoopRunsNoPass) {
  int passes = 0;
  ScreenRoutines s;
  s.MenuKeys = [&passes](Game&) { ++passes; };
  engine.FailCall("Initialize", 1);
  EXPECT_EQ(Main(g, options, s), 1);
  EXPECT_EQ(engine.CountOf("LoadTexture"), 0);

  QuietEngine closed{QuietEngine::kRecording};
  closed.CloseDuring("ProcessMessages", 1);  // while the logo shows
  Game g2{closed, nullptr, random};
  EXPECT_EQ(Main(g2, options, s), 0);
  EXPECT_EQ(closed.CloseAnswers(), std::vector<int16_t>{0});
  EXPECT_EQ(closed.CallTexts().back(), "Shutdown()");
  EXPECT_EQ(passes, 0);
}

TEST_F(ShellTest, CloseDuringPlayIsRefusedOnceAndTheLoopEndsAfterThePass) {
  engine.CloseDuring("EndFrame", 3);  // the logo's EndFrame is the first
  int passes = 0;
  bool drewAfterClose = false;  // the pass in which the close came still runs to its end
  ScreenRoutines s;
  s.MenuKeys = [&](Game&) { ++passes; };
  s.DrawMenu = [&](Game& game) {
    game.Engine.EndFrame();
    if (!game.Shell.Running) drewAfterClose = true;
  };
  EXPECT_EQ(Main(g, options, s), 0);
  EXPECT_EQ(passes, 2);
  EXPECT_TRUE(drewAfterClose);
  // The close was refused while running; the shutdown's own unload went through.
  EXPECT_EQ(engine.CloseAnswers(), std::vector<int16_t>{1});
  EXPECT_FALSE(g.Shell.Running);
}

TEST_F(ShellTest, FrameCountWrapsBeforeAnyRoutineSeesIt) {
  std::vector<float> seen;
  ScreenRoutines s;
  s.MenuKeys = [&seen](Game& game) {
    seen.push_back(game.Shell.FrameCount);
    if (seen.size() == 3) game.Shell.Running = false;
  };
  g.Shell.GameState = Screen::kMenu;
  g.Shell.FrameCount = 34998;
  for (int i = 0; i < 3; ++i) MainLoopPass(g, s);
  EXPECT_EQ(seen, (std::vector<float>{34999, 0, 1}));
}

TEST_F(ShellTest, APassThatSwitchesScreensFinishesItsBranch) {
  std::vector<std::string> order;
  ScreenRoutines s;
  s.GameKeys = [&](Game& game) {
    order.push_back("GameKeys");
    game.Shell.GameState = Screen::kMenu;
  };
  s.TimeStep = [&](Game&) { order.push_back("TimeStep"); };
  s.ShakeStep = [&](Game&) { order.push_back("ShakeStep"); };
  s.FlightStep = [&](Game&) { order.push_back("FlightStep"); };
  s.CrashStep = [&](Game&) { order.push_back("CrashStep"); };
  s.DrawScene = [&](Game&) { order.push_back("DrawScene"); };
  s.MenuKeys = [&](Game&) { order.push_back("MenuKeys"); };
  g.Shell.GameState = Screen::kGame;
  EXPECT_EQ(MainLoopPass(g, s), Screen::kGame);
  EXPECT_EQ(order, (std::vector<std::string>{"GameKeys", "TimeStep", "ShakeStep", "FlightStep",
                                             "CrashStep", "DrawScene"}));
  order.clear();
  MainLoopPass(g, s);
  EXPECT_EQ(order, std::vector<std::string>{"MenuKeys"});
  // A round lost in this pass's flight step is not crashed as well.
  order.clear();
  s.FlightStep = [](Game& game) { game.Round.RoundLost = true; };
  g.Shell.GameState = Screen::kGame;
  MainLoopPass(g, s);
  EXPECT_EQ(order, (std::vector<std::string>{"GameKeys", "TimeStep", "ShakeStep", "DrawScene"}));
}

TEST_F(ShellTest, AFailingOperationSkipsOnlyTheRestOfItsRoutine) {
  engine.FailCall("BeginFrame", 1);
  std::vector<std::string> order;
  ScreenRoutines s;
  s.MenuKeys = [&](Game&) { order.push_back("MenuKeys"); };
  s.DrawMenu = [&](Game& game) {
    game.Engine.BeginFrame(0, 0, 0);
    order.push_back("DrawMenu after BeginFrame");
  };
  s.MenuStep = [&](Game&) { order.push_back("MenuStep"); };
  g.Shell.GameState = Screen::kMenu;
  MainLoopPass(g, s);
  MainLoopPass(g, s);
  EXPECT_EQ(order, (std::vector<std::string>{"MenuKeys", "MenuStep", "MenuKeys",
                                             "DrawMenu after BeginFrame", "MenuStep"}));
}

// A wreck that blew up in the air and then comes down is no touchdown.
TEST(Shake, OnlyABlowUpOrAWholeTouchdownShakesThePad) {
  QuietEngine engine;
  Random random(1);
  Game g(engine, nullptr, random);
  g.Round.Health = 40;
  g.Round.OnGround = true;
  ShakeOnImpact(g, /*wasOnGround=*/false, /*wasExploding=*/false);
  g.Round.Health = 0;
  ShakeOnImpact(g, false, false);  // down as a wreck
  g.Round.ExplosionTime = 1;
  ShakeOnImpact(g, true, false);  // it blows up
  ShakeOnImpact(g, false, true);  // the burning wreck lands
  EXPECT_EQ(engine.rumbles, (std::vector<std::string>{Num(0.35f) + ",120", "1,400"}));
}

}  // namespace
