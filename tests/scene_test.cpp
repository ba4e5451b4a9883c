// The flight's frame: every picture and text with its arguments, in order.
#include "flight_fixture.h"
#include "core/singles.h"
#include "render/scene.h"

namespace {

class Scene : public GameFixture {
 protected:
  void SetUp() override {
    GameFixture::SetUp();
    StartRound();
    for (auto& c : g.Round.Clouds) c.Y = 100000;  // out of sight unless a test says so
  }
  std::vector<std::string> Frame() {
    engine.ClearCalls();
    DrawScene(g);
    return engine.CallTexts();
  }
  static bool Has(const std::vector<std::string>& calls, const std::string& text) {
    return std::find(calls.begin(), calls.end(), text) != calls.end();
  }
  // How many of the calls hold `part` anywhere in their text.
  static int Count(const std::vector<std::string>& calls, const std::string& part) {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const std::string& c) {
      return c.find(part) != std::string::npos;
    }));
  }
};

TEST_F(Scene, TheFirstFrameOfARound) {
  RoundState& r = g.Round;
  g.Shell.HelpRoundsLeft = 4;
  r.LanderX = 200;
  r.LanderY = 30;
  r.CameraY = -170;
  r.Height = Single((8150.0 - 30) / 10 - 6);  // 806
  r.ShakeOffset = 0;
  const auto calls = Frame();
  const std::string grey = Num(Single(105 - 13 * 150.0 / 775));
  const std::vector<std::string> expected = {
      "BeginFrame(0,0,0)",
      "DrawImage(files\\stars.dds,0,0,640,480,0,100,0,0,0,0,-1,-1)",
      "DrawImage(files\\land.dds,0,8272,1025,64,0,100,0,0,0,0,-1,-1)",
      "SetDrawColor(" + grey + "," + grey + "," + grey + ")",
      "DrawImage(files\\lander.dds,200,200,64,64,0,100,192,0,0,0,32,25)",
      "SetDrawColor(255,255,255)",
      "DrawImage(files\\land2.dds,0,8272,1025,64,0,100,0,0,0,0,-1,-1)",
      "DrawImage(files\\landing.dds,80,8308,64,8,0,100,0,0,0,0,-1,-1)",
      "SetDrawColor(255,255,255)",
      "DrawImage(files\\landing.dds,290,8308,64,8,0,100,0,0,0,0,-1,-1)",
      "SetDrawColor(255,255,255)",
      "DrawImage(files\\landing.dds,495,8308,64,8,0,100,0,0,0,0,-1,-1)",
      "SetDrawColor(255,255,255)",
      "DrawImage(files\\shade.dds,-4,430,88,46,0,40,0,0,0,0,-1,-1)",
      "DrawText(files\\font_default.dds,\"HEIGHT\",8,440,0.5,0,100,255,155,1)",
      "DrawText(files\\font_default.dds,\"805\",7,455,0.5,0,100,255,155,1)",
      "DrawImage(files\\shade.dds,557,430,88,46,0,40,0,0,0,0,-1,-1)",
      "DrawText(files\\font_default.dds,\"FUEL\",590,440,0.5,0,100,255,155,1)",
      "DrawText(files\\font_default.dds,\"090\",600,455,0.5,0,100,255,155,1)",
      "DrawImage(files\\shade.dds,557,0,88,46,0,40,0,0,0,0,-1,-1)",
      "DrawText(files\\font_default.dds,\"TIME\",590,10,0.5,0,100,255,155,1)",
      "DrawText(files\\font_default.dds,\"000\",600,25,0.5,0,100,255,155,1)",
      "DrawImage(files\\shade.dds,-13,0,88,46,0,40,0,0,195,46,-1,-1)",
      "DrawText(files\\font_default.dds,\"DATA COLLECTED\",8,10,0.5,0,100,255,155,1)",
      "DrawText(files\\font_default.dds,\"10\",7,25,0.5,0,100,255,155,1)",
      "DrawImage(files\\lights.dds,0,296,32,134,0,40,0,0,0,0,-1,-1)",
      "SetDrawColor(255,255,255)",
      "DrawImage(files\\status.dds,608,60,32,360,180,40,0,0,0,0,16,180)",
      "SetDrawColor(255,50,50)",
      "DrawImage(files\\status.dds,608,60,32,360,180,50,0,0,0,0,16,180)",
      "SetDrawColor(255,255,255)",
      "DrawImage(files\\keys.dds,350,10,256,256,0,100,0,0,0,0,-1,-1)",
      "DrawImage(files\\hints.dds,20,10,256,256,0,100,0,0,0,0,-1,-1)",
      "EndFrame()",
  };
  EXPECT_EQ(calls, expected);
}

