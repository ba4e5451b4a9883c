// The SDL engine, headless: pictures and text checked on the pixels of the
// software-rendered frame, keys driven through SDL's event queue.
#include "sdl_engine.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <squish.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "components/component_error.h"
#include "components/media/key_codes.h"
#include "dds_test_encoder.h"
#include "sdl_engine_test_access.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kBlue = 0xFF0000FFu;

int Channel(uint32_t argb, int shift) { return static_cast<int>((argb >> shift) & 0xFF); }

SdlTestPicture Solid(int width, int height, uint32_t argb) {
  SdlTestPicture picture;
  picture.width = width;
  picture.height = height;
  picture.argb.assign(static_cast<size_t>(width) * height, argb);
  return picture;
}

// Left half red, right half green: shows which way a picture was turned.
SdlTestPicture TwoTone(int width, int height) {
  SdlTestPicture picture = Solid(width, height, kRed);
  for (int y = 0; y < height; ++y)
    for (int x = width / 2; x < width; ++x)
      picture.argb[static_cast<size_t>(y) * width + x] = kGreen;
  return picture;
}

SdlEngineOptions Headless() {
  SdlEngineOptions options;
  options.headless = true;
  return options;
}

fs::path MakeTempFolder(const std::string& tag) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const fs::path folder =
      fs::temp_directory_path() / ("kestrevan-video-" + std::to_string(::getpid()) + "-" + tag + "-" + info->name());
  fs::remove_all(folder);
  fs::create_directories(folder / "files");
  return folder;
}

class SdlEngineTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(SdlEngineOptions{}); }

  void Start(SdlEngineOptions options) {
    if (engine_) engine_->Shutdown();
    if (folder_.empty()) folder_ = MakeTempFolder("engine");
    options.headless = true;
    engine_ = CreateSdlEngine(options);
    engine_->Initialize(folder_.string(), 640, 480, false, 0, 0, true);
  }

  void TearDown() override {
    if (engine_) engine_->Shutdown();
    fs::remove_all(folder_);
  }

  // Writes the picture under files/ and loads it the way the game names files.
  Texture Load(const std::string& name, const SdlTestPicture& picture, int32_t colorKey = 0) {
    SdlTestWritePicture((folder_ / "files" / name).string(), picture);
    Texture texture;
    engine_->LoadTexture(texture, "files\\" + name, colorKey);
    return texture;
  }

  // The common full draw: the whole picture at (x, y), unrotated.
  void Draw(const Texture& t, float x, float y, int16_t opacity = 100) {
    engine_->DrawImage(t, x, y, static_cast<float>(t->Width()), static_cast<float>(t->Height()), 0,
                       opacity, 0, 0, 0, 0, -1, -1);
  }

  SdlTestPicture Frame() { return SdlTestReadFrame(*engine_); }

  fs::path folder_;
  std::unique_ptr<MediaEngine> engine_;
};

// ---- pictures ----------------------------------------------------------------

TEST_F(SdlEngineTest, PlainDrawLandsAtItsPositionAtSourceSize) {
  const Texture t = Load("plain.png", TwoTone(20, 10));
  EXPECT_EQ(t->Width(), 20);
  EXPECT_EQ(t->Height(), 10);
  EXPECT_EQ(t->Name(), "files/plain.png");
  engine_->BeginFrame(0, 0, 0);
  Draw(t, 100, 50);
  // Only the green half, from a source rectangle, at (200, 100).
  engine_->DrawImage(t, 200, 100, 10, 10, 0, 100, 10, 0, 0, 0, -1, -1);
  const SdlTestPicture f = Frame();
  EXPECT_EQ(f.width, 640);
  EXPECT_EQ(f.height, 480);
  EXPECT_EQ(f.At(100, 50), kRed);
  EXPECT_EQ(f.At(119, 59), kGreen);
  EXPECT_EQ(f.At(99, 50), kBlack);
  EXPECT_EQ(f.At(120, 50), kBlack);
  EXPECT_EQ(f.At(100, 60), kBlack);
  EXPECT_EQ(f.At(200, 100), kGreen);
  EXPECT_EQ(f.At(209, 109), kGreen);
  EXPECT_EQ(f.At(210, 100), kBlack);
}

