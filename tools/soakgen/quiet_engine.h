#pragma once
// A media engine that draws and plays nothing: it only answers the keys of
// each pass, from the director. The soak's script writer plays a million
// passes through it in seconds, where a recording engine would spend most of
// its time writing down calls nobody reads.
#include <functional>
#include <string>

#include "components/media/keyboard_state.h"
#include "components/media/media_engine.h"

class QuietEngine : public MediaEngine {
 public:
  // The keys held in pass `pass`, asked once at its start.
  std::function<KeySet(int64_t pass)> keysForPass;

  void Initialize(const std::string&, float, float, bool, int32_t, int32_t, bool) override {}
  bool KeyHeld(int32_t code) override { return keys_.Held(code); }
  bool KeyUp(int32_t code) override { return keys_.Up(code); }
  bool KeyDown(int32_t code) override { return keys_.Down(code); }
  void ReadKeys() override {}
  void LoadSound(const std::string&, const std::string&) override {}
  void PlaySound(const std::string&, bool, int32_t, int32_t, int32_t) override {}
  void SetSoundVolume(const std::string&, int32_t) override {}
  void StopSound(const std::string&, bool) override {}
  void LoadTexture(Texture& out, const std::string& path, int32_t colorKey) override;
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
  // The clock only times the logo wait, which headless runs skip; a still
  // one keeps the session reproducible all the same.
  int32_t Milliseconds() override { return 0; }
  void ProcessMessages() override {}
  void SetCloseHandler(std::function<void(int16_t&)>) override {}
  void BeginPass(int64_t pass, const KeySet* scripted) override;
  KeySet HeldKeys() override { return keys_.HeldKeys(); }

 private:
  KeyboardState keys_;
};
