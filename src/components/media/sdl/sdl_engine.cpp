#include "sdl_engine.h"

#include <SDL_image.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <system_error>

#include "components/component_error.h"
#include "components/media/picture_header.h"
#include "components/media/sdl/audio_quiet.h"
#include "components/output_file.h"
#include "components/read_file.h"
#include "components/media/pad_codes.h"
#include "components/media/path_resolve.h"
#include "core/log.h"
#include "sdl_engine_impl.h"
#include "sdl_full_screen.h"
#include "sdl_keymap.h"
#include "sdl_renderer_choice.h"

namespace {

constexpr const char* kCaption = "Kestrevan 1.05";

// SDL turns SIGINT and SIGTERM into a quit event; a closed terminal sends
// SIGHUP, whose default would end the game on the spot and lose a name
// being typed. It ends the game the same orderly way instead, unless the
// player asked for it to be ignored (nohup).
volatile std::sig_atomic_t hungUp = 0;

void OnHangUp(int) { hungUp = 1; }

void CatchHangUp() {
#ifndef _WIN32
  struct sigaction before {};
  if (sigaction(SIGHUP, nullptr, &before) != 0 || before.sa_handler == SIG_IGN) return;
  struct sigaction act {};
  act.sa_handler = OnHangUp;
  sigemptyset(&act.sa_mask);
  sigaction(SIGHUP, &act, nullptr);
#endif
}

}  // namespace

std::unique_ptr<MediaEngine> CreateSdlEngine(const SdlEngineOptions& options) {
  return std::make_unique<SdlEngine>(options);
}

SdlEngine::SdlEngine(const SdlEngineOptions& options)
    : options_(options), pacer_(options.headless ? 0 : options.fps) {}

SdlEngine::~SdlEngine() { Shutdown(); }

// Pads are a bonus: without SDL's controller system the game plays on keys.
void SdlEngine::StartPads() {
  // Face buttons by where they sit, not what they say: the bottom one is A
  // on every family of pad, as the controls table has it.
  SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    LogOnce(std::string("no game pads: ") + SDL_GetError());
    return;
  }
  initializedSystems_ |= SDL_INIT_GAMECONTROLLER;
  padsStarted_ = true;
  SdlGamepads::AddMappings(options_.controllerMappings);
  if (options_.scriptHasPad) scriptPad_ = pads_.AttachScriptPad();
}

void SdlEngine::RequireRunning(const char* operation) const {
  if (state_ == State::kCreated) throw ComponentError(operation, "the engine is not initialised");
  if (state_ == State::kShutDown) throw ComponentError(operation, "the engine has been shut down");
}

std::string SdlEngine::FilePath(const std::string& name) const {
  return ResolveGameFile(programFolder_, name);
}

void SdlEngine::Initialize(const std::string& programFolder, float width, float height,
                           bool fullScreen, int32_t, int32_t, bool) {
  if (state_ != State::kCreated) throw ComponentError("Initialize", "called twice");
  const int w = static_cast<int>(width);
  const int h = static_cast<int>(height);
  if (w <= 0 || h <= 0 || w > 16384 || h > 16384) {
    throw ComponentError("Initialize",
                         "bad frame size " + std::to_string(w) + "x" + std::to_string(h));
  }
  programFolder_ = programFolder;
  // Headless runs need only SDL's event queue (the tests push key events into
  // it); the frame is the compositor's and needs no video driver at all.
  const uint32_t systems = options_.headless ? SDL_INIT_EVENTS : SDL_INIT_VIDEO | SDL_INIT_EVENTS;
  // Closing the window already asks the game once; SDL's extra quit event for
  // the last window would ask it a second time.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  const bool withSound = !options_.headless && !options_.mute;
  // Before SDL starts any thread: this sets the environment.
  if (withSound && !options_.libraryLogs) QuietAudioLibraries();
  if (SDL_InitSubSystem(systems) != 0) {
    throw ComponentError("Initialize", std::string("cannot start SDL: ") + SDL_GetError());
  }
  initializedSystems_ = systems;
  CatchHangUp();
  controls_.SetBindings(options_.keyBindings);
  if (!options_.headless || options_.scriptHasPad) StartPads();
  // From here on a failure leaves things for Shutdown, which the shell calls.
  state_ = State::kRunning;
  try {
    compositor_ = std::make_unique<Compositor>(w, h);
    if (!options_.headless) {
      RequireVisibleDisplay();
      OpenWindow(w, h);
      CreateRenderer();
      // After the renderer: a GL renderer makes the window anew, and a
      // window placed by hand would lose its place.
      fullScreen_ = std::make_unique<FullScreenSwitch>(window_);
      if (fullScreen) fullScreen_->Set(true);
      SDL_ShowWindow(window_);
    }
    audio_ = std::make_unique<AudioOutput>(withSound);
  } catch (...) {
    Shutdown();
    throw;
  }
  // Measuring aids: the game plays on without them, and the run ends with
  // a failing status.
  if (!options_.frameLogPath.empty()) {
    frameLog_.reset(std::fopen(options_.frameLogPath.c_str(), "w"));
    if (!frameLog_) OutputFailed("frame log: " + options_.frameLogPath + ": cannot write");
  }
  if (!options_.frameHashPath.empty()) {
    frameHashes_.reset(std::fopen(options_.frameHashPath.c_str(), "w"));
    if (!frameHashes_) OutputFailed("frame hashes: " + options_.frameHashPath + ": cannot write");
  }
}