TEST_F(SdlEngineTest, DrawnSizeScalesEachAxisAndZeroMeansSourceSize) {
  const Texture t = Load("blue.bmp", Solid(10, 10, kBlue));
  engine_->BeginFrame(0, 0, 0);
  engine_->DrawImage(t, 10, 10, 10, 10, 0, 100, 0, 0, 40, 20, -1, -1);
  engine_->DrawImage(t, 300, 10, 10, 10, 0, 100, 0, 0, 0, 30, -1, -1);  // width from source
  const SdlTestPicture f = Frame();
  EXPECT_EQ(f.At(10, 10), kBlue);
  EXPECT_EQ(f.At(49, 29), kBlue);
  EXPECT_EQ(f.At(50, 10), kBlack);
  EXPECT_EQ(f.At(10, 30), kBlack);
  EXPECT_EQ(f.At(309, 39), kBlue);
  EXPECT_EQ(f.At(310, 39), kBlack);
  EXPECT_EQ(f.At(309, 40), kBlack);
}

TEST_F(SdlEngineTest, RotationTurnsClockwiseAboutThePivot) {
  const Texture t = Load("turn.png", TwoTone(20, 10));
  engine_->BeginFrame(0, 0, 0);
  // 90 degrees about the top-left corner: the picture hangs down to the left
  // of the pivot, red (the left half) nearest to it.
  engine_->DrawImage(t, 300, 200, 20, 10, 90, 100, 0, 0, 0, 0, 0, 0);
  // 180 degrees about the centre: same place, halves swapped.
  engine_->DrawImage(t, 100, 300, 20, 10, 180, 100, 0, 0, 0, 0, -1, -1);
  const SdlTestPicture f = Frame();
  EXPECT_EQ(f.At(295, 204), kRed);
  EXPECT_EQ(f.At(295, 215), kGreen);
  EXPECT_EQ(f.At(305, 205), kBlack);
  EXPECT_EQ(f.At(295, 195), kBlack);
  EXPECT_EQ(f.At(102, 305), kGreen);
  EXPECT_EQ(f.At(117, 305), kRed);
  EXPECT_EQ(f.At(99, 305), kBlack);
  EXPECT_EQ(f.At(121, 305), kBlack);
}

TEST_F(SdlEngineTest, HealthBarTurnedAboutItsPivotGrowsUpFromTheBottom) {
  const Texture bar = Load("bar.png", Solid(32, 180, kWhite));
  const int h = 100;
  engine_->BeginFrame(0, 0, 0);
  engine_->DrawImage(bar, 608, 60, 32, h, 180, 100, 0, 0, 0, 0, 16, 180);
  SdlTestPicture f = Frame();
  EXPECT_EQ(f.At(608, 420 - h), kWhite);
  EXPECT_EQ(f.At(639, 419), kWhite);
  EXPECT_EQ(f.At(620, 420 - h - 1), kBlack);
  EXPECT_EQ(f.At(620, 420), kBlack);
  EXPECT_EQ(f.At(620, 100), kBlack);  // where it would be unturned

  // A picture drawn shorter than its source turns about its scaled pivot:
  // (64, 180) of a 128 x 180 picture drawn 90 high is its bottom edge centre.
  const Texture tall = Load("tall.png", Solid(128, 180, kBlue));
  engine_->BeginFrame(0, 0, 0);
  engine_->DrawImage(tall, 100, 100, 128, 180, 180, 100, 0, 0, 128, 90, 64, 180);
  f = Frame();
  EXPECT_EQ(f.At(110, 191), kBlue);
  EXPECT_EQ(f.At(220, 279), kBlue);
  EXPECT_EQ(f.At(164, 150), kBlack);
  EXPECT_EQ(f.At(164, 281), kBlack);
}

TEST_F(SdlEngineTest, TintOpacityAndTheirClamps) {
  const Texture t = Load("white.png", Solid(10, 10, kWhite));
  engine_->BeginFrame(0, 0, 0);
  engine_->SetDrawColor(255, 127.6, -20);
  Draw(t, 0, 0);
  engine_->SetDrawColor(300, 300, 300);
  Draw(t, 20, 0, 50);
  Draw(t, 40, 0, 150);  // above 100 counts as 100
  Draw(t, 60, 0, -5);   // below 0 draws nothing
  const SdlTestPicture f = Frame();
  EXPECT_EQ(f.At(5, 5), 0xFFFF8000u);
  EXPECT_NEAR(Channel(f.At(25, 5), 16), 128, 2);
  EXPECT_NEAR(Channel(f.At(25, 5), 0), 128, 2);
  EXPECT_EQ(f.At(45, 5), kWhite);
  EXPECT_EQ(f.At(65, 5), kBlack);
}

