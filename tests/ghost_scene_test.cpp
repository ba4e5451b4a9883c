// What a flight draws of a raced replay: its craft under the player's camera,
// the arrow to it, its time, and the REPLAY mark; nothing without extras.
#include <algorithm>

#include "flight_fixture.h"
#include "render/scene.h"

namespace {

class GhostScene : public GameFixture {
 protected:
  RoundState ghost;
  FlightExtras extras;

  void SetUp() override {
    GameFixture::SetUp();
    StartRound();
    // The player low in the world, so a ghost can be above or below.
    g.Round.CameraY = 4000;
    g.Round.ShakeOffset = 3;
    ghost = g.Round;
    ghost.CameraY = 100;  // its own camera, which must not count
    ghost.LanderX = 100;
    extras.Ghost = &ghost;
    g.Extras = &extras;
  }
  // The calls of one frame; the round is put back so frames compare.
  std::vector<std::string> Frame() {
    const RoundState before = g.Round;
    engine.ClearCalls();
    DrawScene(g);
    g.Round = before;
    return engine.CallTexts();
  }
  // The ghost's screen top at `top`; returns the arrow drawn, or "".
  std::string ArrowAt(double top) {
    ghost.LanderY = static_cast<float>(4000 + top);
    for (const std::string& c : Frame())
      if (c.find("font_default.dds,") != std::string::npos && c.rfind("DrawImage", 0) == 0)
        return c;
    return "";
  }
  // Pictures drawn at the ghost's opacity.
  int Ghostly() {
    Frame();
    int n = 0;
    for (const auto& c : engine.CallsOf("DrawImage")) n += c.args.find(",35,") != std::string::npos;
    return n;
  }
  bool Drew(const std::string& text) {
    const auto calls = Frame();
    return std::find(calls.begin(), calls.end(), text) != calls.end();
  }
};

TEST_F(GhostScene, WithoutExtrasOrWithEmptyOnesTheFrameIsThePlayersAlone) {
  extras.ReplayMark = true;
  extras.GhostOver = extras.GhostWon = true;
  const auto full = Frame();
  g.Extras = nullptr;
  const auto plain = Frame();
  FlightExtras none;
  g.Extras = &none;
  EXPECT_EQ(Frame(), plain);
  EXPECT_GT(full.size(), plain.size());
}

TEST_F(GhostScene, TheCraftAndCanopyAt35UnderThePlayersCameraAfterThePlayersCraft) {
  ghost.LanderY = 4150;
  const auto calls = Frame();
  const auto at = std::find(calls.begin(), calls.end(),
                            "DrawImage(files\\lander.dds,103,150,64,64,0,35,192,0,0,0,32,25)");
  ASSERT_NE(at, calls.end());
  EXPECT_EQ(at[-3].rfind("DrawImage(files\\lander.dds,", 0), 0u) << "right after the player's";
  EXPECT_EQ(at[1], "SetDrawColor(255,255,255)");
  ghost.ParachuteOpen = true;
  ghost.ParachuteUnfold = 180;
  ghost.ParachuteX = 16;
  ghost.ParachuteY = 4005;
  EXPECT_TRUE(Drew("DrawImage(files\\parachute.dds,19,5,128,180,0,35,0,0,128,180,64,180)"));
  // A crashed ghost leaves at its crash, canopy and all; so does a winner.
  EXPECT_EQ(Ghostly(), 2);
  ghost.Health = 0;
  EXPECT_EQ(Ghostly(), 0);
  ghost.Health = 50;
  extras.GhostOver = extras.GhostWon = true;
  EXPECT_EQ(Ghostly(), 0);
}

TEST_F(GhostScene, TheArrowOnlyWhileTheCraftIsOutOfViewAtThatEdge) {
  EXPECT_EQ(ArrowAt(-64),
            "DrawImage(files\\font_default.dds,115,48,20,16,0,100,448,160,40,32,-1,-1)");
  EXPECT_EQ(ArrowAt(-63), "");
  EXPECT_EQ(ArrowAt(479), "");
  EXPECT_EQ(ArrowAt(480),
            "DrawImage(files\\font_default.dds,115,400,20,16,180,100,448,160,40,32,-1,-1)");
  ghost.LanderX = 630;
  EXPECT_EQ(ArrowAt(900).substr(0, 40), "DrawImage(files\\font_default.dds,600,400");
  EXPECT_EQ(engine.CallsOf("SetDrawColor").back().args, "255,255,255");
  ghost.Health = 0;
  EXPECT_EQ(ArrowAt(900), "");
}

TEST_F(GhostScene, TheGhostsTimeAndTheDifferenceOnceItIsOverAndTheReplayMark) {
  // A text at scale 0.5 and full opacity, in the ghost's pale blue unless told.
  auto wrote = [&](const std::string& text, const std::string& at,
                   const std::string& colour = "170,215,255") {
    return Drew("DrawText(files\\font_default.dds,\"" + text + "\"," + at + ",0.5,0,100," + colour +
                ")");
  };
  extras.GhostTime = 522;
  g.Round.FlightTime = 530;
  EXPECT_FALSE(wrote("GHOST 522", "450,10"));
  extras.GhostOver = extras.GhostWon = true;
  EXPECT_TRUE(wrote("GHOST 522", "450,10"));
  EXPECT_TRUE(wrote("YOU +8", "450,25", "255,90,70"));
  g.Round.FlightTime = 522;
  EXPECT_TRUE(wrote("YOU +0", "450,25", "255,155,1"));
  g.Round.FlightTime = 515;
  EXPECT_TRUE(wrote("YOU -7", "450,25", "90,255,90"));
  extras.GhostWon = false;
  EXPECT_TRUE(wrote("LOST", "450,25"));
  EXPECT_FALSE(wrote("REPLAY", "290,10", "255,60,60"));
  extras.ReplayMark = true;
  EXPECT_TRUE(wrote("REPLAY", "290,10", "255,60,60"));
}

}  // namespace