void SdlEngine::OutputFailed(const std::string& message) {
  LogOnce(message);
  CountFailedOutput();
}

void SdlEngine::CountFailedOutput() {
  if (options_.failedOutputs) ++*options_.failedOutputs;
}

void SdlEngine::RequireVisibleDisplay() {
  // With no display at all SDL settles for a driver whose window nobody can
  // see: the game would run unseen and unstoppable. Only an explicit
  // SDL_VIDEODRIVER may pick one.
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  if (driver && !(asked && *asked) &&
      (SDL_strcasecmp(driver, "offscreen") == 0 || SDL_strcasecmp(driver, "dummy") == 0)) {
    throw ComponentError(
        "Initialize", std::string("no display to open a window on (SDL found only its ") + driver +
                          " driver); play on a desktop, or use --headless");
  }
}

void SdlEngine::OpenWindow(int width, int height) {
  // The window's own pixels, not a GL texture SDL would keep for them.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // Made hidden so that going full screen first never flashes a window.
#ifdef __EMSCRIPTEN__
  // In a page the canvas keeps the frame's own pixels and the page's style
  // scales it; a resizable or HiDPI window would have SDL resize the
  // canvas's pixels to its styled size instead.
  const uint32_t flags = SDL_WINDOW_HIDDEN;
#else
  const uint32_t flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_HIDDEN;
#endif
  const int windowWidth = options_.windowWidth > 0 ? options_.windowWidth : width;
  const int windowHeight = options_.windowHeight > 0 ? options_.windowHeight : height;
  window_ = SDL_CreateWindow(kCaption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, windowWidth,
                             windowHeight, flags);
  if (!window_) throw ComponentError("Initialize", std::string("no window: ") + SDL_GetError());
  // Below a quarter of the frame nothing can be read any more.
  SDL_SetWindowMinimumSize(window_, width / 4, height / 4);
}

void SdlEngine::CreateRenderer() {
  // The renderer only scales one finished frame into the window. A GPU does
  // that for nearly nothing. Without one, GL drawn on the CPU (Mesa's
  // llvmpipe) costs several times what it takes to scale the frame
  // ourselves straight into the window's own pixels, and a hundred
  // megabytes besides; SDL's own software scaling is several times slower
  // than ours too. SDL_RENDER_DRIVER still picks: "software" means ours.
  const char* asked = SDL_getenv("SDL_RENDER_DRIVER");
  const bool chosen = asked && *asked;
  if (chosen && SDL_strcasecmp(asked, "software") == 0) return;
  const uint32_t vsync = options_.vsync ? SDL_RENDERER_PRESENTVSYNC : 0;
  if (chosen || MachineMayHaveGpu()) {
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | vsync);
    if (renderer_ && !chosen && RendererRunsOnCpu(renderer_)) {
      SDL_DestroyRenderer(renderer_);
      renderer_ = nullptr;
    }
  }
  if (!renderer_) return;
  frameTexture_ =
      SDL_CreateTexture(renderer_, FrameTextureFormat(renderer_, window_),
                        SDL_TEXTUREACCESS_STREAMING, compositor_->Width(), compositor_->Height());
  if (!frameTexture_)
    throw ComponentError("Initialize", std::string("no frame texture: ") + SDL_GetError());
  // The frame is opaque: copying it is a copy, not a blend.
  SDL_SetTextureBlendMode(frameTexture_, SDL_BLENDMODE_NONE);
  SDL_SetTextureScaleMode(frameTexture_,
                          options_.smooth ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
}