TEST_F(SdlEngineTest, SourcePastTheEdgeIsClippedAndKeepsItsScale) {
  const Texture t = Load("strip.png", Solid(16, 8, kWhite));
  engine_->BeginFrame(0, 0, 0);
  engine_->DrawImage(t, 0, 300, 32, 8, 0, 100, 0, 0, 64, 8, -1, -1);    // right half missing
  engine_->DrawImage(t, 100, 320, 16, 8, 0, 100, -8, 0, 0, 0, -1, -1);  // left part missing
  const SdlTestPicture f = Frame();
  EXPECT_EQ(f.At(31, 303), kWhite);
  EXPECT_EQ(f.At(32, 303), kBlack);
  EXPECT_EQ(f.At(107, 323), kBlack);
  EXPECT_EQ(f.At(108, 323), kWhite);
  EXPECT_EQ(f.At(115, 323), kWhite);
  EXPECT_EQ(f.At(116, 323), kBlack);
}

TEST_F(SdlEngineTest, ColourKeyHidesExactlyThatColour) {
  SdlTestPicture picture = Solid(4, 1, 0xFFFF00FFu);
  picture.argb[1] = 0xFFFE00FFu;  // one step off: stays
  picture.argb[2] = kBlack;       // black is not keyed by a non-zero key
  const Texture keyed = Load("keyed.bmp", picture, 0xFF00FF);
  SdlTestWritePicture((folder_ / "files/plain.bmp").string(), picture);
  Texture plain;
  engine_->LoadTexture(plain, "files/plain.bmp", 0);
  engine_->BeginFrame(0, 0, 255);
  engine_->DrawImage(keyed, 10, 10, 4, 1, 0, 100, 0, 0, 0, 0, -1, -1);
  engine_->DrawImage(plain, 10, 20, 4, 1, 0, 100, 0, 0, 0, 0, -1, -1);
  const SdlTestPicture f = Frame();
  EXPECT_EQ(f.At(10, 10), kBlue);
  EXPECT_EQ(f.At(13, 10), kBlue);
  EXPECT_EQ(f.At(11, 10), 0xFFFE00FFu);
  EXPECT_EQ(f.At(12, 10), kBlack);
  EXPECT_EQ(f.At(10, 20), 0xFFFF00FFu);  // key 0: nothing hidden
}

TEST_F(SdlEngineTest, DrawingBeforeAnyBeginFrameIsShownByEndFrame) {
  Start(SdlEngineOptions{});  // a fresh engine: nothing cleared yet
  const Texture logo = Load("logo.png", TwoTone(640, 480));
  engine_->DrawImage(logo, 0, 0, 640, 480, 0, 100, 0, 0, 0, 0, -1, -1);
  engine_->ProcessMessages();
  engine_->EndFrame();
  const SdlTestPicture f = Frame();
  EXPECT_EQ(f.At(0, 0), kRed);
  EXPECT_EQ(f.At(639, 479), kGreen);
}

TEST_F(SdlEngineTest, BeginFrameClearsToItsClampedColour) {
  engine_->BeginFrame(300, 10, -4);
  EXPECT_EQ(Frame().At(320, 240), 0xFFFF0A00u);
}

// ---- text ----------------------------------------------------------------------

// A font whose "A" fills the left 8 columns of its cell and whose "B" fills
// the top 4 rows; every other cell is empty.
SdlTestPicture TestFont() {
  SdlTestPicture font = Solid(512, 512, 0x00000000u);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 8; ++x) font.argb[static_cast<size_t>(4 * 32 + y) * 512 + 32 + x] = kWhite;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 32; ++x) font.argb[static_cast<size_t>(4 * 32 + y) * 512 + 64 + x] = kWhite;
  return font;
}

TEST_F(SdlEngineTest, TextAdvancesTwentyPixelsPerScaleAndSkipsEmptyCells) {
  const Texture font = Load("font.png", TestFont());
  engine_->BeginFrame(0, 0, 0);
  engine_->SetDrawColor(255, 0, 0);  // a tint for pictures does not touch text
  engine_->DrawText(font, "A A", 10, 100, 1.0f, 0, 100, 0, 255, 0);
  engine_->DrawText(font, "AB", 10, 200, 2.0f, 0, 100, 0, 0, 300);
  const SdlTestPicture f = Frame();
  EXPECT_EQ(f.At(10, 100), kGreen);
  EXPECT_EQ(f.At(17, 131), kGreen);
  EXPECT_EQ(f.At(18, 100), kBlack);
  EXPECT_EQ(f.At(17, 132), kBlack);
  EXPECT_EQ(f.At(30, 110), kBlack);  // the space
  EXPECT_EQ(f.At(50, 110), kGreen);  // the third character, 2 x 20 along
  EXPECT_EQ(f.At(57, 110), kGreen);
  EXPECT_EQ(f.At(58, 110), kBlack);
  // Scale 2: cells 64 wide, 40 apart.
  EXPECT_EQ(f.At(25, 263), kBlue);
  EXPECT_EQ(f.At(26, 263), kBlack);
  EXPECT_EQ(f.At(50, 200), kBlue);   // the "B" bar starts 40 along ...
  EXPECT_EQ(f.At(113, 207), kBlue);  // ... and is 64 x 8
  EXPECT_EQ(f.At(113, 208), kBlack);
  EXPECT_EQ(f.At(114, 200), kBlack);
}

