// Two aids of the engine's fast path: skipping draws that land wholly off the
// page (they must never hide a pixel that would have shown), and the frame
// log the benchmarks read present moments from.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "core/game.h"
#include "core/input_script.h"
#include "core/random.h"
#include "fakes/memory_score_board.h"
#include "sdl_draw_geometry.h"
#include "sdl_engine.h"
#include "sdl_engine_test_access.h"
#include "shell/app.h"

namespace fs = std::filesystem;

namespace {

DrawPlacement Placed(float x, float y, float w, float h, float pivotX, float pivotY) {
  DrawRequest r;
  r.x = x;
  r.y = y;
  r.sourceWidth = w;
  r.sourceHeight = h;
  r.pivotX = pivotX;
  r.pivotY = pivotY;
  r.textureWidth = static_cast<int>(w);
  r.textureHeight = static_cast<int>(h);
  return PlaceDraw(r);
}

// Whether any point of the turned rectangle (sampled finely) lies on the
// 640 x 480 page: the truth MissesFrame must never contradict.
bool TouchesPage(const DrawPlacement& p, float angle) {
  const double a = angle * 3.14159265358979323846 / 180.0;
  const double c = std::cos(a), s = std::sin(a);
  const double cx = p.destX + p.pivotX, cy = p.destY + p.pivotY;
  constexpr int kSteps = 24;
  for (int i = 0; i <= kSteps; ++i) {
    for (int j = 0; j <= kSteps; ++j) {
      const double x = p.destX + p.destWidth * i / kSteps - cx;
      const double y = p.destY + p.destHeight * j / kSteps - cy;
      const double rx = cx + x * c - y * s, ry = cy + x * s + y * c;
      if (rx >= 0 && rx < 640 && ry >= 0 && ry < 480) return true;
    }
  }
  return false;
}

TEST(FrameCull, DrawsWhollyOffThePageAreMissesAndEdgeDrawsAreNot) {
  // A particle far above, a landscape strip below, a cloud to the left.
  EXPECT_TRUE(MissesFrame(Placed(100, -200, 32, 32, -1, -1), 37, 640, 480));
  EXPECT_TRUE(MissesFrame(Placed(0, 900, 1025, 64, -1, -1), 0, 640, 480));
  EXPECT_TRUE(MissesFrame(Placed(-600, 100, 512, 128, -1, -1), 0, 640, 480));
  // One pixel row inside the page at each edge.
  EXPECT_FALSE(MissesFrame(Placed(100, -31, 32, 32, -1, -1), 0, 640, 480));
  EXPECT_FALSE(MissesFrame(Placed(100, 479, 32, 32, -1, -1), 0, 640, 480));
  EXPECT_FALSE(MissesFrame(Placed(-31, 100, 32, 32, -1, -1), 0, 640, 480));
  EXPECT_FALSE(MissesFrame(Placed(639, 100, 32, 32, -1, -1), 0, 640, 480));
  // Off the page unturned, but turned about its bottom edge it swings in:
  // the health bar is drawn this way.
  EXPECT_TRUE(MissesFrame(Placed(608, -380, 32, 360, 16, 360), 0, 640, 480));
  EXPECT_FALSE(MissesFrame(Placed(608, -380, 32, 360, 16, 360), 180, 640, 480));
  // A corner turned 45 degrees reaches past its unturned box.
  EXPECT_TRUE(MissesFrame(Placed(-70, 100, 64, 64, -1, -1), 0, 640, 480));
  EXPECT_FALSE(MissesFrame(Placed(-70, 100, 64, 64, -1, -1), 45, 640, 480));
}

TEST(FrameCull, NothingThatTouchesThePageIsSkipped) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> pos(-700, 1300);
  std::uniform_real_distribution<float> size(1, 300);
  std::uniform_real_distribution<float> turn(-720, 720);
  int misses = 0, touches = 0;
  for (int i = 0; i < 20000; ++i) {
    const float w = size(rng), h = size(rng);
    const bool centred = i % 2 == 0;
    const DrawPlacement p =
        Placed(pos(rng) * 0.7f, pos(rng) * 0.6f, std::round(w), std::round(h),
               centred ? -1 : std::round(w) / 3, centred ? -1 : std::round(h));
    const float angle = i % 5 == 0 ? 0 : turn(rng);
    const bool touches_ = TouchesPage(p, angle);
    const bool missed = MissesFrame(p, angle, 640, 480);
    touches += touches_;
    misses += missed;
    ASSERT_FALSE(touches_ && missed) << "skipped a draw at " << p.destX << "," << p.destY << " "
                                     << p.destWidth << "x" << p.destHeight << " turned " << angle;
  }
  // The sample must hold plenty of both kinds, or it proved little.
  EXPECT_GT(misses, 2000);
  EXPECT_GT(touches, 2000);
}