void SdlEngine::SetWindowIcon() {
  // No icon, or one that cannot be read, leaves the system's own.
  const std::string path = FilePath("files/icon.png");
  const ReadResult file = ReadSmallFile(path, 16u * 1024u * 1024u);
  if (file.status != ReadStatus::kOk) return;
  const std::string refusal =
      CheckPictureHeader(reinterpret_cast<const uint8_t*>(file.bytes.data()), file.bytes.size());
  if (!refusal.empty()) {
    LogOnce("files/icon.png " + refusal + "; the window keeps the system's icon");
    return;
  }
  SDL_Surface* icon =
      IMG_Load_RW(SDL_RWFromConstMem(file.bytes.data(), static_cast<int>(file.bytes.size())), 1);
  if (!icon) return;
  // An X server ends a program whose icon overflows its largest request;
  // a large icon is shown small anyway.
  constexpr int kLargestIcon = 256;
  if (icon->w > kLargestIcon || icon->h > kLargestIcon) {
    const double scale = double(kLargestIcon) / std::max(icon->w, icon->h);
    SDL_Surface* smaller = SDL_CreateRGBSurfaceWithFormat(0, std::max(1, int(icon->w * scale)),
                                                          std::max(1, int(icon->h * scale)), 32,
                                                          SDL_PIXELFORMAT_ARGB8888);
    if (smaller && SDL_BlitScaled(icon, nullptr, smaller, nullptr) != 0) {
      SDL_FreeSurface(smaller);
      smaller = nullptr;
    }
    SDL_FreeSurface(icon);
    icon = smaller;
    if (!icon) return;
  }
  SDL_SetWindowIcon(window_, icon);
  SDL_FreeSurface(icon);
}

void SdlEngine::Shutdown() {
  if (state_ == State::kShutDown) return;
  // The game may still hold texture handles that it drops later.
  for (const std::weak_ptr<PictureTexture>& weak : textures_) {
    if (std::shared_ptr<PictureTexture> texture = weak.lock()) texture->Release();
  }
  textures_.clear();
  if (audio_) audio_->Shutdown();
  audio_.reset();
  if (padsStarted_) pads_.CloseAll(controls_);
  padsStarted_ = false;
  scriptPad_ = false;
  if (frameTexture_) SDL_DestroyTexture(frameTexture_);
  frameTexture_ = nullptr;
  if (renderer_) SDL_DestroyRenderer(renderer_);
  renderer_ = nullptr;
  fullScreen_.reset();
  if (window_) SDL_DestroyWindow(window_);
  window_ = nullptr;
  compositor_.reset();
  // Only what we started: other users of SDL in the process keep theirs.
  if (initializedSystems_) SDL_QuitSubSystem(initializedSystems_);
  initializedSystems_ = 0;
  if (frameLog_) {
    const std::string reason = CloseOutput(frameLog_.release());
    if (!reason.empty()) OutputFailed("frame log: " + options_.frameLogPath + ": " + reason);
  }
  if (frameHashes_) {
    const std::string reason = CloseOutput(frameHashes_.release());
    if (!reason.empty()) OutputFailed("frame hashes: " + options_.frameHashPath + ": " + reason);
  }
  state_ = State::kShutDown;
}

// ---- keyboard and window events -------------------------------------------

bool SdlEngine::KeyHeld(int32_t scanCode) { return controls_.Held(scanCode); }
bool SdlEngine::KeyUp(int32_t scanCode) { return controls_.Up(scanCode); }
bool SdlEngine::KeyDown(int32_t scanCode) { return controls_.Down(scanCode); }
void SdlEngine::ReadKeys() {}  // the snapshot is taken per pass in BeginPass
KeySet SdlEngine::HeldKeys() { return controls_.Input(); }
void SdlEngine::SetControlScreen(ControlScreen screen) { controls_.SetScreen(screen); }
char SdlEngine::PickedCharacter() { return controls_.PickedCharacter(); }

void SdlEngine::Rumble(float strength, int32_t milliseconds) {
  if (options_.rumble && padsStarted_) pads_.Rumble(strength, milliseconds);
}

// A script with pad buttons plays them on its own pad inside SDL, so they
// take the way a real pad's do; its keys are held as a keyboard's would be.
void SdlEngine::HoldScripted(const KeySet& scripted) {
  pads_.HoldOnScriptPad(scripted);
  PumpEvents();
  const KeySet keys = KeyboardPart(scripted);
  for (std::size_t code = 0; code < keys.size(); ++code) {
    if (keys.test(code) && !scriptKeys_.test(code)) controls_.Press(static_cast<int32_t>(code));
    if (!keys.test(code) && scriptKeys_.test(code)) controls_.Release(static_cast<int32_t>(code));
  }
  scriptKeys_ = keys;
}