TEST_F(SdlEngineTest, TextOpacityHalvesTheGlyph) {
  const Texture font = Load("font.png", TestFont());
  engine_->BeginFrame(0, 0, 0);
  engine_->DrawText(font, "A", 0, 0, 1.0f, 0, 50, 255, 255, 255);
  EXPECT_NEAR(Channel(Frame().At(2, 2), 8), 128, 2);
}

// ---- errors and lifetime ---------------------------------------------------------

TEST_F(SdlEngineTest, BadFilesNameTheFileAndTheReason) {
  Texture t;
  try {
    engine_->LoadTexture(t, "files\\none.png", 0);
    FAIL() << "no error";
  } catch (const ComponentError& e) {
    EXPECT_EQ(e.Operation(), "LoadTexture");
    EXPECT_EQ(e.Reason(), "files/none.png: file not found");
  }
  std::ofstream(folder_ / "files/junk.png") << "this is no picture at all";
  try {
    engine_->LoadTexture(t, "files/junk.png", 0);
    FAIL() << "no error";
  } catch (const ComponentError& e) {
    EXPECT_EQ(e.Reason().rfind("files/junk.png: ", 0), 0u) << e.Reason();
  }
  std::ofstream(folder_ / "files/empty.png");
  EXPECT_THROW(engine_->LoadTexture(t, "files/empty.png", 0), ComponentError);
  EXPECT_THROW(engine_->LoadTexture(t, "files", 0), ComponentError);  // a folder
  EXPECT_EQ(t, nullptr);
}

TEST_F(SdlEngineTest, APictureThatNeverLoadedDrawsNothingAndTheFrameGoesOn) {
  const Texture none;
  engine_->BeginFrame(10, 20, 30);
  EXPECT_NO_THROW(engine_->DrawImage(none, 0, 0, 64, 64, 0, 100, 0, 0, 0, 0, -1, -1));
  EXPECT_NO_THROW(engine_->DrawText(none, "A", 0, 0, 1, 0, 100, 255, 255, 255));
  EXPECT_EQ(SdlTestReadFrame(*engine_).At(5, 5), 0xFF0A141Eu);
}

TEST_F(SdlEngineTest, TexturesOutlivingShutdownAreHarmless) {
  Texture kept = Load("kept.png", Solid(4, 4, kWhite));
  Texture dropped = Load("dropped.png", Solid(4, 4, kWhite));
  dropped.reset();  // released while the renderer lives
  engine_->Shutdown();
  engine_->Shutdown();  // twice is fine
  EXPECT_THROW(Draw(kept, 0, 0), ComponentError);
  EXPECT_THROW(engine_->BeginFrame(0, 0, 0), ComponentError);
  EXPECT_THROW(engine_->EndFrame(), ComponentError);
  EXPECT_EQ(kept->Name(), "files/kept.png");
  kept.reset();  // after the renderer is gone
  engine_.reset();
}

TEST_F(SdlEngineTest, TexturesFromAnotherEngineAreRefused) {
  const Texture t = Load("a.png", Solid(4, 4, kWhite));
  auto other = CreateSdlEngine(Headless());
  other->Initialize(folder_.string(), 640, 480, false, 0, 0, true);
  EXPECT_THROW(other->DrawImage(t, 0, 0, 4, 4, 0, 100, 0, 0, 0, 0, -1, -1), ComponentError);
  other->Shutdown();
  Draw(t, 0, 0);  // still fine on its own engine
}

