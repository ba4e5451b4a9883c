// The SDL engine, mostly headless: its frames read back through the
// screenshots it saves, keys driven through SDL's event queue. Where each
// pixel of a draw lands is the compositor's to test; here it is the engine
// around it: loading, lifetime, events, passes, files it writes.
#include "sdl_engine.h"

#include <gtest/gtest.h>
#include <squish.h>

#include <chrono>
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
#include "components/media/compositor/frame_hash.h"
#include "components/media/key_codes.h"
#include "dds_test_encoder.h"
#include "sdl_screenshot_paths.h"
#include "sdl_test_support.h"
#include "test_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kBlue = 0xFF0000FFu;
constexpr uint32_t kMagenta = 0xFFFF00FFu;

// Left half red, right half green: shows the picture came through whole and
// the right way round.
ArgbPixels TwoTone(int width, int height) {
  ArgbPixels picture = SolidPicture(width, height, kRed);
  for (int y = 0; y < height; ++y)
    for (int x = width / 2; x < width; ++x)
      picture.argb[static_cast<size_t>(y) * width + x] = kGreen;
  return picture;
}

// Each (x, y, colour) must be exactly that colour in the frame.
void ExpectAt(const ArgbPixels& f, std::initializer_list<std::tuple<int, int, uint32_t>> points) {
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
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> Lines(const fs::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class SdlEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(folder_ / "files");
    Start(FrameSavingOptions(frames_));
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
  Texture Load(const std::string& name, const ArgbPixels& picture, int32_t colorKey = 0) {
    WritePicture((folder_ / "files" / name).string(), picture);
    Texture texture;
    engine_->LoadTexture(texture, "files\\" + name, colorKey);
    return texture;
  }

  // The common full draw: the whole picture at (x, y), unrotated.
  void Draw(const Texture& t, float x, float y) {
    engine_->DrawImage(t, x, y, static_cast<float>(t->Width()), static_cast<float>(t->Height()), 0,
                       100, 0, 0, 0, 0, -1, -1);
  }

  // Ends the frame as the next pass and reads back what the engine showed.
  // Pass numbers keep counting across restarts, so a frame that failed to
  // save can never be mistaken for an older one.
  fs::path NextFramePath() { return PassScreenshotPath(frames_.string(), ++pass_); }
  ArgbPixels Shown() {
    const fs::path path = NextFramePath();
    engine_->BeginPass(pass_, nullptr);
    engine_->EndFrame();
    return LoadPicture(path.string());
  }

  TestFolder dir_{"video"};
  const fs::path folder_ = dir_.Path();
  const fs::path frames_ = folder_ / "frames";
  int64_t pass_ = 0;
  std::unique_ptr<MediaEngine> engine_;
};

// ---- pictures ----------------------------------------------------------------

// 8 x 4, left half red, right half green, as the DDS encoder takes it.
DecodedImage DdsTwoTone() {
  DecodedImage image;
  image.width = 8;
  image.height = 4;
  for (int i = 0; i < 32; ++i) {
    const bool left = i % 8 < 4;
    const uint8_t pixel[4] = {static_cast<uint8_t>(left ? 255 : 0),
                              static_cast<uint8_t>(left ? 0 : 255), 0, 255};
    image.rgba.insert(image.rgba.end(), pixel, pixel + 4);
  }
  return image;
}

TEST_F(SdlEngineTest, PicturesOfEveryFormatLoadAndShow) {
  const Texture png = Load("two.png", TwoTone(20, 10));
  const Texture bmp = Load("blue.bmp", SolidPicture(6, 6, kBlue));
  ArgbPixels keyable = SolidPicture(4, 1, kMagenta);
  keyable.argb[1] = 0xFFFE00FFu;  // one step off: stays
  keyable.argb[2] = kBlack;       // black is not keyed by a non-zero key
  const Texture keyed = Load("keyed.bmp", keyable, 0xFF00FF);
  const Texture unkeyed = Load("unkeyed.bmp", keyable, 0);
  std::vector<uint8_t> ddsBytes = EncodeDdsMasks(DdsTwoTone(), DdsMaskFormatNamed("A8R8G8B8"));
  WriteBytes(folder_ / "files/plain.dds", ddsBytes);
  WriteBytes(folder_ / "files/packed.dds", EncodeDdsBlocks(DdsTwoTone(), squish::kDxt5));
  Texture plain, packed;
  engine_->LoadTexture(plain, "files\\PLAIN.DDS", 0);  // the game's names ignore case
  engine_->LoadTexture(packed, "files\\packed.dds", 0);
  EXPECT_EQ(png->Width(), 20);
  EXPECT_EQ(png->Height(), 10);
  EXPECT_EQ(png->Name(), "files/two.png");
  EXPECT_EQ(plain->Width(), 8);
  EXPECT_EQ(packed->Height(), 4);

  engine_->BeginFrame(64, 64, 64);
  Draw(png, 100, 50);
  Draw(bmp, 200, 50);
  Draw(keyed, 10, 10);
  Draw(unkeyed, 10, 20);
  Draw(plain, 300, 50);
  Draw(packed, 300, 70);
  const ArgbPixels f = Shown();
  ASSERT_EQ(f.width, 640);
  ASSERT_EQ(f.height, 480);
  constexpr uint32_t kGrey = 0xFF404040u;
  ExpectAt(f, {{100, 50, kRed},
               {119, 59, kGreen},
               {99, 50, kGrey},
               {120, 59, kGrey},
               {200, 50, kBlue},
               {205, 55, kBlue},
               {206, 55, kGrey},
               {10, 10, kGrey},
               {11, 10, 0xFFFE00FFu},
               {12, 10, kBlack},
               {13, 10, kGrey},
               {10, 20, kMagenta} /* key 0: nothing hidden */,
               // Two flat colours survive DXT exactly.
               {300, 50, kRed},
               {307, 53, kGreen},
               {300, 70, kRed},
               {307, 73, kGreen}});

  // One byte short of the pixels: an error naming the file, no crash.
  ddsBytes.pop_back();
  WriteBytes(folder_ / "files/short.dds", ddsBytes);
  const std::string error = ErrorOf([&] { engine_->LoadTexture(plain, "files/short.dds", 0); });
  EXPECT_EQ(error.rfind("LoadTexture: files/short.dds: ", 0), 0u) << error;
}

TEST_F(SdlEngineTest, DrawingBeforeAnyBeginFrameIsShownByEndFrame) {
  const Texture logo = Load("logo.png", TwoTone(640, 480));
  Draw(logo, 0, 0);
  engine_->ProcessMessages();
  ExpectAt(Shown(), {{0, 0, kRed}, {639, 479, kGreen}});
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
  EXPECT_EQ(Shown().At(5, 5), 0xFF0A141Eu);
}

TEST_F(SdlEngineTest, TexturesAreBoundToTheirEngineAndOutliveItHarmlessly) {
  auto fresh = CreateSdlEngine(Headless());
  Texture none;
  EXPECT_THROW(fresh->LoadTexture(none, "files/x.png", 0), ComponentError);  // before Initialize
  EXPECT_THROW(fresh->EndFrame(), ComponentError);
  EXPECT_THROW(fresh->LoadSound("x", "files/x.wav"), ComponentError);
  fresh->Initialize(folder_.string(), 640, 480, false, 0, 0, true);
  Texture kept = Load("kept.png", SolidPicture(4, 4, kWhite));
  EXPECT_THROW(fresh->DrawImage(kept, 0, 0, 4, 4, 0, 100, 0, 0, 0, 0, -1, -1), ComponentError);
  fresh->Shutdown();
  Draw(kept, 0, 0);  // still fine on its own engine

  Texture dropped = Load("dropped.png", SolidPicture(4, 4, kWhite));
  dropped.reset();  // released while the engine lives
  engine_->Shutdown();
  engine_->Shutdown();  // twice is fine
  EXPECT_THROW(Draw(kept, 0, 0), ComponentError);
  EXPECT_THROW(engine_->BeginFrame(0, 0, 0), ComponentError);
  EXPECT_THROW(engine_->EndFrame(), ComponentError);
  EXPECT_EQ(kept->Name(), "files/kept.png");
  kept.reset();  // after the engine is gone
  engine_.reset();
}

TEST_F(SdlEngineTest, DecodeImageToPngNeedsNoWindowAndRefusesACutOffJpeg) {
  const std::string out = (folder_ / "out.png").string();
  WritePicture((folder_ / "in.bmp").string(), TwoTone(6, 3));
  DecodeImageToPng((folder_ / "in.bmp").string(), out);
  const ArgbPixels back = LoadPicture(out);
  EXPECT_EQ(back.width, 6);
  ExpectAt(back, {{0, 0, kRed}, {5, 2, kGreen}});
  const std::string missing =
      ErrorOf([&] { DecodeImageToPng((folder_ / "missing.png").string(), out); });
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
  PushKey("A", true);
  engine_->BeginPass(1, nullptr);
  EXPECT_TRUE(engine_->KeyDown(key::kA));
  PushKey("A", true, true);  // auto-repeat: nothing new
  engine_->BeginPass(2, nullptr);
  EXPECT_TRUE(engine_->KeyHeld(key::kA));
  EXPECT_FALSE(engine_->KeyDown(key::kA));
  PushKey("A", false);
  PushKey("Space", true);  // a tap inside one pass is one press
  PushKey("Space", false);
  engine_->BeginPass(3, nullptr);
  EXPECT_TRUE(engine_->KeyUp(key::kA));
  EXPECT_TRUE(engine_->KeyDown(key::kSpace));
  PushKey("Up", true);
  engine_->ProcessMessages();  // takes a fresh snapshot too
  EXPECT_TRUE(engine_->KeyHeld(key::kUp));
  PushFocusLost();  // releases every key
  engine_->BeginPass(4, nullptr);
  EXPECT_FALSE(engine_->KeyHeld(key::kUp));
  EXPECT_TRUE(engine_->KeyUp(key::kUp));
}

TEST_F(SdlEngineTest, KeysMapByPositionAndF11IsNotAGameKey) {
  PushKey("Keypad Enter", true);
  PushKey("Left", true);
  PushKey("Z", true);
  PushKey("Keypad /", true);
  PushKey("F11", true);      // headless: no window to switch, and no game key
  PushKey("A", true, true);  // a repeat with no press before it
  engine_->BeginPass(1, nullptr);
  KeySet expected;
  expected.set(key::kReturn).set(key::kLeft).set(key::kZ).set(key::kKeypadSlash);
  EXPECT_EQ(engine_->HeldKeys(), expected);
}

TEST_F(SdlEngineTest, ScriptedPassesIgnoreTheLiveKeyboard) {
  KeySet scripted;
  scripted.set(key::kRight);
  PushKey("B", true);
  engine_->BeginPass(1, &scripted);
  EXPECT_TRUE(engine_->KeyDown(key::kRight));
  EXPECT_FALSE(engine_->KeyHeld(key::kB));
  scripted.reset();
  engine_->BeginPass(2, &scripted);
  EXPECT_TRUE(engine_->KeyUp(key::kRight));
}

TEST_F(SdlEngineTest, CloseRequestsGoToTheHandlerAndALetGoWindowShowsNothingMore) {
  int calls = 0;
  int16_t answer = 1;
  engine_->SetCloseHandler([&](int16_t& cancel) {
    ++calls;
    EXPECT_EQ(cancel, 0);
    cancel = answer;
  });
  PushQuit();
  engine_->EndFrame();
  EXPECT_EQ(calls, 1);
  // Cancelled: the game goes on as before.
  engine_->BeginFrame(255, 0, 0);
  EXPECT_EQ(Shown().At(0, 0), kRed);

  answer = 0;
  PushQuit();
  engine_->ProcessMessages();
  EXPECT_EQ(calls, 2);
  // The game's last steps still run, against a window that is gone: they
  // neither fail nor show (or save) anything.
  const fs::path next = NextFramePath();
  engine_->BeginPass(pass_, nullptr);
  EXPECT_NO_THROW(engine_->BeginFrame(0, 0, 255));
  EXPECT_NO_THROW(engine_->EndFrame());
  EXPECT_FALSE(fs::exists(next));
}

// ---- screenshots and frame records ------------------------------------------------------

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
  const ArgbPixels shot = LoadPicture((folder_ / "shots/deeper/frame_000002.png").string());
  EXPECT_EQ(shot.width, 640);
  EXPECT_EQ(shot.height, 480);
  EXPECT_EQ(shot.At(10, 10), 0xFF640000u);
  // The hotkey saves the frame of its own pass, once.
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder_ / "hotkey"))
    files.push_back(entry.path());
  ASSERT_EQ(files.size(), 1u);
  const std::string name = files[0].filename().string();
  EXPECT_EQ(name.rfind("kestrevan-", 0), 0u);
  EXPECT_EQ(name.size(), std::string("kestrevan-20261206-210455-042.png").size());
  EXPECT_EQ(LoadPicture(files[0].string()).At(320, 240), 0xFF320000u);
}

