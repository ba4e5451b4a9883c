#pragma once
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio.h"
#include "components/media/keyboard_state.h"
#include "components/media/media_engine.h"
#include "sdl_blend.h"
#include "sdl_draw_geometry.h"
#include "sdl_engine.h"
#include "sdl_pacer.h"
#include "sdl_texture.h"

// The pixels of one frame, ARGB8888, `pitch` pixels per row.
struct CapturedFrame {
  int width = 0;
  int height = 0;
  int pitch = 0;
  std::vector<uint32_t> argb;
};

// MediaEngine on SDL2. One window (or, headless, one software surface), one
// renderer, the textures made on it, the keyboard as the game sees it, and
// the sound output.
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

  // For tests: the pixels of the render target as they stand (headless: the
  // frame last drawn), and whether a close request let the window go.
  CapturedFrame ReadTarget();
  bool WindowGone() const { return windowGone_; }
  AudioOutput* Audio() { return audio_.get(); }

 private:
  enum class State { kCreated, kRunning, kShutDown };

  void RequireRunning(const char* operation) const;
  SdlTexture& RequireTexture(const Texture& texture, const char* operation) const;
  std::string FilePath(const std::string& name) const;
  void CreateWindowAndRenderer(int width, int height, bool fullScreen);
  void CreateHeadlessTarget(int width, int height);
  // Refuses SDL's invisible fallback drivers unless they were asked for.
  void RequireVisibleDisplay();
  void SetWindowIcon();
  void ForgetReleasedTextures();
  // Draws an unturned picture cut down to its visible box; false when the
  // draw must go the plain way.
  bool DrawTrimmed(const SdlTexture& tex, const DrawPlacement& place);
  // A faded or tinted copy blended straight into the software frame; false
  // when SDL must do it.
  bool BlendOnTarget(const SdlTexture& tex, const SDL_Rect& source, const SDL_Rect& dest);
  // A turned picture worked out as SDL's software renderer would, without
  // its temporary surfaces; false when SDL must do it.
  bool DrawTurned(const SdlTexture& tex, const DrawPlacement& place, float angle);
  // The frame's own pixels when drawing straight into them gives what SDL
  // would; null when it would not.
  SDL_Surface* DirectTarget();
  // The texture's colour and alpha modulation; true when it changes pixels.
  bool ReadModulation(const SdlTexture& tex, BlendModulation& modulation) const;
  // A faded or tinted blend of `pixels` onto the frame at (x, y), clipped.
  void BlendOnto(SDL_Surface* target, const uint32_t* pixels, int pitch, int x, int y, int width,
                 int height, const BlendModulation& modulation);

  void PumpEvents();
  void HandleEvent(const SDL_Event& event);
  void RequestClose();
  void ToggleFullScreen();

  bool CaptureInto(CapturedFrame& frame);
  // Logs a failure once and returns false: screenshots never stop the game.
  bool SaveCaptured(const std::string& path);
  void SaveHotkeyScreenshot();
  bool IsScreenshotPass() const;
  void LogPresent();

  SdlEngineOptions options_;
  State state_ = State::kCreated;
  std::string programFolder_;
  uint32_t initializedSystems_ = 0;
  SDL_Window* window_ = nullptr;
  SDL_Surface* headlessTarget_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  bool fullScreen_ = false;
  bool softwareRenderer_ = false;
  int frameWidth_ = 0;  // the game's page, whatever the window's size
  int frameHeight_ = 0;
  bool windowGone_ = false;
  bool iconSet_ = false;

  std::vector<std::weak_ptr<SdlTexture>> textures_;
  size_t pruneAt_ = 64;
  uint8_t tint_[3] = {255, 255, 255};
  SDL_Surface* turnScratch_ = nullptr;  // where DrawTurned builds its box

  KeyboardState keyboard_;
  bool replay_ = false;
  int64_t pass_ = 0;
  std::function<void(int16_t& cancel)> closeHandler_;

  FramePacer pacer_;
  bool hotkeyPending_ = false;
  bool framedThisPass_ = true;  // EndFrame ran since the last BeginPass
  CapturedFrame captured_;
  std::unique_ptr<AudioOutput> audio_;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> frameLog_{nullptr, &std::fclose};
};