TEST_F(SdlEngineTest, OperationsBeforeInitializeThrow) {
  auto fresh = CreateSdlEngine(Headless());
  Texture t;
  EXPECT_THROW(fresh->LoadTexture(t, "files/x.png", 0), ComponentError);
  EXPECT_THROW(fresh->EndFrame(), ComponentError);
  EXPECT_THROW(fresh->LoadSound("x", "files/x.wav"), ComponentError);
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

TEST_F(SdlEngineTest, DdsPicturesLoadThroughOurDecoder) {
  DecodedImage image;
  image.width = 8;
  image.height = 4;
  for (int i = 0; i < 32; ++i) {
    const bool left = i % 8 < 4;
    const uint8_t pixel[4] = {static_cast<uint8_t>(left ? 255 : 0),
                              static_cast<uint8_t>(left ? 0 : 255), 0, 255};
    image.rgba.insert(image.rgba.end(), pixel, pixel + 4);
  }
  WriteBytes(folder_ / "files/plain.dds", EncodeDdsMasks(image, DdsMaskFormatNamed("A8R8G8B8")));
  WriteBytes(folder_ / "files/packed.dds", EncodeDdsBlocks(image, squish::kDxt5));
  Texture plain, packed;
  engine_->LoadTexture(plain, "files\\PLAIN.DDS", 0);
  engine_->LoadTexture(packed, "files\\packed.dds", 0);
  EXPECT_EQ(plain->Width(), 8);
  EXPECT_EQ(packed->Height(), 4);
  engine_->BeginFrame(0, 0, 0);
  Draw(plain, 0, 0);
  Draw(packed, 0, 10);
  const SdlTestPicture f = Frame();
  EXPECT_EQ(f.At(0, 0), kRed);
  EXPECT_EQ(f.At(7, 3), kGreen);
  EXPECT_EQ(f.At(0, 10), kRed);  // two flat colours survive DXT exactly
  EXPECT_EQ(f.At(7, 13), kGreen);

  // One byte short of the pixels: an error naming the file, no crash.
  std::vector<uint8_t> bytes = EncodeDdsMasks(image, DdsMaskFormatNamed("A8R8G8B8"));
  bytes.pop_back();
  WriteBytes(folder_ / "files/short.dds", bytes);
  try {
    engine_->LoadTexture(plain, "files/short.dds", 0);
    FAIL() << "no error";
  } catch (const ComponentError& e) {
    EXPECT_EQ(e.Reason().rfind("files/short.dds: ", 0), 0u) << e.Reason();
  }
}

TEST_F(SdlEngineTest, DecodeImageToPngNeedsNoWindow) {
  const std::string in = (folder_ / "in.bmp").string();
  const std::string out = (folder_ / "out.png").string();
  SdlTestWritePicture(in, TwoTone(6, 3));
  DecodeImageToPng(in, out);
  const SdlTestPicture back = SdlTestLoadPicture(out);
  EXPECT_EQ(back.width, 6);
  EXPECT_EQ(back.At(0, 0), kRed);
  EXPECT_EQ(back.At(5, 2), kGreen);
  try {
    DecodeImageToPng((folder_ / "missing.png").string(), out);
    FAIL() << "no error";
  } catch (const ComponentError& e) {
    EXPECT_EQ(e.Operation(), "decode-image");
    EXPECT_NE(e.Reason().find("missing.png: file not found"), std::string::npos);
  }
}

// ---- keyboard and window events ------------------------------------------------------

TEST_F(SdlEngineTest, KeyEdgesAreMeasuredBetweenPasses) {
  SdlTestPushKey("A", true);
  engine_->BeginPass(1, nullptr);
  EXPECT_TRUE(engine_->KeyHeld(key::kA));
  EXPECT_TRUE(engine_->KeyDown(key::kA));
  EXPECT_TRUE(engine_->KeyDown(key::kA));  // asked twice, same answer
  SdlTestPushKey("A", true, true);         // auto-repeat: nothing new
  engine_->BeginPass(2, nullptr);
  EXPECT_TRUE(engine_->KeyHeld(key::kA));
  EXPECT_FALSE(engine_->KeyDown(key::kA));
  SdlTestPushKey("A", false);
  engine_->BeginPass(3, nullptr);
  EXPECT_FALSE(engine_->KeyHeld(key::kA));
  EXPECT_TRUE(engine_->KeyUp(key::kA));
  engine_->BeginPass(4, nullptr);
  EXPECT_FALSE(engine_->KeyUp(key::kA));
}

TEST_F(SdlEngineTest, ATapInsideOnePassIsOnePress) {
  SdlTestPushKey("Space", true);
  SdlTestPushKey("Space", false);
  engine_->BeginPass(1, nullptr);
  EXPECT_TRUE(engine_->KeyDown(key::kSpace));
  EXPECT_TRUE(engine_->HeldKeys().test(key::kSpace));
  engine_->BeginPass(2, nullptr);
  EXPECT_TRUE(engine_->KeyUp(key::kSpace));
  EXPECT_FALSE(engine_->KeyHeld(key::kSpace));
}

TEST_F(SdlEngineTest, KeysMapByPositionAndF11IsNotAGameKey) {
  SdlTestPushKey("Keypad Enter", true);
  SdlTestPushKey("Left", true);
  SdlTestPushKey("Z", true);
  SdlTestPushKey("Keypad /", true);
  SdlTestPushKey("F11", true);      // headless: no window to switch, and no game key
  SdlTestPushKey("A", true, true);  // a repeat with no press before it
  engine_->BeginPass(1, nullptr);
  KeySet expected;
  expected.set(key::kReturn).set(key::kLeft).set(key::kZ).set(key::kKeypadSlash);
  EXPECT_EQ(engine_->HeldKeys(), expected);
}

TEST_F(SdlEngineTest, LosingFocusReleasesEveryKey) {
  SdlTestPushKey("Up", true);
  engine_->BeginPass(1, nullptr);
  EXPECT_TRUE(engine_->KeyHeld(key::kUp));
  SdlTestPushFocusLost();
  engine_->BeginPass(2, nullptr);
  EXPECT_FALSE(engine_->KeyHeld(key::kUp));
  EXPECT_TRUE(engine_->KeyUp(key::kUp));
}

TEST_F(SdlEngineTest, ScriptedPassesIgnoreTheLiveKeyboard) {
  KeySet scripted;
  scripted.set(key::kRight);
  SdlTestPushKey("B", true);
  engine_->BeginPass(1, &scripted);
  EXPECT_TRUE(engine_->KeyDown(key::kRight));
  EXPECT_FALSE(engine_->KeyHeld(key::kB));
  scripted.reset();
  engine_->BeginPass(2, &scripted);
  EXPECT_TRUE(engine_->KeyUp(key::kRight));
}

TEST_F(SdlEngineTest, ProcessMessagesTakesAFreshSnapshot) {
  SdlTestPushKey("Escape", true);
  engine_->ProcessMessages();
  EXPECT_TRUE(engine_->KeyHeld(key::kEscape));
}

TEST_F(SdlEngineTest, CloseRequestsGoToTheHandler) {
  int calls = 0;
  int16_t answer = 1;
  engine_->SetCloseHandler([&](int16_t& cancel) {
    ++calls;
    EXPECT_EQ(cancel, 0);
    cancel = answer;
  });
  SdlTestPushQuit();
  engine_->EndFrame();
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(SdlTestWindowGone(*engine_));
  answer = 0;
  SdlTestPushQuit();
  engine_->ProcessMessages();
  EXPECT_EQ(calls, 2);
  EXPECT_TRUE(SdlTestWindowGone(*engine_));
  // The game's last steps still run against a window that is gone.
  engine_->BeginFrame(0, 0, 0);
  engine_->EndFrame();
}

// ---- screenshots --------------------------------------------------------------------

TEST_F(SdlEngineTest, ScreenshotPassesSaveTheirFrame) {
  SdlEngineOptions options;
  options.screenshotPasses = {2};
  options.screenshotDir = (folder_ / "shots" / "deeper").string();  // made when missing
  Start(options);
  for (int64_t pass = 1; pass <= 3; ++pass) {
    engine_->BeginPass(pass, nullptr);
    engine_->BeginFrame(static_cast<int32_t>(pass * 50), 0, 0);
    engine_->EndFrame();
  }
  EXPECT_FALSE(fs::exists(folder_ / "shots/deeper/frame_000001.png"));
  EXPECT_FALSE(fs::exists(folder_ / "shots/deeper/frame_000003.png"));
  const SdlTestPicture shot =
      SdlTestLoadPicture((folder_ / "shots/deeper/frame_000002.png").string());
  EXPECT_EQ(shot.width, 640);
  EXPECT_EQ(shot.height, 480);
  EXPECT_EQ(shot.At(10, 10), 0xFF640000u);
}

TEST_F(SdlEngineTest, HotkeySavesTheFrameOfThatPass) {
  SdlEngineOptions options;
  options.hotkeyScreenshotDir = (folder_ / "hotkey").string();
  Start(options);
  engine_->BeginFrame(0, 200, 0);
  engine_->HotkeyAction();
  engine_->EndFrame();
  engine_->BeginFrame(0, 0, 0);
  engine_->EndFrame();  // no second file
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder_ / "hotkey"))
    files.push_back(entry.path());
  ASSERT_EQ(files.size(), 1u);
  const std::string name = files[0].filename().string();
  EXPECT_EQ(name.rfind("kestrevan-", 0), 0u);
  EXPECT_EQ(name.size(), std::string("kestrevan-20261206-210455-042.png").size());
  EXPECT_EQ(SdlTestLoadPicture(files[0].string()).At(320, 240), 0xFF00C800u);
}

