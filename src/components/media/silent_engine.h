#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "components/media/control_input.h"
#include "components/media/media_engine.h"

// An engine with no window, no sound and no pictures, for a round the player
// never sees or hears: a replay being checked, or the ghost raced against.
// Its keys come from the replay, through the same translation as a real
// engine's, so a pad's buttons mean on each screen what they meant live.
class SilentEngine : public MediaEngine {
 public:
  void Initialize(const std::string&, float, float, bool, int32_t, int32_t, bool) override {}
  bool KeyHeld(int32_t code) override { return keys_.Held(code); }
  bool KeyUp(int32_t code) override { return keys_.Up(code); }
  bool KeyDown(int32_t code) override { return keys_.Down(code); }
  void ReadKeys() override {}
  void LoadSound(const std::string&, const std::string&) override {}
  void PlaySound(const std::string&, bool, int32_t, int32_t, int32_t) override {}
  void SetSoundVolume(const std::string&, int32_t) override {}
  void StopSound(const std::string&, bool) override {}
  void LoadTexture(Texture&, const std::string&, int32_t) override {}
  void DrawImage(const Texture&, float, float, float, float, float, int16_t, float, float, float,
                 float, float, float) override {}
  void DrawText(const Texture&, const std::string&, float, float, float, float, int32_t, float,
                float, float) override {}
  void BeginFrame(int32_t, int32_t, int32_t) override {}
  void SetDrawColor(double, double, double) override {}
  void HotkeyAction() override {}
  void EndFrame() override {}
  void CreateFont(const std::string&, const std::string&, int32_t, int32_t, int32_t) override {}
  void Shutdown() override {}
  int32_t Milliseconds() override { return 0; }
  void ProcessMessages() override {}
  void SetCloseHandler(std::function<void(int16_t&)>) override {}
  void BeginPass(int64_t, const KeySet* scripted) override {
    keys_.SampleFrom(scripted ? *scripted : KeySet());
  }
  KeySet HeldKeys() override { return keys_.Input(); }
  void SetControlScreen(ControlScreen screen) override { keys_.SetScreen(screen); }
  char PickedCharacter() override { return keys_.PickedCharacter(); }
  void Rumble(float, int32_t) override {}
  bool PlayerPressed() override { return false; }

 private:
  ControlInput keys_;
};
