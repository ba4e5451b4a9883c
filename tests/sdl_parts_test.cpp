// The engine's plain rules, checked without a window: where the frame goes
// in the window, the frame pacer's schedule, and the screenshot names and
// folders.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "components/media/letterbox.h"
#include "sdl_pacer.h"
#include "sdl_screenshot_paths.h"
#include "test_folder.h"

namespace fs = std::filesystem;

namespace {

// x, y, width, height of where a 640 x 480 frame goes in a window.
std::array<int, 4> Placed(int windowWidth, int windowHeight, bool wholeNumbers = false) {
  const ScreenRect r = Letterbox(windowWidth, windowHeight, 640, 480, wholeNumbers);
  return {r.x, r.y, r.width, r.height};
}
using Box = std::array<int, 4>;

TEST(Letterbox, FillsAsMuchAsFitsCentredAndWholeNumbersNeverHideTheFrame) {
  EXPECT_EQ(Placed(640, 480), (Box{0, 0, 640, 480}));
  EXPECT_EQ(Placed(1000, 480), (Box{180, 0, 640, 480}));  // wider: bars left and right
  EXPECT_EQ(Placed(800, 900), (Box{0, 150, 800, 600}));   // taller: bars above and below
  EXPECT_EQ(Placed(1920, 1080), (Box{240, 0, 1440, 1080}));
  EXPECT_EQ(Placed(1920, 1080, true), (Box{320, 60, 1280, 960}));
  EXPECT_EQ(Placed(1279, 2000, true), (Box{319, 760, 640, 480}));  // 2 does not fit across
  // A window smaller than the frame still shows all of it, shrunk.
  EXPECT_EQ(Placed(320, 200, true), (Box{26, 0, 267, 200}));
  EXPECT_EQ(Placed(0, 480), (Box{0, 0, 0, 0}));
  EXPECT_EQ(Placed(640, -1, true), (Box{0, 0, 0, 0}));
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

TEST(SdlFramePacer, WaitSleepsToTheRateUnlessUnpaced) {
  using namespace std::chrono;
  for (int fps : {100, 0}) {
    FramePacer pacer(fps);
    const auto start = steady_clock::now();
    for (int i = 0; i < 11; ++i) pacer.Wait();  // the first wait only anchors
    const auto took = steady_clock::now() - start;
    EXPECT_TRUE(fps ? took >= milliseconds(99) && took < milliseconds(400)
                    : took < milliseconds(50))
        << fps << " fps: " << duration<double, std::milli>(took).count() << " ms";
  }
}

TEST(SdlScreenshotPaths, NamesAndTheUserFolder) {
  EXPECT_EQ(PassScreenshotPath("shots", 42), (fs::path("shots") / "frame_000042.png").string());
  std::tm t{};
  ASSERT_NE(strptime("2026-12-06 09:04:05", "%Y-%m-%d %H:%M:%S", &t), nullptr);
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

  // The desktop's own word comes first: user-dirs.dirs in the config folder.
  fs::create_directories(home / ".config");
  std::ofstream(home / ".config/user-dirs.dirs")
      << "# written by xdg-user-dirs-update\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
  EXPECT_EQ(UserScreenshotFolder(env), (home / "Bilder").string());
  env.xdgConfigHome = "/nowhere";
  EXPECT_EQ(UserScreenshotFolder(env), "/pics");
}

TEST(SdlScreenshotPaths, PicturesFolderOfUserDirs) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", "/home/ann/Pictures"},
      {"  XDG_PICTURES_DIR=\"/srv/My \\\"Pics\\\"/\"\r\n", "/srv/My \"Pics\""},
      {"XDG_PICTURES_DIR=\"/a\"\nXDG_PICTURES_DIR=\"/b\"", "/b"},      // the last one wins
      {"XDG_PICTURES_DIR=\"/a\"\nXDG_PICTURES_DIR=\"$HOME/\"\n", ""},  // turned off
      {"XDG_PICTURES_DIR=\"$HOMEWORK/x\"\nXDG_PICTURES_DIR=\"relative\"", ""},
      {"XDG_PICTURES_DIR=\"/unclosed\nXDG_PICTURES_DIR=/unquoted\n", ""},
      {"XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n#XDG_PICTURES_DIR=\"/c\"\n", ""},
  };
  for (const auto& [text, folder] : cases)
    EXPECT_EQ(PicturesFromUserDirs(text, "/home/ann"), folder) << text;
}

}  // namespace