TEST_F(SdlEngineTest, AScreenshotThatCannotBeSavedDoesNotStopTheGame) {
  std::ofstream(folder_ / "blocker") << "a file where a folder should be";
  SdlEngineOptions options;
  options.screenshotPasses = {1};
  options.screenshotDir = (folder_ / "blocker").string();
  options.hotkeyScreenshotDir = (folder_ / "blocker").string();
  Start(options);
  engine_->BeginPass(1, nullptr);
  engine_->HotkeyAction();
  EXPECT_NO_THROW(engine_->EndFrame());
}

// ---- cost of a frame (measured, not asserted) ------------------------------------------

TEST_F(SdlEngineTest, RepresentativeFrameCost) {
  SdlEngineOptions options;
  options.screenshotPasses = {1};
  options.screenshotDir = (folder_ / "look").string();
  Start(options);
  SdlTestPicture sky = TwoTone(640, 480);
  for (size_t i = 0; i < sky.argb.size(); ++i)
    sky.argb[i] = 0xFF000000u | static_cast<uint32_t>(i * 37);
  const Texture background = Load("sky.png", sky);
  SdlTestPicture hillsPicture = Solid(640, 480, 0u);
  for (int y = 300; y < 480; ++y)
    for (int x = 0; x < 640; ++x) hillsPicture.argb[static_cast<size_t>(y) * 640 + x] = 0xFF406020u;
  const Texture hills = Load("hills.png", hillsPicture);
  const Texture sprite = Load("sprite.png", TwoTone(32, 32));
  const Texture font = Load("font.png", TestFont());
  const std::string line = "ABABABABABABABABABABABABA";

  constexpr int kFrames = 200;
  const auto start = std::chrono::steady_clock::now();
  for (int frame = 1; frame <= kFrames; ++frame) {
    engine_->BeginPass(frame, nullptr);
    engine_->BeginFrame(0, 0, 0);
    Draw(background, 0, 0);
    Draw(hills, 0, 0);
    for (int i = 0; i < 60; ++i) {
      engine_->DrawImage(sprite, static_cast<float>(20 + (i % 12) * 50),
                         static_cast<float>(40 + (i / 12) * 50), 32, 32,
                         static_cast<float>(i * 6 + frame), 80, 0, 0, 0, 0, -1, -1);
    }
    for (int row = 0; row < 4; ++row)
      engine_->DrawText(font, line, 10, static_cast<float>(330 + row * 30), 1.0f, 0, 100, 255, 255,
                        0);
    engine_->EndFrame();
  }
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() /
      kFrames;
  std::printf(
      "[ measure  ] headless frame (2 full-screen pictures, 60 rotated sprites, 100 glyphs): %.2f "
      "ms\n",
      ms);
  RecordProperty("frame_ms", std::to_string(ms));
  // Keep a copy to look at when KESTREVAN_LOOK_DIR is set.
  if (const char* look = std::getenv("KESTREVAN_LOOK_DIR")) {
    fs::create_directories(look);
    fs::copy_file(folder_ / "look/frame_000001.png", fs::path(look) / "representative.png",
                  fs::copy_options::overwrite_existing);
  }
  EXPECT_TRUE(fs::exists(folder_ / "look/frame_000001.png"));
}

}  // namespace