TEST_F(SdlEngineTest, UnwritableScreenshotsAndLogsDoNotStopTheGame) {
  std::ofstream(folder_ / "blocker") << "a file where a folder should be";
  SdlEngineOptions options;
  options.screenshotPasses = {1};
  options.screenshotDir = (folder_ / "blocker").string();
  options.hotkeyScreenshotDir = (folder_ / "blocker").string();
  options.frameLogPath = (folder_ / "missing" / "frames.log").string();
  options.frameHashPath = (folder_ / "missing" / "hashes.txt").string();
  ASSERT_NO_THROW(Start(options));
  engine_->BeginPass(1, nullptr);
  engine_->HotkeyAction();
  EXPECT_NO_THROW(engine_->EndFrame());
  EXPECT_FALSE(fs::exists(folder_ / "missing"));
}

TEST_F(SdlEngineTest, FrameLogHoldsOneRisingSteadyClockLinePerFrame) {
  SdlEngineOptions options;
  options.frameLogPath = (folder_ / "frames.log").string();
  const auto before = std::chrono::steady_clock::now().time_since_epoch();
  Start(options);
  for (int pass = 1; pass <= 3; ++pass) {
    engine_->BeginPass(pass, nullptr);
    engine_->BeginFrame(0, 0, 0);
    engine_->EndFrame();
  }
  engine_->Shutdown();
  const auto after = std::chrono::steady_clock::now().time_since_epoch();

  std::ifstream in(folder_ / "frames.log");
  std::vector<long long> moments;
  for (long long value = 0; in >> value;) moments.push_back(value);
  ASSERT_EQ(moments.size(), 3u);
  EXPECT_GE(moments[0], std::chrono::duration_cast<std::chrono::nanoseconds>(before).count());
  EXPECT_LE(moments[0], moments[1]);
  EXPECT_LE(moments[1], moments[2]);
  EXPECT_LE(moments[2], std::chrono::duration_cast<std::chrono::nanoseconds>(after).count());
}

