// The flight's frame on real pixels: the generated pictures drawn by the
// headless engine, read back from the screenshot of each pass.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "core/game.h"
#include "render/scene.h"
#include "sdl_engine.h"
#include "sdl_test_support.h"
#include "shell/assets.h"
#include "test_folder.h"

namespace fs = std::filesystem;

namespace {

int Red(uint32_t p) { return (p >> 16) & 0xFF; }
int Green(uint32_t p) { return (p >> 8) & 0xFF; }
int Blue(uint32_t p) { return p & 0xFF; }

class ScenePixels : public ::testing::Test {
 protected:
  TestFolder frames{"scene-pixels"};
  int64_t pass = 0;
  std::unique_ptr<MediaEngine> engine;
  Random random{3};
  std::unique_ptr<Game> g;

  void SetUp() override {
    engine = CreateSdlEngine(FrameSavingOptions(frames.Path()));
    engine->Initialize(fs::path(KESTREVAN_BINARY).parent_path().string(), 640, 480, false, 0, 0,
                       true);
    g = std::make_unique<Game>(*engine, nullptr, random);
    LoadTexturesAndShowLogo(*g);
    ASSERT_TRUE(g->Tex.TexBackSky) << "the generated pictures are missing";
    RoundState& r = g->Round;
    r.LanderX = 300;
    r.Health = 100;
    r.Fuel = 90;
    r.OpenFrame = 0;
    r.LanderOpened = true;
    r.ParachuteReleased = true;
    r.OpenProgress = 100;
    r.ParachuteX = -500;
    for (auto& c : r.Clouds) c.Y = 100000;
    g->Shell.HelpRoundsLeft = 0;
  }
  void TearDown() override {
    ReleaseTextures(*g);
    engine->Shutdown();
  }
  ArgbPixels Draw(float cameraY) {
    g->Round.CameraY = cameraY;
    g->Round.LanderY = cameraY + 200;
    g->Round.Height = static_cast<float>((8150.0 - g->Round.LanderY) / 10 - 6);
    engine->BeginPass(++pass, nullptr);
    DrawScene(*g);  // ends the frame, which saves it
    return SavedFrame(frames.Path(), pass);
  }
};

TEST_F(ScenePixels, TheSkyReachesItsLavenderAtTheGround) {
  const auto frame = Draw(7672);
  // The horizon's top rows are clear, so the clear colour shows there.
  const uint32_t p = frame.At(320, 2);
  EXPECT_NEAR(Red(p), 128, 3);
  EXPECT_NEAR(Green(p), 126, 3);
  EXPECT_NEAR(Blue(p), 206, 3);
}

TEST_F(ScenePixels, StarsShineOnlyHighUp) {
  auto brightSpots = [](const ArgbPixels& f) {
    int n = 0;
    // A band clear of panels, help pictures and the lander.
    for (int y = 60; y < 180; ++y)
      for (int x = 100; x < 540; ++x) {
        const uint32_t p = f.At(x, y);
        n += Red(p) > 150 && Green(p) > 150 && Blue(p) > 150;
      }
    return n;
  };
  EXPECT_GT(brightSpots(Draw(0)), 10);
  EXPECT_EQ(brightSpots(Draw(5000)), 0);
}

TEST_F(ScenePixels, TheHealthBarGrowsUpFromItsBottom) {
  g->Round.Health = 50;
  const auto frame = Draw(3000);
  auto reddish = [](uint32_t p) { return Red(p) > Green(p) + 40 && Red(p) > Blue(p) + 40; };
  int filledTop = -1;
  for (int y = 60; y < 420; ++y)
    if (reddish(frame.At(624, y))) {
      filledTop = y;
      break;
    }
  EXPECT_NEAR(filledTop, 240, 3) << "half the bar, from y 420 up";
  EXPECT_TRUE(reddish(frame.At(624, 410)));
  EXPECT_FALSE(reddish(frame.At(624, 425)));
}

}  // namespace