TEST_F(Scene, AtTheGroundTheSkyIsLavenderAndTheHorizonShows) {
  RoundState& r = g.Round;
  r.CameraY = 7672;
  r.Height = 50;
  g.Shell.HelpRoundsLeft = 1;
  const auto calls = Frame();
  EXPECT_EQ(calls.at(0), "BeginFrame(128,126,206)");
  EXPECT_EQ(calls.at(1), "DrawImage(files\\back_sky.dds,0,0,640,480,0,100,0,0,0,0,-1,-1)");
  EXPECT_EQ(Count(calls, "stars.dds"), 0);
  EXPECT_EQ(Count(calls, "keys.dds"), 0) << "no help from the fourth round on";
  // Between 4000 and 7191 neither stars nor the horizon.
  r.CameraY = 5000;
  const auto middle = Frame();
  EXPECT_EQ(Count(middle, "stars.dds") + Count(middle, "back_sky.dds"), 0);
}

TEST_F(Scene, AWreckIsDrawnBrokenWithRedLights) {
  RoundState& r = g.Round;
  r.LanderX = 100;
  r.LanderY = 8075;
  r.CameraY = 7672;
  r.Health = -5;
  r.ParachuteReleased = true;
  r.SpeedX = 1;
  const auto calls = Frame();
  EXPECT_TRUE(Has(calls, "DrawImage(files\\lander_broke.dds,100,403,64,64,0,100,0,0,0,0,32,25)"));
  EXPECT_TRUE(Has(calls, "SetDrawColor(255,50,50)"));
  EXPECT_TRUE(Has(calls, "DrawImage(files\\status.dds,608,60,32,-18,180,50,0,0,0,0,16,180)"));
  EXPECT_EQ(r.OpenProgress, 0) << "a wreck does not unfold";
  EXPECT_EQ(engine.CountOf("PlaySound"), 0);
}

TEST_F(Scene, DataMessagesByHeight) {
  RoundState& r = g.Round;
  r.DataCollected = true;
  r.SendTicksLeft = 7;
  r.CameraY = 7000;
  r.Height = 79;
  auto calls = Frame();
  EXPECT_TRUE(Has(calls, "DrawImage(files\\signal_line.dds,0,120,640,50,0,30,0,0,0,0,-1,-1)"));
  EXPECT_EQ(Count(calls, "NO SIGNAL TO SEND DATA\",195,80,0.5,0,100,255,"), 1);
  EXPECT_EQ(Count(calls, "GET HIGHER - AT 100 METERS\",172,110,0.5,"), 1);
  r.Height = 80;  // high enough for the message, not yet for the sending
  calls = Frame();
  EXPECT_EQ(Count(calls, "\"SENDING DATA -> 2\",190,80," + Num(Single(1 - 1.0 / 3))), 1);
  r.SendTicksLeft = 0;
  calls = Frame();
  EXPECT_EQ(engine.CountOf("DrawText"), 8) << "only the status texts";
  EXPECT_TRUE(Has(calls, "DrawImage(files\\signal_line.dds,0,120,640,50,0,30,0,0,0,0,-1,-1)"));
}