namespace {

// ---- start-up, window mode and sound -----------------------------------------------------

class SdlEngineStartTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = MakeTempFolder("start"); }
  void TearDown() override { fs::remove_all(folder_); }
  fs::path folder_;
};

// Sets an environment variable for one test and puts it back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      had_ = true;
      old_ = old;
    }
    setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

TEST_F(SdlEngineStartTest, NoVideoDriverGivesSdlsReason) {
  ScopedEnv driver("SDL_VIDEODRIVER", "no-such-driver");
  SdlEngineOptions options;
  options.mute = true;
  auto engine = CreateSdlEngine(options);
  try {
    engine->Initialize(folder_.string(), 640, 480, false, 0, 0, true);
    FAIL() << "no error";
  } catch (const ComponentError& e) {
    EXPECT_EQ(e.Operation(), "Initialize");
    EXPECT_NE(e.Reason().find("no-such-driver"), std::string::npos) << e.Reason();
  }
  engine->Shutdown();  // what the shell does after a failed start
}

TEST_F(SdlEngineStartTest, WindowedModeDrawsOnTheDummyDriver) {
  // Only where no real display would be opened, unless asked for (under Xvfb).
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  const bool invisible =
      driver && (std::string(driver) == "dummy" || std::string(driver) == "offscreen");
  if (!invisible && !std::getenv("KESTREVAN_WINDOW_TESTS")) {
    GTEST_SKIP() << "needs SDL_VIDEODRIVER=dummy or offscreen, or KESTREVAN_WINDOW_TESTS=1";
  }
  SdlTestWritePicture((folder_ / "files/icon.png").string(), Solid(32, 32, kRed));
  SdlTestWritePicture((folder_ / "files/dot.png").string(), Solid(8, 8, kGreen));
  SdlEngineOptions options;
  options.mute = true;
  options.fps = 0;
  options.screenshotPasses = {1};
  options.screenshotDir = (folder_ / "shots").string();
  auto engine = CreateSdlEngine(options);
  engine->Initialize(folder_.string(), 640, 480, false, 0, 0, true);
  Texture dot;
  engine->LoadTexture(dot, "files/dot.png", 0);
  engine->BeginPass(1, nullptr);
  engine->BeginFrame(0, 0, 255);
  engine->DrawImage(dot, 100, 100, 8, 8, 0, 100, 0, 0, 0, 0, -1, -1);
  const SdlTestPicture f = SdlTestReadFrame(*engine);
  engine->EndFrame();
  EXPECT_EQ(f.width, 640);
  EXPECT_EQ(f.At(104, 104), kGreen);
  EXPECT_EQ(f.At(300, 300), kBlue);
  const SdlTestPicture shot = SdlTestLoadPicture((folder_ / "shots/frame_000001.png").string());
  EXPECT_EQ(shot.At(104, 104), kGreen);
  engine->Shutdown();
}

