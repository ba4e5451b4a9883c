// The engine's plain rules, checked without a renderer: where a draw lands,
// the frame pacer's schedule, and the screenshot names and folders.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "sdl_draw_geometry.h"
#include "sdl_pacer.h"
#include "sdl_screenshot_paths.h"
#include "test_folder.h"

namespace fs = std::filesystem;

namespace {

DrawRequest Request(float x, float y, float sw, float sh, int texW, int texH) {
  DrawRequest r;
  r.x = x;
  r.y = y;
  r.sourceWidth = sw;
  r.sourceHeight = sh;
  r.textureWidth = texW;
  r.textureHeight = texH;
  return r;
}

// How a clipped source keeps its scale is checked on pixels by the engine's
// tests; a clipped picture turned about its pivot is not.
TEST(SdlDrawGeometry, PivotStaysOnTheSameScreenPointWhenClipped) {
  DrawRequest r = Request(100, 100, 40, 20, 32, 20);
  r.sourceX = -8;
  r.pivotX = 20;
  r.pivotY = 10;
  const DrawPlacement p = PlaceDraw(r);
  ASSERT_TRUE(p.visible);
  EXPECT_EQ(p.sourceX, 0);
  EXPECT_EQ(p.sourceWidth, 32);
  EXPECT_FLOAT_EQ(p.destX, 108);
  EXPECT_FLOAT_EQ(p.destX + p.pivotX, 120);  // screen pivot = x + 20
  EXPECT_FLOAT_EQ(p.destY + p.pivotY, 110);
}

TEST(SdlDrawGeometry, NothingToDrawOutsideTheTextureOrWithNoSize) {
  DrawRequest outside = Request(0, 0, 16, 16, 32, 32);
  outside.sourceX = 40;
  EXPECT_FALSE(PlaceDraw(outside).visible);
  EXPECT_FALSE(PlaceDraw(Request(0, 0, 0, 16, 32, 32)).visible);
  DrawRequest negative = Request(0, 0, 16, 16, 32, 32);
  negative.drawnWidth = -5;
  EXPECT_FALSE(PlaceDraw(negative).visible);
}

TEST(SdlFramePacer, DeadlinesFollowOnePeriodApartAndReanchorWhenFarBehind) {
  using namespace std::chrono;
  FramePacer pacer(50);  // 20 ms
  const auto start = FramePacer::Clock::time_point{} + seconds(100);
  // The first frame does not wait.
  EXPECT_EQ(pacer.NextDeadline(start), start);
  EXPECT_EQ(pacer.NextDeadline(start + milliseconds(2)), start + milliseconds(20));
  // A frame that took a little longer does not push the schedule back.
  EXPECT_EQ(pacer.NextDeadline(start + milliseconds(25)), start + milliseconds(40));
  EXPECT_EQ(pacer.NextDeadline(start + milliseconds(41)), start + milliseconds(60));
  // Two periods late is still caught up ...
  EXPECT_EQ(pacer.NextDeadline(start + milliseconds(119)), start + milliseconds(80));
  // ... but a long stall starts a fresh schedule instead of racing.
  const auto stalled = start + milliseconds(1000);
  EXPECT_EQ(pacer.NextDeadline(stalled), stalled);
  EXPECT_EQ(pacer.NextDeadline(stalled + milliseconds(3)), stalled + milliseconds(20));
}

TEST(SdlFramePacer, WaitSleepsToTheRate) {
  FramePacer pacer(100);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 11; ++i) pacer.Wait();  // the first wait only anchors
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(ms, 99);
  EXPECT_LT(ms, 400);

  FramePacer unpaced(0);
  const auto before = std::chrono::steady_clock::now();
  for (int i = 0; i < 1000; ++i) unpaced.Wait();
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(50));
}

TEST(SdlScreenshotPaths, NamesAndTheUserFolder) {
  EXPECT_EQ(PassScreenshotPath("shots", 42), (fs::path("shots") / "frame_000042.png").string());
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 6;
  t.tm_hour = 9;
  t.tm_min = 4;
  t.tm_sec = 5;
  EXPECT_EQ(HotkeyScreenshotFileName(t, 7), "kestrevan-20261206-090405-007.png");

  const TestFolder folder("shot-home");
  const fs::path& home = folder.Path();
  const std::string homeText = home.string();

  ScreenshotEnvironment env;
  env.home = homeText.c_str();
  EXPECT_EQ(UserScreenshotFolder(env), (home / ".local/share/kestrevan/screenshots").string());
  env.xdgDataHome = "/data";
  EXPECT_EQ(UserScreenshotFolder(env), "/data/kestrevan/screenshots");
  fs::create_directories(home / "Pictures");
  EXPECT_EQ(UserScreenshotFolder(env), (home / "Pictures").string());
  env.xdgPicturesDir = "/pics";
  EXPECT_EQ(UserScreenshotFolder(env), "/pics");
  EXPECT_EQ(UserScreenshotFolder(ScreenshotEnvironment{}), "");
}

}  // namespace