TEST(FrameHashes, OnePassAndHashLinePerFrameFollowingEveryPixel) {
  const TestFolder dir("hashes");
  WritePicture((dir / "dot.png").string(), SolidPicture(1, 1, kWhite));
  // Two passes; the second also draws a dot at (dotX, 479). Returns the
  // engine's hash lines; its frames are saved under `name`.
  auto fly = [&](const std::string& name, float dotX) {
    SdlEngineOptions options = FrameSavingOptions(dir / name, 2);
    options.frameHashPath = (dir / (name + ".txt")).string();
    auto engine = CreateSdlEngine(options);
    engine->Initialize(dir.Path().string(), 640, 480, false, 0, 0, true);
    Texture dot;
    engine->LoadTexture(dot, "dot.png", 0);
    for (int pass = 1; pass <= 2; ++pass) {
      engine->BeginPass(pass, nullptr);
      engine->BeginFrame(10, 20, 30);
      if (pass == 2) engine->DrawImage(dot, dotX, 479, 1, 1, 0, 100, 0, 0, 0, 0, -1, -1);
      engine->EndFrame();
    }
    engine->Shutdown();
    return Lines(dir / (name + ".txt"));
  };
  // The very last pixel of the frame: a hash that stops short misses it.
  const std::vector<std::string> last = fly("last", 639);
  ASSERT_EQ(last.size(), 2u);
  EXPECT_EQ(fly("again", 639), last);
  const std::vector<std::string> beside = fly("beside", 638);
  ASSERT_EQ(beside.size(), 2u);
  EXPECT_EQ(beside[0], last[0]);
  EXPECT_NE(beside[1], last[1]);
  // Each line is the pass and the hash of the very frame it showed.
  for (int pass = 1; pass <= 2; ++pass) {
    const ArgbPixels shown = SavedFrame(dir / "last", pass);
    char expected[40];
    std::snprintf(expected, sizeof expected, "%d %016llx", pass,
                  static_cast<unsigned long long>(FrameHash(shown.argb.data(), shown.argb.size())));
    EXPECT_EQ(last[pass - 1], expected);
  }
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

TEST_F(SdlEngineStartTest, WindowedModeShowsOnTheDummyDriverOnlyWhenAskedFor) {
  // Only where no real display would be opened, unless asked for (under Xvfb).
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  const std::string asked = driver ? driver : "";
  const bool invisible = asked == "dummy" || asked == "offscreen";
  if (!invisible && !std::getenv("KESTREVAN_WINDOW_TESTS")) {
    GTEST_SKIP() << "needs SDL_VIDEODRIVER=dummy or offscreen, or KESTREVAN_WINDOW_TESTS=1";
  }
  WritePicture((folder_ / "files/icon.png").string(), SolidPicture(32, 32, kRed));
  WritePicture((folder_ / "files/dot.png").string(), SolidPicture(8, 8, kGreen));
  SdlEngineOptions options;
  options.mute = true;
  options.fps = 0;
  options.windowWidth = 900;  // not the frame's shape: bars around it
  options.windowHeight = 500;
  options.screenshotPasses = {1};
  options.screenshotDir = (folder_ / "shots").string();
  auto engine = CreateSdlEngine(options);
  engine->Initialize(folder_.string(), 640, 480, false, 0, 0, true);
  Texture dot;
  engine->LoadTexture(dot, "files/dot.png", 0);
  engine->BeginPass(1, nullptr);
  engine->BeginFrame(0, 0, 255);
  engine->DrawImage(dot, 100, 100, 8, 8, 0, 100, 0, 0, 0, 0, -1, -1);
  engine->EndFrame();
  ExpectAt(LoadPicture((folder_ / "shots/frame_000001.png").string()),
           {{104, 104, kGreen}, {300, 300, kBlue}});
  engine->Shutdown();

  // Not asked for by name, such a window is refused: with no display about,
  // SDL would quietly settle for a driver nobody can see.
  if (invisible && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    ::unsetenv("SDL_VIDEODRIVER");
    auto unasked = CreateSdlEngine(options);
    const std::string error =
        ErrorOf([&] { unasked->Initialize(folder_.string(), 640, 480, false, 0, 0, true); });
    ::setenv("SDL_VIDEODRIVER", asked.c_str(), 1);
    EXPECT_EQ(error.rfind("Initialize: ", 0), 0u) << error;
  }
}

TEST_F(SdlEngineStartTest, SoundsResolveLikePicturesAndNameTheFileAsAsked) {
  fs::copy_file(fs::path(KESTREVAN_BINARY).parent_path() / "files" / "key.wav",
                folder_ / "files/Beep.wav");
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
