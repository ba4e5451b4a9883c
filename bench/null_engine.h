#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "components/media/keyboard_state.h"
#include "components/media/media_engine.h"

// A media engine that throws every picture, sound and frame away and answers
// only what the game asks back: keys (from the replay it is handed each pass),
// texture sizes and the clock. It stands in for the screen when we time the
// game's own rules and drawing decisions, with nothing of SDL in the way.
class NullEngine final : public MediaEngine {
 public:
  // Calls of the drawing operations since construction, so a benchmark can
  // prove the scene really asked for its pictures.
  int64_t DrawCalls() const { return drawCalls_; }
  int64_t Frames() const { return frames_; }

  void Initialize(const std::string&, float, float, bool, int32_t, int32_t, bool) override {}
  bool KeyHeld(int32_t scanCode) override { return keys_.Held(scanCode); }
  bool KeyUp(int32_t scanCode) override { return keys_.Up(scanCode); }
  bool KeyDown(int32_t scanCode) override { return keys_.Down(scanCode); }
  void ReadKeys() override {}
  void LoadSound(const std::string&, const std::string&) override {}
  void PlaySound(const std::string&, bool, int32_t, int32_t, int32_t) override {}
  void SetSoundVolume(const std::string&, int32_t) override {}
  void StopSound(const std::string&, bool) override {}
  void LoadTexture(Texture& out, const std::string& path, int32_t colorKey) override;
  void DrawImage(const Texture&, float, float, float, float, float, int16_t, float, float, float,
                 float, float, float) override {
    ++drawCalls_;
  }
  void DrawText(const Texture&, const std::string&, float, float, float, float, int32_t, float,
                float, float) override {
    ++drawCalls_;
  }
  void BeginFrame(int32_t, int32_t, int32_t) override {}
  void SetDrawColor(double, double, double) override {}
  void HotkeyAction() override {}
  void EndFrame() override { ++frames_; }
  void CreateFont(const std::string&, const std::string&, int32_t, int32_t, int32_t) override {}
  void Shutdown() override {}
  // A clock that moves 16 ms per question, so the game never waits on it.
  int32_t Milliseconds() override { return clock_ += 16; }
  void ProcessMessages() override {}
  void SetCloseHandler(std::function<void(int16_t& cancel)>) override {}
  void BeginPass(int64_t, const KeySet* scripted) override {
    if (scripted) {
      keys_.SampleFrom(*scripted);
    } else {
      keys_.SampleFrom(KeySet());
    }
  }
  KeySet HeldKeys() override { return keys_.HeldKeys(); }

 private:
  KeyboardState keys_;
  int64_t drawCalls_ = 0;
  int64_t frames_ = 0;
  int32_t clock_ = 0;
};