TEST(FrameCull, InvisibleAndNonsensePlacementsAreMisses) {
  DrawPlacement none;  // PlaceDraw found nothing to draw
  EXPECT_TRUE(MissesFrame(none, 0, 640, 480));
  DrawPlacement p = Placed(10, 10, 32, 32, -1, -1);
  p.destX = std::numeric_limits<float>::quiet_NaN();
  EXPECT_TRUE(MissesFrame(p, 0, 640, 480));
}

fs::path TempFolder(const std::string& tag) {
  const fs::path folder = fs::temp_directory_path() /
                          ("kestrevan-cull-" + std::to_string(::getpid()) + "-" + tag);
  fs::remove_all(folder);
  fs::create_directories(folder / "files");
  return folder;
}

TEST(FrameCull, ATurnedSpriteAtTheCornerStillShowsItsVisiblePart) {
  const fs::path folder = TempFolder("corner");
  SdlEngineOptions options;
  options.headless = true;
  std::unique_ptr<MediaEngine> engine = CreateSdlEngine(options);
  engine->Initialize(folder.string(), 640, 480, false, 0, 0, true);
  SdlTestPicture red;
  red.width = red.height = 64;
  red.argb.assign(64 * 64, 0xFFFF0000u);
  SdlTestWritePicture((folder / "files" / "red.png").string(), red);
  Texture texture;
  engine->LoadTexture(texture, "files\\red.png", 0);
  engine->BeginFrame(0, 0, 0);
  // Unturned it would miss the page; turned 45 degrees its corner pokes
  // 7 pixels in at the left edge, around y 132.
  engine->DrawImage(texture, -70, 100, 64, 64, 45, 100, 0, 0, 0, 0, -1, -1);
  engine->EndFrame();
  const SdlTestPicture frame = SdlTestReadFrame(*engine);
  EXPECT_EQ(frame.At(1, 132) & 0x00FFFFFFu, 0xFF0000u);
  EXPECT_EQ(frame.At(1, 100) & 0x00FFFFFFu, 0u);
  EXPECT_EQ(frame.At(12, 132) & 0x00FFFFFFu, 0u);
  engine->Shutdown();
  fs::remove_all(folder);
}

TEST(FrameLog, OneRisingSteadyClockLinePerPresentedFrame) {
  const fs::path folder = TempFolder("log");
  SdlEngineOptions options;
  options.headless = true;
  options.frameLogPath = (folder / "frames.log").string();
  std::unique_ptr<MediaEngine> engine = CreateSdlEngine(options);
  engine->Initialize(folder.string(), 640, 480, false, 0, 0, true);
  const auto before = std::chrono::steady_clock::now().time_since_epoch();
  for (int pass = 1; pass <= 3; ++pass) {
    engine->BeginPass(pass, nullptr);
    engine->BeginFrame(0, 0, 0);
    engine->EndFrame();
  }
  engine->Shutdown();
  const auto after = std::chrono::steady_clock::now().time_since_epoch();

  std::ifstream in(folder / "frames.log");
  std::vector<long long> moments;
  long long value = 0;
  while (in >> value) moments.push_back(value);
  ASSERT_EQ(moments.size(), 3u);
  EXPECT_GE(moments[0], std::chrono::duration_cast<std::chrono::nanoseconds>(before).count());
  EXPECT_LE(moments[0], moments[1]);
  EXPECT_LE(moments[1], moments[2]);
  EXPECT_LE(moments[2], std::chrono::duration_cast<std::chrono::nanoseconds>(after).count());
  fs::remove_all(folder);
}

