// The SDL engine, mostly headless: its frames read back through the
// screenshots it saves, keys driven through SDL's event queue. Where each
// pixel of a draw lands is the compositor's to test; here it is the engine
// around it: loading, lifetime, events, passes, files it writes.
#include "sdl_engine.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "components/component_error.h"
#include "components/media/frame_scaler.h"
#include "components/media/key_codes.h"
#include "components/media/pad_codes.h"
#include "dds_test_encoder.h"
#include "sdl_screenshot_paths.h"
#include "sdl_test_support.h"
#include "test_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kBlue = 0xFF0000FFu;
constexpr uint32_t kMagenta = 0xFFFF00FFu;
constexpr uint32_t kGrey = 0xFF404040u;

// Left half red, right half green: shows the picture came through whole and
// the right way round.
ArgbPixels TwoTone(int width, int height) {
  ArgbPixels picture = SolidPicture(width, height, kRed);
  for (int y = 0; y < height; ++y)
    for (int x = width / 2; x < width; ++x) picture.argb[size_t(y) * width + x] = kGreen;
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

bool StartsWith(const std::string& text, const std::string& start) {
  return text.rfind(start, 0) == 0;
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

  // The whole picture at (x, y), unrotated.
  void Draw(const Texture& t, float x, float y) {
    engine_->DrawImage(t, x, y, float(t->Width()), float(t->Height()), 0, 100, 0, 0, 0, 0, -1, -1);
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

TEST_F(SdlEngineTest, PicturesOfEveryFormatLoadAndShow) {
  // Drawn before any BeginFrame, as the logo is: EndFrame still shows it.
  Draw(Load("two.png", TwoTone(640, 480)), 0, 0);
  ExpectAt(Shown(), {{0, 0, kRed}, {639, 479, kGreen}});

  const Texture bmp = Load("blue.bmp", SolidPicture(6, 6, kBlue));
  ArgbPixels keyable = SolidPicture(4, 1, kMagenta);
  keyable.argb[1] = 0xFFFE00FFu;  // one step off: stays
  keyable.argb[2] = kBlack;       // black is not keyed by a non-zero key
  const Texture keyed = Load("keyed.bmp", keyable, 0xFF00FF);
  std::vector<uint8_t> bgra;
  for (int i = 0; i < 32; ++i)
    bgra.insert(bgra.end(), {0, uint8_t(i % 8 < 4 ? 0 : 255), uint8_t(i % 8 < 4 ? 255 : 0), 255});
  const std::vector<uint8_t> dds = DdsFile(8, 4, kDdsArgb32, bgra);
  dir_.Write("files/plain.dds", std::string(dds.begin(), dds.end()));
  Texture plain;
  engine_->LoadTexture(plain, "files\\PLAIN.DDS", 0);  // the game's names ignore case
  EXPECT_EQ(bmp->Name(), "files/blue.bmp");
  EXPECT_EQ(plain->Width(), 8);

  engine_->BeginFrame(64, 64, 64);
  Draw(bmp, 200, 50);
  Draw(keyed, 10, 10);
  Draw(plain, 300, 50);
  ExpectAt(Shown(), {{200, 50, kBlue},
                     {205, 55, kBlue},
                     {206, 55, kGrey},
                     {10, 10, kGrey},
                     {11, 10, 0xFFFE00FFu},
                     {12, 10, kBlack},
                     {300, 50, kRed},
                     {307, 53, kGreen}});
}

TEST_F(SdlEngineTest, BadFilesNameTheFileAndTheReasonAndDrawNothing) {
  Texture t;
  EXPECT_EQ(ErrorOf([&] { engine_->LoadTexture(t, "files\\none.png", 0); }),
            "LoadTexture: files/none.png: file not found");
  std::ofstream(folder_ / "files/junk.png") << "this is no picture at all";
  const std::string junk = ErrorOf([&] { engine_->LoadTexture(t, "files/junk.png", 0); });
  EXPECT_TRUE(StartsWith(junk, "LoadTexture: files/junk.png: ")) << junk;
  EXPECT_THROW(engine_->LoadTexture(t, "files", 0), ComponentError);  // a folder
  ASSERT_EQ(t, nullptr);
  // A picture that never loaded draws nothing, and the frame goes on.
  engine_->BeginFrame(10, 20, 30);
  engine_->DrawImage(t, 0, 0, 64, 64, 0, 100, 0, 0, 0, 0, -1, -1);
  engine_->DrawText(t, "A", 0, 0, 1, 0, 100, 255, 255, 255);
  EXPECT_EQ(Shown().At(5, 5), 0xFF0A141Eu);
}

TEST_F(SdlEngineTest, TexturesAreBoundToTheirEngineAndOutliveItHarmlessly) {
  auto other = CreateSdlEngine(FrameSavingOptions(frames_));
  other->Initialize(folder_.string(), 640, 480, false, 0, 0, true);
  Texture kept = Load("kept.png", SolidPicture(4, 4, kRed));
  EXPECT_THROW(other->DrawImage(kept, 0, 0, 4, 4, 0, 100, 0, 0, 0, 0, -1, -1), ComponentError);
  other->Shutdown();
  Load("dropped.png", SolidPicture(4, 4, kRed)).reset();  // released while the engine lives
  engine_->Shutdown();
  engine_->Shutdown();  // twice is fine
  EXPECT_THROW(Draw(kept, 0, 0), ComponentError);
  EXPECT_EQ(kept->Name(), "files/kept.png");
  kept.reset();  // after the engine is gone
  engine_.reset();
}

TEST_F(SdlEngineTest, DecodeImageToPngNeedsNoWindowAndRefusesACutOffJpeg) {
  const std::string out = (folder_ / "out.png").string();
  const std::string missing =
      ErrorOf([&] { DecodeImageToPng((folder_ / "missing.png").string(), out); });
  EXPECT_TRUE(StartsWith(missing, "decode-image: ")) << missing;
  EXPECT_NE(missing.find("missing.png: file not found"), std::string::npos) << missing;
  // The generated menu background is a real JPEG; half of it is refused.
  const fs::path jpeg = fs::path(KESTREVAN_BINARY).parent_path() / "files" / "main_menu.jpg";
  const std::string bytes = ReadWholeFile(jpeg);
  ASSERT_GT(bytes.size(), 1000u);
  std::ofstream(folder_ / "half.jpg", std::ios::binary) << bytes.substr(0, bytes.size() / 2);
  const std::string half = ErrorOf([&] { DecodeImageToPng((folder_ / "half.jpg").string(), out); });
  EXPECT_NE(half.find("half.jpg"), std::string::npos) << half;
  DecodeImageToPng(jpeg.string(), out);
  EXPECT_EQ(LoadPicture(out).width, 640);
}

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
  SDL_Event focusLost{SDL_WINDOWEVENT};
  focusLost.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  PushEvent(focusLost);  // releases every key
  engine_->BeginPass(4, nullptr);
  EXPECT_TRUE(engine_->KeyUp(key::kUp));
}

// A replay plays its own keys; the player's are only a wish to leave it,
// and F11 (full screen) is not one.
TEST_F(SdlEngineTest, WhileAReplayPlaysThePlayersPressIsNoticedButNotPlayed) {
  const KeySet none;
  PushKey("F11", true);
  PushKey("A", true, true);
  engine_->BeginPass(1, &none);
  EXPECT_FALSE(engine_->PlayerPressed());
  PushKey("A", true);
  engine_->BeginPass(2, &none);
  EXPECT_TRUE(engine_->PlayerPressed());
  EXPECT_FALSE(engine_->KeyHeld(key::kA));
  PushKey("A", false);
  engine_->BeginPass(3, &none);
  EXPECT_FALSE(engine_->PlayerPressed()) << "a release is no press; each pass asks its own";
}

TEST_F(SdlEngineTest, KeysMapByPositionAndF11IsNotAGameKey) {
  for (const char* name : {"Keypad Enter", "Left", "Z", "Keypad /", "F11"}) PushKey(name, true);
  PushKey("A", true, true);  // a repeat with no press before it
  engine_->BeginPass(1, nullptr);
  KeySet expected;
  expected.set(key::kReturn).set(key::kLeft).set(key::kZ).set(key::kKeypadSlash);
  EXPECT_EQ(engine_->HeldKeys(), expected);
}

// A pad plugged in while the game runs, as SDL's virtual joysticks make one:
// a game controller of the family its vendor and product ids name.
struct PluggedPad {
  static inline int rumbles = 0;
  int device = -1;
  SDL_Joystick* joystick = nullptr;
  PluggedPad(Uint16 vendor, Uint16 product) {
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.vendor_id = vendor;
    desc.product_id = product;
    desc.Rumble = [](void*, Uint16 low, Uint16 high) {
      rumbles += low > 0 && high > 0;
      return 0;
    };
    device = SDL_JoystickAttachVirtualEx(&desc);
    joystick = SDL_JoystickOpen(device);
  }
  void Unplug() {
    SDL_JoystickClose(joystick);
    SDL_JoystickDetachVirtual(device);
  }
};

TEST_F(SdlEngineTest, PadsOfEachFamilyPlayAndLetGoWhenUnplugged) {
  SdlEngineOptions options;
  options.scriptHasPad = true;  // opens the pads even headless
  Start(options);
  const std::vector<std::pair<Uint16, Uint16>> families = {
      {0x045e, 0x02ea}, {0x054c, 0x09cc}, {0x057e, 0x2009}};  // Xbox, PlayStation, Switch
  for (const auto& [vendor, product] : families) {
    PluggedPad pad(vendor, product);
    ASSERT_NE(pad.joystick, nullptr) << SDL_GetError();
    engine_->SetControlScreen(ControlScreen::kFlight);
    engine_->BeginPass(++pass_, nullptr);  // the pad is announced and opened
    SDL_JoystickSetVirtualButton(pad.joystick, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualAxis(pad.joystick, SDL_CONTROLLER_AXIS_LEFTX, 12000);  // in the dead zone
    engine_->BeginPass(++pass_, nullptr);
    EXPECT_TRUE(engine_->KeyDown(key::kUp)) << std::hex << vendor;
    EXPECT_FALSE(engine_->KeyHeld(key::kRight)) << "inside the dead zone";
    EXPECT_TRUE(engine_->HeldKeys().test(pad::kA)) << "recorded as the pad's button";
    engine_->Rumble(1.0f, 50);
    const int rumbles = PluggedPad::rumbles;
    pad.Unplug();  // mid-flight: what it held is let go
    engine_->BeginPass(++pass_, nullptr);
    EXPECT_TRUE(engine_->KeyUp(key::kUp));
    EXPECT_EQ(rumbles, 1) << "one shake, on the pad that was there";
    PluggedPad::rumbles = 0;
  }
  // Rumble=False: the pad never shakes.
  options.rumble = false;
  Start(options);
  PluggedPad pad(0x045e, 0x02ea);
  engine_->BeginPass(++pass_, nullptr);
  engine_->Rumble(1.0f, 50);
  EXPECT_EQ(PluggedPad::rumbles, 0);
  pad.Unplug();
}

TEST_F(SdlEngineTest, CloseRequestsGoToTheHandlerAndALetGoWindowShowsNothingMore) {
  int calls = 0;
  int16_t answer = 1;
  engine_->SetCloseHandler([&](int16_t& cancel) {
    ++calls;
    cancel = answer;
  });
  PushEvent({SDL_QUIT});
  engine_->EndFrame();
  EXPECT_EQ(calls, 1);
  // Cancelled: the game goes on as before.
  engine_->BeginFrame(255, 0, 0);
  EXPECT_EQ(Shown().At(0, 0), kRed);

  answer = 0;
  PushEvent({SDL_QUIT});
  engine_->ProcessMessages();
  EXPECT_EQ(calls, 2);
  // The game's last steps still run, against a window that is gone: they
  // neither fail nor show (or save) anything.
  const fs::path next = NextFramePath();
  engine_->BeginPass(pass_, nullptr);
  engine_->BeginFrame(0, 0, 255);
  engine_->EndFrame();
  EXPECT_FALSE(fs::exists(next));
}

TEST_F(SdlEngineTest, ScreenshotPassesAndTheHotkeySaveTheirFrame) {
  SdlEngineOptions options;
  options.screenshotPasses = {2};
  options.screenshotDir = (folder_ / "shots" / "deeper").string();  // made when missing
  options.hotkeyScreenshotDir = (folder_ / "hotkey").string();
  Start(options);
  for (int64_t pass = 1; pass <= 3; ++pass) {
    engine_->BeginPass(pass, nullptr);
    engine_->BeginFrame(int32_t(pass * 50), 0, 0);
    if (pass == 1) engine_->HotkeyAction();
    engine_->EndFrame();
  }
  EXPECT_FALSE(fs::exists(folder_ / "shots/deeper/frame_000001.png"));
  EXPECT_EQ(LoadPicture((folder_ / "shots/deeper/frame_000002.png").string()).At(10, 10),
            0xFF640000u);
  // The hotkey saves the frame of its own pass, once.
  std::vector<fs::path> files(fs::directory_iterator(folder_ / "hotkey"), {});
  ASSERT_EQ(files.size(), 1u);
  EXPECT_TRUE(StartsWith(files[0].filename().string(), "kestrevan-"));
  EXPECT_EQ(LoadPicture(files[0].string()).At(320, 240), 0xFF320000u);
}

TEST_F(SdlEngineTest, UnwritableScreenshotsAndLogsDoNotStopTheGame) {
  std::ofstream(folder_ / "blocker") << "a file where a folder should be";
  SdlEngineOptions options;
  options.screenshotPasses = {1};
  options.screenshotDir = options.hotkeyScreenshotDir = (folder_ / "blocker").string();
  options.frameLogPath = (folder_ / "missing" / "frames.log").string();
  options.frameHashPath = (folder_ / "missing" / "hashes.txt").string();
  Start(options);
  engine_->BeginPass(1, nullptr);
  engine_->HotkeyAction();
  engine_->EndFrame();
  EXPECT_FALSE(fs::exists(folder_ / "missing"));
}

// ---- a window, on SDL's dummy driver (as ctest runs the tests) -----------------

TEST(SdlEngineWindow, TheWindowShowsTheFrameInsideBarsEitherWayAndIsRefusedUnasked) {
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  const std::string asked = driver ? driver : "";
  if (asked != "dummy") GTEST_SKIP() << "needs SDL_VIDEODRIVER=dummy";
  const TestFolder dir("video-window");
  WritePicture((dir / "dot.png").string(), SolidPicture(8, 8, kGreen));
  SdlEngineOptions options;
  options.mute = true;
  options.fps = 0;
  options.windowWidth = 1400;  // not the frame's shape: bars beside it
  options.windowHeight = 960;
  options.screenshotPasses = {1};
  // Our own scaling, smoothed, into the window's pixels, which the dummy
  // driver keeps; then a renderer's, sharp: asked for by name, with SDL's
  // own CPU renderer standing in for a GPU's.
  for (const bool renderer : {false, true}) {
    SCOPED_TRACE(renderer ? "through a renderer" : "our own scaling");
    ::setenv("SDL_RENDER_DRIVER", renderer ? "opengl" : "software", 1);
    if (renderer) SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "software", SDL_HINT_OVERRIDE);
    options.smooth = !renderer;
    options.screenshotDir = (dir / (renderer ? "renderer" : "ours")).string();
    auto engine = CreateSdlEngine(options);
    engine->Initialize(dir.Path().string(), 640, 480, false, 0, 0, true);
    Texture dot;
    engine->LoadTexture(dot, "dot.png", 0);
    engine->BeginPass(1, nullptr);
    engine->BeginFrame(0, 0, 255);
    engine->DrawImage(dot, 100, 100, 8, 8, 0, 100, 0, 0, 0, 0, -1, -1);
    engine->EndFrame();
    const ArgbPixels frame = SavedFrame(options.screenshotDir, 1);
    ExpectAt(frame, {{104, 104, kGreen}, {300, 300, kBlue}});
    SDL_Window* window = nullptr;
    for (uint32_t id = 1; id < 100 && !window; ++id) window = SDL_GetWindowFromID(id);
    ASSERT_NE(window, nullptr);
    const SDL_Surface* surface = SDL_GetWindowSurface(window);
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(surface->w, 1400);
    std::vector<uint32_t> want(size_t(1400) * 960);
    FrameScaler().Scale(frame.argb.data(), 640, 480, want.data(), 1400, 1400, 960,
                        Letterbox(1400, 960, 640, 480, false), options.smooth);
    for (int y = 0; y < 960; ++y)
      for (int x = 0; x < 1400; ++x)
        ASSERT_EQ(
            static_cast<const uint32_t*>(surface->pixels)[y * surface->pitch / 4 + x] | 0xFF000000u,
            want[size_t(y) * 1400 + x])
            << "the frame scaled into place, at (" << x << ", " << y << ")";
    engine->Shutdown();
  }
  ::unsetenv("SDL_RENDER_DRIVER");

  // Not asked for by name, such a window is refused: with no display about,
  // SDL would quietly settle for a driver nobody can see.
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    ::unsetenv("SDL_VIDEODRIVER");
    auto unasked = CreateSdlEngine(options);
    const std::string error =
        ErrorOf([&] { unasked->Initialize(dir.Path().string(), 640, 480, false, 0, 0, true); });
    ::setenv("SDL_VIDEODRIVER", asked.c_str(), 1);
    EXPECT_TRUE(StartsWith(error, "Initialize: ")) << error;
  }
}

TEST_F(SdlEngineTest, SoundsResolveLikePicturesAndNameTheFileAsAsked) {
  fs::copy_file(fs::path(KESTREVAN_BINARY).parent_path() / "files" / "key.wav",
                folder_ / "files/Beep.wav");
  engine_->LoadSound("beep", "files\\beep.WAV");
  engine_->PlaySound("beep", false, 100, 0, 0);
  engine_->PlaySound("never-loaded", false, 100, 0, 0);
  const std::string gone = ErrorOf([&] { engine_->LoadSound("gone", "files\\gone.wav"); });
  EXPECT_TRUE(StartsWith(gone, "LoadSound: files/gone.wav: ")) << gone;
  engine_->Shutdown();
  EXPECT_THROW(engine_->PlaySound("beep", false, 100, 0, 0), ComponentError);
}

}  // namespace
