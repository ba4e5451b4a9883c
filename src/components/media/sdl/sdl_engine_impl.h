#pragma once
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio.h"
#include "components/media/compositor/compositor.h"
#include "components/media/compositor/picture_texture.h"
#include "components/media/frame_scaler.h"
#include "components/media/control_input.h"
#include "components/media/media_engine.h"
#include "sdl_engine.h"
#include "sdl_full_screen.h"
#include "sdl_gamepads.h"
#include "sdl_pacer.h"

// MediaEngine on SDL2. Every picture and letter is drawn by the compositor
// into its one framebuffer; SDL only shows that frame (one streaming
// texture, scaled into the window by whatever renderer the machine does
// best), reads the keyboard and carries window events. Headless there is no
// window and no renderer at all: the frame is the compositor's.
class SdlEngine final : public MediaEngine {
 public:
  explicit SdlEngine(const SdlEngineOptions& options);
  ~SdlEngine() override;

  void Initialize(const std::string& programFolder, float width, float height, bool fullScreen,
                  int32_t a, int32_t b, bool c) override;
  bool KeyHeld(int32_t scanCode) override;
  bool KeyUp(int32_t scanCode) override;
  bool KeyDown(int32_t scanCode) override;
  void ReadKeys() override;
  void LoadSound(const std::string& name, const std::string& path) override;
  void PlaySound(const std::string& name, bool loop, int32_t volume, int32_t balance,
                 int32_t rate) override;
  void SetSoundVolume(const std::string& name, int32_t volume) override;
  void StopSound(const std::string& name, bool flag) override;
  void LoadTexture(Texture& out, const std::string& path, int32_t colorKey) override;
  void DrawImage(const Texture& texture, float x, float y, float sourceWidth, float sourceHeight,
                 float angle, int16_t opacity, float sourceX, float sourceY, float drawnWidth,
                 float drawnHeight, float pivotX, float pivotY) override;
  void DrawText(const Texture& font, const std::string& text, float x, float y, float scale,
                float zero, int32_t opacity, float red, float green, float blue) override;
  void BeginFrame(int32_t red, int32_t green, int32_t blue) override;
  void SetDrawColor(double red, double green, double blue) override;
  void HotkeyAction() override;
  void EndFrame() override;
  void CreateFont(const std::string& name, const std::string& face, int32_t size, int32_t a,
                  int32_t b) override;
  void Shutdown() override;
  int32_t Milliseconds() override;
  void ProcessMessages() override;
  void SetCloseHandler(std::function<void(int16_t& cancel)> handler) override;
  void BeginPass(int64_t pass, const KeySet* scripted) override;
  KeySet HeldKeys() override;
  void SetControlScreen(ControlScreen screen) override;
  char PickedCharacter() override;
  void Rumble(float strength, int32_t milliseconds) override;
  bool PlayerPressed() override { return playerPressed_; }

 private:
  enum class State { kCreated, kRunning, kShutDown };

  void RequireRunning(const char* operation) const;
  const Picture& RequirePicture(const Texture& texture, const char* operation) const;
  std::string FilePath(const std::string& name) const;
  void OpenWindow(int width, int height);
  void CreateRenderer();
  // Refuses SDL's invisible fallback drivers unless they were asked for.
  void RequireVisibleDisplay();
  void SetWindowIcon();
  void ForgetReleasedTextures();

  void StartPads();
  void HoldScripted(const KeySet& scripted);
  void PumpEvents();
  void HandleEvent(const SDL_Event& event);
  void RequestClose();
  void ToggleFullScreen();

  // Shows the frame, scaled into the window: through a GPU renderer, or
  // scaled by us straight into the window's own pixels.
  void Present();
  void PresentThroughRenderer();
  void PresentOnWindowSurface();
  // Logs a failure once and returns false: screenshots never stop the game.
  bool SaveFrame(const std::string& path);
  void SaveHotkeyScreenshot();
  // Logs a failed output once and counts it for the command line.
  void OutputFailed(const std::string& message);
  void CountFailedOutput();
  bool IsScreenshotPass() const;
  void LogPresent();
  void LogFrameHash();

  SdlEngineOptions options_;
  State state_ = State::kCreated;
  std::string programFolder_;
  uint32_t initializedSystems_ = 0;
  std::unique_ptr<Compositor> compositor_;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* frameTexture_ = nullptr;  // the compositor's frame, on its way to the screen
  FrameScaler scaler_;                   // without a renderer
  std::unique_ptr<FullScreenSwitch> fullScreen_;
  bool windowGone_ = false;
  bool iconSet_ = false;

  std::vector<std::weak_ptr<PictureTexture>> textures_;
  size_t pruneAt_ = 64;

  ControlInput controls_;
  SdlGamepads pads_;
  bool padsStarted_ = false;
  bool scriptPad_ = false;  // a script's pad is attached and drives the pad codes
  KeySet scriptKeys_;       // the script's keys last held on the live input
  bool replay_ = false;
  bool playerPressed_ = false;  // a live key or button went down in this pass's events
  int64_t pass_ = 0;
  std::function<void(int16_t& cancel)> closeHandler_;

  FramePacer pacer_;
  bool hotkeyPending_ = false;
  bool framedThisPass_ = true;  // EndFrame ran since the last BeginPass
  std::unique_ptr<AudioOutput> audio_;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> frameLog_{nullptr, &std::fclose};
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> frameHashes_{nullptr, &std::fclose};
};
