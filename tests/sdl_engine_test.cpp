// The SDL engine, headless: pictures and text checked on the pixels of the
// software-rendered frame, keys driven through SDL's event queue.
#include "sdl_engine.h"

#include <gtest/gtest.h>
#include <squish.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "components/component_error.h"
#include "components/media/key_codes.h"
#include "dds_test_encoder.h"
#include "sdl_engine_test_access.h"
#include "test_folder.h"

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

// Each (x, y, colour) must be exactly that colour in the frame.
void ExpectAt(const SdlTestPicture& f, std::initializer_list<std::tuple<int, int, uint32_t>> points) {
  for (const auto& [x, y, want] : points)
    EXPECT_EQ(f.At(x, y), want) << "at (" << x << ", " << y << ")";
}

// "Operation: reason" of the ComponentError the call throws.
template <class Call>
std::string ErrorOf(Call&& call) {
  try {
    call();
  } catch (const ComponentError& e) {
    return e.Operation() + ": " + e.Reason();
  }
  return "(no error)";
}

SdlEngineOptions Headless() {
  SdlEngineOptions options;
  options.headless = true;
  return options;
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class SdlEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(folder_ / "files");
    Start(SdlEngineOptions{});
  }

  void Start(SdlEngineOptions options) {
    if (engine_) engine_->Shutdown();
    options.headless = true;
    engine_ = CreateSdlEngine(options);
    engine_->Initialize(folder_.string(), 640, 480, false, 0, 0, true);
  }

  void TearDown() override {
    if (engine_) engine_->Shutdown();
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

  TestFolder dir_{"video"};
  const fs::path folder_ = dir_.Path();
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
  ExpectAt(f, {{100, 50, kRed}, {119, 59, kGreen}, {99, 50, kBlack}, {120, 50, kBlack}, {100, 60, kBlack},
               {200, 100, kGreen}, {209, 109, kGreen}, {210, 100, kBlack}});
}

TEST_F(SdlEngineTest, DrawnSizeScalesEachAxisAndAClippedSourceKeepsItsScale) {
  const Texture t = Load("blue.bmp", Solid(10, 10, kBlue));
  const Texture strip = Load("strip.png", Solid(16, 8, kWhite));
  engine_->BeginFrame(0, 0, 0);
  engine_->DrawImage(t, 10, 10, 10, 10, 0, 100, 0, 0, 40, 20, -1, -1);
  engine_->DrawImage(t, 300, 10, 10, 10, 0, 100, 0, 0, 0, 30, -1, -1);        // width from source
  engine_->DrawImage(strip, 0, 300, 32, 8, 0, 100, 0, 0, 64, 8, -1, -1);      // right half missing
  engine_->DrawImage(strip, 100, 320, 16, 8, 0, 100, -8, 0, 0, 0, -1, -1);    // left part missing
  ExpectAt(Frame(), {{10, 10, kBlue}, {49, 29, kBlue}, {50, 10, kBlack}, {10, 30, kBlack},
                     {309, 39, kBlue}, {310, 39, kBlack}, {309, 40, kBlack},
                     {31, 303, kWhite}, {32, 303, kBlack},
                     {107, 323, kBlack}, {108, 323, kWhite}, {115, 323, kWhite}, {116, 323, kBlack}});
}