TEST(FrameLog, AnUnwritableLogDoesNotStopTheGame) {
  const fs::path folder = TempFolder("nolog");
  SdlEngineOptions options;
  options.headless = true;
  options.frameLogPath = (folder / "missing" / "deeper" / "frames.log").string();
  std::unique_ptr<MediaEngine> engine = CreateSdlEngine(options);
  ASSERT_NO_THROW(engine->Initialize(folder.string(), 640, 480, false, 0, 0, true));
  engine->BeginPass(1, nullptr);
  EXPECT_NO_THROW(engine->EndFrame());
  engine->Shutdown();
  EXPECT_FALSE(fs::exists(folder / "missing"));
  fs::remove_all(folder);
}

// Random faded, tinted and partly transparent pictures at fractional,
// negative and off-page positions, turned and stretched, drawn through the
// engine's own blend and turning and through SDL: the frames must match bit
// for bit.
SdlTestPicture Drawn(bool plain, const fs::path& folder, uint32_t seed) {
  SdlEngineOptions options;
  options.headless = true;
  options.plainDrawing = plain;
  std::unique_ptr<MediaEngine> engine = CreateSdlEngine(options);
  engine->Initialize(folder.string(), 640, 480, false, 0, 0, true);
  std::vector<Texture> textures(3);
  for (int i = 0; i < 3; ++i)
    engine->LoadTexture(textures[i], "files\\pic" + std::to_string(i) + ".png", 0);
  std::mt19937 rng(seed);
  engine->BeginFrame(40, 90, 160);
  for (int i = 0; i < 400; ++i) {
    const Texture& t = textures[rng() % 3];
    std::uniform_real_distribution<float> pos(-150, 700);
    const bool tint = rng() % 2;
    engine->SetDrawColor(tint ? rng() % 256 : 255, tint ? rng() % 256 : 255,
                         tint ? rng() % 256 : 255);
    const float sx = static_cast<float>(rng() % 20), sy = static_cast<float>(rng() % 20);
    // Half turned (now and then by a whole quarter), some stretched, some
    // about a pivot of their own.
    std::uniform_real_distribution<float> turn(-400, 400);
    const uint32_t kind = rng() % 8;
    const float angle = kind < 4 ? 0 : kind == 4 ? 90.0f * static_cast<float>(rng() % 5) : turn(rng);
    const bool stretch = rng() % 3 == 0;
    const float drawnWidth = stretch ? static_cast<float>(rng() % 300) + 0.5f : 0;
    const float drawnHeight = stretch ? static_cast<float>(rng() % 300) + 0.25f : 0;
    const bool pivot = rng() % 2;
    const float pivotX = pivot ? static_cast<float>(rng() % 60) : -1;
    const float pivotY = pivot ? static_cast<float>(rng() % 60) : -1;
    engine->DrawImage(t, pos(rng), pos(rng), static_cast<float>(t->Width()) - sx,
                      static_cast<float>(t->Height()) - sy, angle,
                      static_cast<int16_t>(rng() % 4 == 0 ? 100 : rng() % 101), sx, sy, drawnWidth, drawnHeight, pivotX,
                      pivotY);
  }
  engine->EndFrame();
  SdlTestPicture frame = SdlTestReadFrame(*engine);
  engine->Shutdown();
  return frame;
}