void SdlEngine::BeginPass(int64_t pass, const KeySet* scripted) {
  RequireRunning("BeginPass");
  pass_ = pass;
  replay_ = scripted != nullptr;
  // A screen whose drawing failed before EndFrame still gets the frame's
  // pace, so a broken picture cannot turn the loop into a busy spin.
  if (!framedThisPass_ && state_ == State::kRunning) pacer_.Wait();
  framedThisPass_ = false;
  playerPressed_ = false;
  PumpEvents();
  if (state_ != State::kRunning) return;  // a close handler shut us down
  if (scripted && scriptPad_) {
    HoldScripted(*scripted);
    if (state_ != State::kRunning) return;
    controls_.Sample(/*scripted=*/true);
  } else if (scripted) {
    controls_.SampleFrom(*scripted);
  } else {
    controls_.Sample();
  }
}

void SdlEngine::ProcessMessages() {
  RequireRunning("ProcessMessages");
  PumpEvents();
  if (state_ != State::kRunning) return;
  controls_.Sample();
}

void SdlEngine::SetCloseHandler(std::function<void(int16_t& cancel)> handler) {
  closeHandler_ = std::move(handler);
}

void SdlEngine::PumpEvents() {
  if (hungUp) {
    hungUp = 0;
    RequestClose();
  }
  SDL_Event event;
  while (state_ == State::kRunning && SDL_PollEvent(&event)) HandleEvent(event);
}

void SdlEngine::HandleEvent(const SDL_Event& event) {
  // A script's own pad presses are the replay's, not the player's.
  if (event.type == SDL_CONTROLLERBUTTONDOWN && !scriptPad_) playerPressed_ = true;
  if (padsStarted_ && pads_.Handle(event, controls_, replay_)) return;
  switch (event.type) {
    case SDL_QUIT: RequestClose(); break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) RequestClose();
      // A key let go while another window had the focus never reaches us.
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        controls_.ReleaseAll();
        pads_.ReleaseAll();
      }
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      if (event.key.repeat) break;  // the game wants presses, not the typing rate
      const bool down = event.type == SDL_KEYDOWN;
      if (event.key.keysym.scancode == SDL_SCANCODE_F11) {
        if (down) ToggleFullScreen();
        break;
      }
      playerPressed_ |= down;
      // A replay plays the recorded keys only.
      if (replay_) break;
      const int32_t code = GameKeyFromScancode(event.key.keysym.scancode);
      if (code < 0) break;
      if (down) {
        controls_.Press(code);
      } else {
        controls_.Release(code);
      }
      break;
    }
    default: break;
  }
}

void SdlEngine::RequestClose() {
  int16_t cancel = 0;
  if (closeHandler_) closeHandler_(cancel);
  if (cancel != 0 || state_ != State::kRunning) return;
  // The game may still run its last steps; they draw into nothing.
  windowGone_ = true;
  if (window_) SDL_HideWindow(window_);
}

void SdlEngine::ToggleFullScreen() {
  if (fullScreen_) fullScreen_->Set(!fullScreen_->On());
}

// ---- sound ------------------------------------------------------------------

void SdlEngine::LoadSound(const std::string& name, const std::string& path) {
  RequireRunning("LoadSound");
  const std::string resolved = FilePath(path);
  try {
    audio_->Load(name, resolved);
  } catch (const ComponentError& error) {
    // Name the file as the game asked for it, like the pictures do.
    if (error.Reason().rfind(resolved, 0) != 0) throw;
    throw ComponentError(error.Operation(),
                         NormalizeSlashes(path) + error.Reason().substr(resolved.size()));
  }
}

void SdlEngine::PlaySound(const std::string& name, bool loop, int32_t volume, int32_t balance,
                          int32_t rate) {
  RequireRunning("PlaySound");
  audio_->Play(name, loop, volume, balance, rate);
}

void SdlEngine::SetSoundVolume(const std::string& name, int32_t volume) {
  RequireRunning("SetSoundVolume");
  audio_->SetVolume(name, volume);
}

void SdlEngine::StopSound(const std::string& name, bool) {
  RequireRunning("StopSound");
  audio_->Stop(name);
}

// ---- odds and ends ------------------------------------------------------------

void SdlEngine::CreateFont(const std::string&, const std::string&, int32_t, int32_t, int32_t) {
  // The game's text is drawn from the bitmap font; the system font it asks
  // for here is never used.
}

int32_t SdlEngine::Milliseconds() {
  static const auto kStart = std::chrono::steady_clock::now();
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - kStart)
                           .count();
  // Wraps like the 32-bit tick counter the game was written against.
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(elapsed)));
}