TEST_F(SdlEngineTest, RotationTurnsClockwiseAboutThePivotScaledWithThePicture) {
  const Texture t = Load("turn.png", TwoTone(20, 10));
  engine_->BeginFrame(0, 0, 0);
  // 90 degrees about the top-left corner: the picture hangs down to the left
  // of the pivot, red (the left half) nearest to it.
  engine_->DrawImage(t, 300, 200, 20, 10, 90, 100, 0, 0, 0, 0, 0, 0);
  // 180 degrees about the centre: same place, halves swapped.
  engine_->DrawImage(t, 100, 300, 20, 10, 180, 100, 0, 0, 0, 0, -1, -1);
  ExpectAt(Frame(), {{295, 204, kRed}, {295, 215, kGreen}, {305, 205, kBlack}, {295, 195, kBlack},
                     {102, 305, kGreen}, {117, 305, kRed}, {99, 305, kBlack}, {121, 305, kBlack}});

  // The health bar: turned about its bottom pivot, it grows up from y 420.
  const Texture bar = Load("bar.png", Solid(32, 180, kWhite));
  const int h = 100;
  engine_->BeginFrame(0, 0, 0);
  engine_->DrawImage(bar, 608, 60, 32, h, 180, 100, 0, 0, 0, 0, 16, 180);
  ExpectAt(Frame(), {{608, 420 - h, kWhite}, {639, 419, kWhite}, {620, 420 - h - 1, kBlack},
                     {620, 420, kBlack}, {620, 100, kBlack} /* where it would be unturned */});

  // A picture drawn shorter than its source turns about its scaled pivot:
  // (64, 180) of a 128 x 180 picture drawn 90 high is its bottom edge centre.
  const Texture tall = Load("tall.png", Solid(128, 180, kBlue));
  engine_->BeginFrame(0, 0, 0);
  engine_->DrawImage(tall, 100, 100, 128, 180, 180, 100, 0, 0, 128, 90, 64, 180);
  ExpectAt(Frame(), {{110, 191, kBlue}, {220, 279, kBlue}, {164, 150, kBlack}, {164, 281, kBlack}});
}

