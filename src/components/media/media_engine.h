#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "components/component_error.h"
#include "components/media/control_translator.h"
#include "components/media/key_codes.h"

// A picture owned by the engine. The game holds it through a Texture handle;
// dropping the last handle releases it.
class TextureObject {
 public:
  virtual ~TextureObject() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual const std::string& Name() const = 0;  // the path it was loaded from
};
using Texture = std::shared_ptr<TextureObject>;

// Everything the game draws, plays and reads goes through this interface.
// Every operation throws ComponentError on failure.
//
// The first block is the game's own vocabulary, in the order the game knows
// it. The second block is what the shell needs around it (clock, window
// messages, the close request, the per-pass key snapshot).
class MediaEngine {
 public:
  virtual ~MediaEngine() = default;

  // `a`, `b` and `c` are passed by the game as 0, 0 and True and mean nothing.
  virtual void Initialize(const std::string& programFolder, float width, float height,
                          bool fullScreen, int32_t a, int32_t b, bool c) = 0;
  virtual bool KeyHeld(int32_t scanCode) = 0;
  virtual bool KeyUp(int32_t scanCode) = 0;
  virtual bool KeyDown(int32_t scanCode) = 0;
  virtual void ReadKeys() = 0;
  virtual void LoadSound(const std::string& name, const std::string& path) = 0;
  // `rate` is the playback rate in kHz; 0 plays at the file's own rate.
  virtual void PlaySound(const std::string& name, bool loop, int32_t volume, int32_t balance,
                         int32_t rate) = 0;
  virtual void SetSoundVolume(const std::string& name, int32_t volume) = 0;
  virtual void StopSound(const std::string& name, bool flag) = 0;
  virtual void LoadTexture(Texture& out, const std::string& path, int32_t colorKey) = 0;
  virtual void DrawImage(const Texture& texture, float x, float y, float sourceWidth,
                         float sourceHeight, float angle, int16_t opacity, float sourceX,
                         float sourceY, float drawnWidth, float drawnHeight, float pivotX,
                         float pivotY) = 0;
  virtual void DrawText(const Texture& font, const std::string& text, float x, float y, float scale,
                        float zero, int32_t opacity, float red, float green, float blue) = 0;
  virtual void BeginFrame(int32_t red, int32_t green, int32_t blue) = 0;
  virtual void SetDrawColor(double red, double green, double blue) = 0;
  virtual void HotkeyAction() = 0;
  virtual void EndFrame() = 0;
  virtual void CreateFont(const std::string& name, const std::string& face, int32_t size, int32_t a,
                          int32_t b) = 0;
  virtual void Shutdown() = 0;

  // Milliseconds since some fixed moment; wraps like any 32-bit tick counter.
  virtual int32_t Milliseconds() = 0;
  // Handles pending window events (close requests, resizes, key events).
  virtual void ProcessMessages() = 0;
  // Called with the cancel flag when the player asks to close the window. A
  // handler that leaves it 0 lets the window go.
  virtual void SetCloseHandler(std::function<void(int16_t& cancel)> handler) = 0;
  // Start of main-loop pass `pass` (from 1): takes the key snapshot the
  // pass's routines will see, from the live keyboard or, when `scripted` is
  // given, from a replay.
  virtual void BeginPass(int64_t pass, const KeySet* scripted) = 0;
  // The input of the current snapshot, keys and pad buttons as they were
  // held, before any translation (what a recording writes).
  virtual KeySet HeldKeys() = 0;
  // The screen the coming pass runs (told before BeginPass): a pad, and the
  // remapped keys, mean different keys on each.
  virtual void SetControlScreen(ControlScreen screen) = 0;
  // What the name entry's cursor shows while a pad types, else 0.
  virtual char PickedCharacter() = 0;
  // A short shake of the pads, strength 0 to 1; nothing without one that can.
  virtual void Rumble(float strength, int32_t milliseconds) = 0;
  // Whether the player pressed a key or a pad button while the last pass's
  // snapshot was taken, even when a replay played the game's keys: how a
  // watched replay is left.
  virtual bool PlayerPressed() = 0;
};
