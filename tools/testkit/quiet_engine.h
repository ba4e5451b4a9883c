#pragma once
// The one stand-in for the media engine outside the real program. It draws
// and plays nothing and hands out named 640 x 480 pictures; the keys of each
// pass come from the replay, from `keysForPass`, or from the test.
//
// Silent, a call costs next to nothing, so the soak's generator and the
// benchmarks play millions of passes through it. Recording, it writes down
// every call with its arguments for the tests, and can fail chosen calls or
// ask for the window to close inside one.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "components/media/control_input.h"
#include "components/media/media_engine.h"

class QuietEngine : public MediaEngine {
 public:
  enum Mode { kSilent, kRecording };
  explicit QuietEngine(Mode mode = kSilent) : recording_(mode == kRecording) {}

  struct Call {
    std::string op;
    std::string args;  // comma-separated, as the game passed them
    std::string Text() const { return op + "(" + args + ")"; }
  };

  // --- keys and clock ---
  // The keys held in pass `pass`, asked once at its start when the shell
  // replays no script.
  std::function<KeySet(int64_t pass)> keysForPass;
  // Called as each pass begins, before its keys are taken: the game is as
  // the pass before left it.
  std::function<void(int64_t pass)> passBegins;
  // Keys held from the next snapshot on (taken now, as if a pass began).
  void HoldKeys(const KeySet& keys) { keys_.SampleFrom(keys); }
  void HoldKeys(std::initializer_list<int32_t> codes);
  // Each Milliseconds() call advances the clock by this much.
  void SetClockStep(int32_t ms) { clockStep_ = ms; }
  // Drawing calls so far, counted in either mode.
  int64_t DrawCalls() const { return drawCalls_; }

  // --- recording only ---
  // The n-th call (from 1) of `op` throws ComponentError; n = 0 fails every call.
  void FailCall(const std::string& op, int n = 0);
  // A window close is requested inside the n-th call of `op` (e.g.
  // "ProcessMessages" or "EndFrame"); the handler's answer is kept.
  void CloseDuring(const std::string& op, int n);
  const std::vector<Call>& Calls() const { return calls_; }
  std::vector<std::string> CallTexts() const;
  std::vector<Call> CallsOf(const std::string& op) const;
  int CountOf(const std::string& op) const;
  // Forgets the calls so far (failures and closes keep counting).
  void ClearCalls() { calls_.clear(); }
  std::vector<int16_t> CloseAnswers() const { return closeAnswers_; }

  // --- MediaEngine ---
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
  KeySet HeldKeys() override { return keys_.Input(); }
  void SetControlScreen(ControlScreen screen) override { keys_.SetScreen(screen); }
  char PickedCharacter() override { return keys_.PickedCharacter(); }
  void Rumble(float strength, int32_t milliseconds) override;
  // Answers PlayerPressed() from the pass given on (0 = never).
  int64_t playerPressesFrom = 0;
  bool PlayerPressed() override { return playerPressesFrom > 0 && pass_ >= playerPressesFrom; }
  // Each shake asked for, as "strength,milliseconds", recording or not.
  std::vector<std::string> rumbles;
  void SetKeyBindings(const KeyBindings& bindings) { keys_.SetBindings(bindings); }

 private:
  // Records the call, then closes or throws where the test asked to.
  void Record(const std::string& op, const std::string& args);
  void RequireRecording(const char* what) const;

  const bool recording_;
  std::vector<Call> calls_;
  std::map<std::string, int> counts_;
  std::map<std::string, std::vector<int>> failures_;
  std::map<std::string, std::vector<int>> closes_;
  ControlInput keys_;
  std::function<void(int16_t&)> closeHandler_;
  std::vector<int16_t> closeAnswers_;
  int64_t drawCalls_ = 0;
  int32_t clock_ = 0;
  int32_t clockStep_ = 100;
  int64_t pass_ = 0;
};

// Formats numbers the way the recording does ("%.9g").
std::string Num(double v);