TEST_F(SdlEngineTest, TintOpacityClearColourAndTheirClamps) {
  engine_->BeginFrame(300, 10, -4);
  EXPECT_EQ(Frame().At(320, 240), 0xFFFF0A00u);
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

TEST_F(SdlEngineTest, ColourKeyHidesExactlyThatColour) {
  SdlTestPicture picture = Solid(4, 1, 0xFFFF00FFu);
  picture.argb[1] = 0xFFFE00FFu;  // one step off: stays
  picture.argb[2] = kBlack;       // black is not keyed by a non-zero key
  const Texture keyed = Load("keyed.bmp", picture, 0xFF00FF);
  const Texture plain = Load("plain.bmp", picture, 0);
  engine_->BeginFrame(0, 0, 255);
  Draw(keyed, 10, 10);
  Draw(plain, 10, 20);
  ExpectAt(Frame(), {{10, 10, kBlue}, {13, 10, kBlue}, {11, 10, 0xFFFE00FFu}, {12, 10, kBlack},
                     {10, 20, 0xFFFF00FFu} /* key 0: nothing hidden */});
}

TEST_F(SdlEngineTest, DrawingBeforeAnyBeginFrameIsShownByEndFrame) {
  Start(SdlEngineOptions{});  // a fresh engine: nothing cleared yet
  const Texture logo = Load("logo.png", TwoTone(640, 480));
  Draw(logo, 0, 0);
  engine_->ProcessMessages();
  engine_->EndFrame();
  ExpectAt(Frame(), {{0, 0, kRed}, {639, 479, kGreen}});
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

TEST_F(SdlEngineTest, TextAdvancesTwentyPixelsPerScaleSkipsEmptyCellsAndFades) {
  const Texture font = Load("font.png", TestFont());
  engine_->BeginFrame(0, 0, 0);
  engine_->SetDrawColor(255, 0, 0);  // a tint for pictures does not touch text
  engine_->DrawText(font, "A A", 10, 100, 1.0f, 0, 100, 0, 255, 0);
  engine_->DrawText(font, "AB", 10, 200, 2.0f, 0, 100, 0, 0, 300);
  engine_->DrawText(font, "A", 300, 0, 1.0f, 0, 50, 255, 255, 255);
  const SdlTestPicture f = Frame();
  ExpectAt(f, {{10, 100, kGreen}, {17, 131, kGreen}, {18, 100, kBlack}, {17, 132, kBlack},
               {30, 110, kBlack} /* the space */, {50, 110, kGreen} /* the third character, 2 x 20 along */,
               {57, 110, kGreen}, {58, 110, kBlack}});
  // Scale 2: cells 64 wide, 40 apart; the "B" bar starts 40 along and is 64 x 8.
  ExpectAt(f, {{25, 263, kBlue}, {26, 263, kBlack}, {50, 200, kBlue}, {113, 207, kBlue},
               {113, 208, kBlack}, {114, 200, kBlack}});
  EXPECT_NEAR(Channel(f.At(302, 2), 8), 128, 2);  // opacity 50 halves the glyph
}

// ---- errors and lifetime ---------------------------------------------------------

TEST_F(SdlEngineTest, BadFilesNameTheFileAndTheReasonAndDrawNothing) {
  Texture t;
  EXPECT_EQ(ErrorOf([&] { engine_->LoadTexture(t, "files\\none.png", 0); }),
            "LoadTexture: files/none.png: file not found");
  std::ofstream(folder_ / "files/junk.png") << "this is no picture at all";
  const std::string junk = ErrorOf([&] { engine_->LoadTexture(t, "files/junk.png", 0); });
  EXPECT_EQ(junk.rfind("LoadTexture: files/junk.png: ", 0), 0u) << junk;
  std::ofstream(folder_ / "files/empty.png");
  EXPECT_THROW(engine_->LoadTexture(t, "files/empty.png", 0), ComponentError);
  EXPECT_THROW(engine_->LoadTexture(t, "files", 0), ComponentError);  // a folder
  ASSERT_EQ(t, nullptr);
  // A picture that never loaded draws nothing, and the frame goes on.
  engine_->BeginFrame(10, 20, 30);
  EXPECT_NO_THROW(engine_->DrawImage(t, 0, 0, 64, 64, 0, 100, 0, 0, 0, 0, -1, -1));
  EXPECT_NO_THROW(engine_->DrawText(t, "A", 0, 0, 1, 0, 100, 255, 255, 255));
  EXPECT_EQ(Frame().At(5, 5), 0xFF0A141Eu);
}

TEST_F(SdlEngineTest, TexturesAreBoundToTheirEngineAndOutliveItHarmlessly) {
  auto fresh = CreateSdlEngine(Headless());
  Texture none;
  EXPECT_THROW(fresh->LoadTexture(none, "files/x.png", 0), ComponentError);  // before Initialize
  EXPECT_THROW(fresh->EndFrame(), ComponentError);
  EXPECT_THROW(fresh->LoadSound("x", "files/x.wav"), ComponentError);
  fresh->Initialize(folder_.string(), 640, 480, false, 0, 0, true);
  Texture kept = Load("kept.png", Solid(4, 4, kWhite));
  EXPECT_THROW(fresh->DrawImage(kept, 0, 0, 4, 4, 0, 100, 0, 0, 0, 0, -1, -1), ComponentError);
  fresh->Shutdown();
  Draw(kept, 0, 0);  // still fine on its own engine

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

TEST_F(SdlEngineTest, DdsPicturesLoadThroughOurDecoder) {
  DecodedImage image;
  image.width = 8;
  image.height = 4;
  for (int i = 0; i < 32; ++i) {
    const bool left = i % 8 < 4;
    const uint8_t pixel[4] = {static_cast<uint8_t>(left ? 255 : 0), static_cast<uint8_t>(left ? 0 : 255), 0, 255};
    image.rgba.insert(image.rgba.end(), pixel, pixel + 4);
  }
  std::vector<uint8_t> plainBytes = EncodeDdsMasks(image, DdsMaskFormatNamed("A8R8G8B8"));
  WriteBytes(folder_ / "files/plain.dds", plainBytes);
  WriteBytes(folder_ / "files/packed.dds", EncodeDdsBlocks(image, squish::kDxt5));
  Texture plain, packed;
  engine_->LoadTexture(plain, "files\\PLAIN.DDS", 0);
  engine_->LoadTexture(packed, "files\\packed.dds", 0);
  EXPECT_EQ(plain->Width(), 8);
  EXPECT_EQ(packed->Height(), 4);
  engine_->BeginFrame(0, 0, 0);
  Draw(plain, 0, 0);
  Draw(packed, 0, 10);
  // Two flat colours survive DXT exactly.
  ExpectAt(Frame(), {{0, 0, kRed}, {7, 3, kGreen}, {0, 10, kRed}, {7, 13, kGreen}});

  // One byte short of the pixels: an error naming the file, no crash.
  plainBytes.pop_back();
  WriteBytes(folder_ / "files/short.dds", plainBytes);
  const std::string error = ErrorOf([&] { engine_->LoadTexture(plain, "files/short.dds", 0); });
  EXPECT_EQ(error.rfind("LoadTexture: files/short.dds: ", 0), 0u) << error;
}

TEST_F(SdlEngineTest, DecodeImageToPngNeedsNoWindowAndRefusesACutOffJpeg) {
  const std::string out = (folder_ / "out.png").string();
  SdlTestWritePicture((folder_ / "in.bmp").string(), TwoTone(6, 3));
  DecodeImageToPng((folder_ / "in.bmp").string(), out);
  const SdlTestPicture back = SdlTestLoadPicture(out);
  EXPECT_EQ(back.width, 6);
  ExpectAt(back, {{0, 0, kRed}, {5, 2, kGreen}});
  const std::string missing = ErrorOf([&] { DecodeImageToPng((folder_ / "missing.png").string(), out); });
  EXPECT_EQ(missing.rfind("decode-image: ", 0), 0u) << missing;
  EXPECT_NE(missing.find("missing.png: file not found"), std::string::npos) << missing;

  // The generated menu background is a real JPEG; half of it is refused.
  const fs::path jpeg = fs::path(KESTREVAN_BINARY).parent_path() / "files" / "main_menu.jpg";
  std::ifstream in(jpeg, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 1000u);
  std::ofstream(folder_ / "half.jpg", std::ios::binary) << bytes.substr(0, bytes.size() / 2);
  const std::string half = ErrorOf([&] { DecodeImageToPng((folder_ / "half.jpg").string(), out); });
  EXPECT_NE(half.find("half.jpg"), std::string::npos) << half;
  EXPECT_NO_THROW(DecodeImageToPng(jpeg.string(), (folder_ / "whole.png").string()));
}

// ---- keyboard and window events ------------------------------------------------------

TEST_F(SdlEngineTest, KeyEventsBecomeOneSnapshotPerPass) {
  SdlTestPushKey("A", true);
  engine_->BeginPass(1, nullptr);
  EXPECT_TRUE(engine_->KeyDown(key::kA));
  SdlTestPushKey("A", true, true);  // auto-repeat: nothing new
  engine_->BeginPass(2, nullptr);
  EXPECT_TRUE(engine_->KeyHeld(key::kA));
  EXPECT_FALSE(engine_->KeyDown(key::kA));
  SdlTestPushKey("A", false);
  SdlTestPushKey("Space", true);  // a tap inside one pass is one press
  SdlTestPushKey("Space", false);
  engine_->BeginPass(3, nullptr);
  EXPECT_TRUE(engine_->KeyUp(key::kA));
  EXPECT_TRUE(engine_->KeyDown(key::kSpace));
  SdlTestPushKey("Up", true);
  engine_->ProcessMessages();  // takes a fresh snapshot too
  EXPECT_TRUE(engine_->KeyHeld(key::kUp));
  SdlTestPushFocusLost();  // releases every key
  engine_->BeginPass(4, nullptr);
  EXPECT_FALSE(engine_->KeyHeld(key::kUp));
  EXPECT_TRUE(engine_->KeyUp(key::kUp));
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

TEST_F(SdlEngineTest, ScreenshotPassesAndTheHotkeySaveTheirFrame) {
  SdlEngineOptions options;
  options.screenshotPasses = {2};
  options.screenshotDir = (folder_ / "shots" / "deeper").string();  // made when missing
  options.hotkeyScreenshotDir = (folder_ / "hotkey").string();
  Start(options);
  for (int64_t pass = 1; pass <= 3; ++pass) {
    engine_->BeginPass(pass, nullptr);
    engine_->BeginFrame(static_cast<int32_t>(pass * 50), 0, 0);
    if (pass == 1) engine_->HotkeyAction();
    engine_->EndFrame();
  }
  EXPECT_FALSE(fs::exists(folder_ / "shots/deeper/frame_000001.png"));
  EXPECT_FALSE(fs::exists(folder_ / "shots/deeper/frame_000003.png"));
  const SdlTestPicture shot = SdlTestLoadPicture((folder_ / "shots/deeper/frame_000002.png").string());
  EXPECT_EQ(shot.width, 640);
  EXPECT_EQ(shot.height, 480);
  EXPECT_EQ(shot.At(10, 10), 0xFF640000u);
  // The hotkey saves the frame of its own pass, once.
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder_ / "hotkey")) files.push_back(entry.path());
  ASSERT_EQ(files.size(), 1u);
  const std::string name = files[0].filename().string();
  EXPECT_EQ(name.rfind("kestrevan-", 0), 0u);
  EXPECT_EQ(name.size(), std::string("kestrevan-20261206-210455-042.png").size());
  EXPECT_EQ(SdlTestLoadPicture(files[0].string()).At(320, 240), 0xFF320000u);
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

// ---- start-up, window mode and sound -----------------------------------------------------

class SdlEngineStartTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(folder_ / "files"); }
  TestFolder dir_{"video-start"};
  const fs::path folder_ = dir_.Path();
};

// A video driver that cannot start is the end-to-end tests' to check: the
// shell's message carries SDL's reason.

TEST_F(SdlEngineStartTest, WindowedModeDrawsOnTheDummyDriver) {
  // Only where no real display would be opened, unless asked for (under Xvfb).
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  const bool invisible = driver && (std::string(driver) == "dummy" || std::string(driver) == "offscreen");
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
  ExpectAt(f, {{104, 104, kGreen}, {300, 300, kBlue}});
  EXPECT_EQ(SdlTestLoadPicture((folder_ / "shots/frame_000001.png").string()).At(104, 104), kGreen);
  engine->Shutdown();
}

TEST_F(SdlEngineStartTest, SoundsResolveLikePicturesAndNameTheFileAsAsked) {
  fs::copy_file(fs::path(KESTREVAN_BINARY).parent_path() / "files" / "key.wav", folder_ / "files/Beep.wav");
  auto engine = CreateSdlEngine(Headless());
  engine->Initialize(folder_.string(), 640, 480, false, 0, 0, true);
  EXPECT_NO_THROW(engine->LoadSound("beep", "files\\beep.WAV"));
  EXPECT_NO_THROW(engine->PlaySound("beep", false, 100, 0, 0));
  EXPECT_NO_THROW(engine->SetSoundVolume("beep", 50));
  EXPECT_NO_THROW(engine->StopSound("beep", false));
  EXPECT_NO_THROW(engine->PlaySound("never-loaded", false, 100, 0, 0));
  const std::string gone = ErrorOf([&] { engine->LoadSound("gone", "files\\gone.wav"); });
  EXPECT_EQ(gone.rfind("LoadSound: files/gone.wav: ", 0), 0u) << gone;
  engine->Shutdown();
  EXPECT_THROW(engine->PlaySound("beep", false, 100, 0, 0), ComponentError);
}

}  // namespace