// A mono 8-bit WAV of `samples` silent samples at 8 kHz.
void WriteWav(const fs::path& path, uint32_t samples) {
  std::vector<uint8_t> bytes;
  auto text = [&bytes](const char* s) { bytes.insert(bytes.end(), s, s + 4); };
  auto u32 = [&bytes](uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&bytes](uint16_t v) {
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
  };
  text("RIFF");
  u32(36 + samples);
  text("WAVE");
  text("fmt ");
  u32(16);
  u16(1);
  u16(1);
  u32(8000);
  u32(8000);
  u16(1);
  u16(8);
  text("data");
  u32(samples);
  bytes.insert(bytes.end(), samples, 128);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

TEST_F(SdlEngineStartTest, SoundsResolveLikePicturesAndNameTheFileAsAsked) {
  WriteWav(folder_ / "files/Beep.wav", 800);
  auto engine = CreateSdlEngine(Headless());
  engine->Initialize(folder_.string(), 640, 480, false, 0, 0, true);
  EXPECT_NO_THROW(engine->LoadSound("beep", "files\\beep.WAV"));
  EXPECT_NO_THROW(engine->PlaySound("beep", false, 100, 0, 0));
  EXPECT_NO_THROW(engine->SetSoundVolume("beep", 50));
  EXPECT_NO_THROW(engine->StopSound("beep", false));
  EXPECT_NO_THROW(engine->PlaySound("never-loaded", false, 100, 0, 0));
  try {
    engine->LoadSound("gone", "files\\gone.wav");
    FAIL() << "no error";
  } catch (const ComponentError& e) {
    EXPECT_EQ(e.Operation(), "LoadSound");
    EXPECT_EQ(e.Reason().rfind("files/gone.wav: ", 0), 0u) << e.Reason();
  }
  engine->Shutdown();
  EXPECT_THROW(engine->PlaySound("beep", false, 100, 0, 0), ComponentError);
}

}  // namespace

namespace {

TEST(SdlPictures, ACutOffJpegIsRefusedAndAWholeOneLoads) {
  // The generated menu background is a real JPEG.
  const fs::path jpeg = fs::path(KESTREVAN_BINARY).parent_path() / "files" / "main_menu.jpg";
  std::ifstream in(jpeg, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 1000u);
  const fs::path folder = MakeTempFolder("jpeg");
  const fs::path half = folder / "half.jpg";
  std::ofstream(half, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
  try {
    DecodeImageToPng(half.string(), (folder / "half.png").string());
    FAIL() << "a cut-off JPEG loaded";
  } catch (const ComponentError& e) {
    EXPECT_NE(e.Reason().find("half.jpg"), std::string::npos) << e.Reason();
  }
  EXPECT_NO_THROW(DecodeImageToPng(jpeg.string(), (folder / "whole.png").string()));
  fs::remove_all(folder);
}

}  // namespace