TEST_F(Scene, CloudsDriftOnlyOnScreen) {
  RoundState& r = g.Round;
  r.CameraY = 1000;
  r.ShakeOffset = 2;
  r.Clouds[0] = CloudRec{10, 872, 40.5f, 1.5f};   // sy = -128: out
  r.Clouds[1] = CloudRec{10, 1480, 40, 1.5f};     // sy = 480: out
  r.Clouds[2] = CloudRec{10, 873, 41.5f, -1.5f};  // sy = -127: in
  const auto calls = Frame();
  EXPECT_EQ(r.Clouds[0].X, 10);
  EXPECT_EQ(r.Clouds[1].X, 10);
  EXPECT_EQ(r.Clouds[2].X, 8.5f);
  EXPECT_TRUE(Has(calls, "DrawImage(files\\cloud.dds,10.5,-127,512,128,0,42,0,0,0,0,-1,-1)"));
  EXPECT_EQ(Count(calls, "cloud.dds"), 1);
}

TEST_F(Scene, NumberFormatsHelpOpacityAndTheWarning) {
  EXPECT_EQ(ThreeDigits(5.7), "005");
  EXPECT_EQ(ThreeDigits(999), "999");
  EXPECT_EQ(ThreeDigits(1234.5), "1234");
  EXPECT_EQ(ThreeDigits(-0.025), "-001");
  EXPECT_EQ(SingleText(Single(vb::Int(0.9 - 1))), "-1");
  EXPECT_EQ(SingleText(0), "0");
  EXPECT_EQ(SingleText(805), "805");
  EXPECT_EQ(SingleText(12345678), "1.234568E+07");

  RoundState& r = g.Round;
  r.CameraY = 1330;  // d = 1500
  g.Shell.HelpRoundsLeft = 3;
  auto calls = Frame();
  EXPECT_TRUE(Has(calls, "DrawImage(files\\keys.dds,350,10,256,256,0,50,0,0,0,0,-1,-1)"));
  EXPECT_TRUE(Has(calls, "DrawImage(files\\hints.dds,20,10,256,256,0,50,0,0,0,0,-1,-1)"));
  r.CameraY = 2830;  // d = 3000
  calls = Frame();
  EXPECT_TRUE(Has(calls, "DrawImage(files\\keys.dds,350,10,256,256,0,0,0,0,0,0,-1,-1)"));

  r.Height = 80;
  r.ParachuteOpen = true;
  r.ParachuteX = 100;
  r.ParachuteY = 7000;
  r.ParachuteUnfold = 60;
  r.ParachuteSwing = 3;
  calls = Frame();
  EXPECT_EQ(Count(calls, "WARNING - RELEASE PARACHUTE\",165,280,0.5"), 1);
  // The canopy, squashed to its unfolded height, swings about its bottom edge.
  EXPECT_TRUE(
      Has(calls, "DrawImage(files\\parachute.dds,100,4290,128,180,3,100,0,0,128,60,64,180)"));
}

TEST_F(Scene, TheLightsLightUpInFiveStepsAfterTheRelease) {
  RoundState& r = g.Round;
  r.ParachuteReleased = true;
  std::vector<std::string> lit;
  for (int frame = 0; frame < 52; ++frame) {
    Frame();
    for (const auto& c : engine.CallsOf("DrawImage"))
      if (c.args.rfind("files\\lights.dds,0,296,32,", 0) == 0 &&
          c.args.find(",32,134,") == std::string::npos)
        lit.push_back(c.args.substr(26, c.args.find(',', 26) - 26));
  }
  ASSERT_EQ(lit.size(), 52u);
  EXPECT_EQ(lit[0], "0");
  EXPECT_EQ(lit[9], "27") << "20 points of progress, one lamp";
  EXPECT_EQ(lit[49], "135");
  EXPECT_EQ(lit[51], "135");
  EXPECT_EQ(r.OpenProgress, 100);
}

}  // namespace