TEST(FrameBlend, FadedTintedAndTurnedPicturesMatchSdlsOwnDrawing) {
  const fs::path folder = TempFolder("blend");
  std::mt19937 rng(11);
  for (int i = 0; i < 3; ++i) {
    SdlTestPicture picture;
    picture.width = 40 + 30 * i;
    picture.height = 90 - 20 * i;
    picture.argb.resize(static_cast<size_t>(picture.width) * picture.height);
    for (uint32_t& pixel : picture.argb) {
      // A third transparent, a third opaque, the rest anything.
      const uint32_t kind = rng() % 3;
      const uint32_t alpha = kind == 0 ? 0 : kind == 1 ? 255 : rng() % 256;
      pixel = (alpha << 24) | (rng() & 0xFFFFFFu);
    }
    SdlTestWritePicture((folder / "files" / ("pic" + std::to_string(i) + ".png")).string(), picture);
  }
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    const SdlTestPicture plain = Drawn(true, folder, seed);
    const SdlTestPicture fast = Drawn(false, folder, seed);
    ASSERT_EQ(plain.argb.size(), fast.argb.size());
    size_t differing = 0;
    for (size_t p = 0; p < plain.argb.size(); ++p) differing += plain.argb[p] != fast.argb[p];
    EXPECT_EQ(differing, 0u) << "seed " << seed;
    // The pictures did land: much of the frame is no longer the background.
    size_t drawn = 0;
    for (uint32_t pixel : fast.argb) drawn += pixel != 0xFF285AA0u;
    EXPECT_GT(drawn, fast.argb.size() / 4) << "seed " << seed;
  }
  fs::remove_all(folder);
}

// The engine's shortcuts (skipping what lands off the page or fully
// transparent, trimming pictures to their visible box) must leave every
// frame as SDL would have drawn it: two golden replays flown headless both
// ways, their frames compared pixel for pixel every few passes.
std::vector<int64_t> ShotPasses(int64_t total, int64_t step) {
  std::vector<int64_t> passes;
  for (int64_t p = 1; p <= total; p += step) passes.push_back(p);
  return passes;
}

void FlyHeadless(const InputScript& script, int64_t maxPasses, bool plain, const fs::path& shots,
                 const std::vector<int64_t>& passes) {
  SdlEngineOptions options;
  options.headless = true;
  options.plainDrawing = plain;
  options.screenshotPasses = passes;
  options.screenshotDir = shots.string();
  std::unique_ptr<MediaEngine> engine = CreateSdlEngine(options);
  MemoryScoreBoard scores;
  Random random(script.seed ? *script.seed : 1);
  Game game(*engine, &scores, random);
  AppOptions app;
  app.programFolder = fs::path(KESTREVAN_BINARY).parent_path().string();
  app.waitForLogo = false;
  app.script = &script;
  app.maxPasses = maxPasses;
  ASSERT_EQ(Main(game, app), 0);
}

struct Flight {
  const char* script;
  int64_t passes;  // how much of it to fly
};

void PrintTo(const Flight& flight, std::ostream* out) {
  *out << flight.script << ", " << flight.passes << " passes";
}

class DrawShortcuts : public ::testing::TestWithParam<Flight> {};

TEST_P(DrawShortcuts, LeaveEveryFrameAsSdlDrawsIt) {
  const Flight flight = GetParam();
  const InputScript script =
      LoadInputScript(std::string(KESTREVAN_SOURCE_DIR) + "/tests/golden/" + flight.script);
  const fs::path folder = TempFolder(std::string("same-") + flight.script);
  // Every 13th pass: a step that lands on menu, descent, flame and crash
  // frames alike, and keeps the run to a few seconds.
  const std::vector<int64_t> passes = ShotPasses(flight.passes, 13);
  FlyHeadless(script, flight.passes, true, folder / "plain", passes);
  FlyHeadless(script, flight.passes, false, folder / "fast", passes);
  int compared = 0;
  for (const int64_t pass : passes) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06lld.png", static_cast<long long>(pass));
    const SdlTestPicture plain = SdlTestLoadPicture((folder / "plain" / name).string());
    const SdlTestPicture fast = SdlTestLoadPicture((folder / "fast" / name).string());
    ASSERT_EQ(plain.argb.size(), fast.argb.size());
    ASSERT_TRUE(plain.argb == fast.argb) << "pass " << pass << " differs";
    ++compared;
  }
  EXPECT_GT(compared, 30);
  fs::remove_all(folder);
}

// The craft left alone up to its busiest crash frames (pass 527 and on), and
// the winning flight's start: menu, help pictures, stars, the parachute.
INSTANTIATE_TEST_SUITE_P(Flights, DrawShortcuts,
                         ::testing::Values(Flight{"alone.txt", 620}, Flight{"win.txt", 420}),
                         [](const auto& info) {
                           const std::string name = info.param.script;
                           return name.substr(0, name.find('.'));
                         });

}  // namespace
