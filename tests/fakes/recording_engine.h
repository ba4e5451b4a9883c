#pragma once
#include <map>
#include <string>
#include <vector>

#include "components/media/keyboard_state.h"
#include "components/media/media_engine.h"

// A media engine for tests: records every call with its arguments, answers
// key questions from keys the test sets, and fails chosen calls.
class RecordingEngine : public MediaEngine {
 public:
  struct Call {
    std::string op;
    std::string args;  // comma-separated, as the game passed them
    std::string Text() const { return op + "(" + args + ")"; }
  };

  // --- test controls ---
  // The n-th call (from 1) of `op` throws ComponentError; n = 0 fails every call.
  void FailCall(const std::string& op, int n = 0);
  // Keys held from the next snapshot on (taken now, as if a pass began).
  void HoldKeys(const KeySet& keys);
  void HoldKeys(std::initializer_list<int32_t> codes);
  // Keys for main-loop pass `pass` when the shell passes no script of its own.
  void SetPassKeys(int64_t pass, const KeySet& keys);
  // Each Milliseconds() call advances the fake clock by this much.
  void SetClockStep(int32_t ms) { clockStep_ = ms; }
  // A window close is requested inside the n-th call of `op` (e.g.
  // "ProcessMessages" or "EndFrame"); the handler's answer is recorded.
  void CloseDuring(const std::string& op, int n);
  // Asks the close handler now; returns the cancel flag it left.
  int16_t RequestClose();

  const std::vector<Call>& Calls() const { return calls_; }
  std::vector<std::string> CallTexts() const;
  // Calls of one operation only.
  std::vector<Call> CallsOf(const std::string& op) const;
  int CountOf(const std::string& op) const;
  // Forgets the calls so far (and their counts; failures keep counting).
  void ClearCalls() { calls_.clear(); }
  std::vector<int16_t> CloseAnswers() const { return closeAnswers_; }
  int64_t CurrentPass() const { return pass_; }

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
  KeySet HeldKeys() override;

 private:
  // Records the call, then throws if the test asked this call to fail.
  void Record(const std::string& op, const std::string& args);

  std::vector<Call> calls_;
  std::map<std::string, int> counts_;
  std::map<std::string, std::vector<int>> failures_;
  std::map<std::string, std::vector<int>> closes_;
  std::map<int64_t, KeySet> passKeys_;
  KeyboardState keys_;
  std::function<void(int16_t&)> closeHandler_;
  std::vector<int16_t> closeAnswers_;
  int32_t clock_ = 0;
  int32_t clockStep_ = 100;
  int64_t pass_ = 0;
};

// Formats numbers the way the recording does ("%.9g").
std::string Num(double v);
