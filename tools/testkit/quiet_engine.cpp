#include "testkit/quiet_engine.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <utility>

namespace {

// Every picture loads, as it does for the real program on the built files.
class QuietTexture : public TextureObject {
 public:
  explicit QuietTexture(std::string name) : name_(std::move(name)) {}
  int Width() const override { return 640; }
  int Height() const override { return 480; }
  const std::string& Name() const override { return name_; }

 private:
  std::string name_;
};

std::string B(bool v) { return v ? "True" : "False"; }
std::string Q(const std::string& s) { return "\"" + s + "\""; }
std::string Tex(const Texture& t) { return t ? t->Name() : std::string("<none>"); }

std::string Join(std::initializer_list<std::string> parts) {
  std::string out;
  for (const auto& p : parts) {
    if (!out.empty()) out += ",";
    out += p;
  }
  return out;
}

}  // namespace

std::string Num(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.9g", v);
  return buf;
}

void QuietEngine::HoldKeys(std::initializer_list<int32_t> codes) {
  KeySet keys;
  for (int32_t c : codes) keys.set(static_cast<size_t>(c));
  HoldKeys(keys);
}

// A failure or close asked of a silent engine would silently never happen.
void QuietEngine::RequireRecording(const char* what) const {
  if (!recording_) throw std::logic_error(std::string(what) + " needs a recording engine");
}

void QuietEngine::FailCall(const std::string& op, int n) {
  RequireRecording("FailCall");
  failures_[op].push_back(n);
}

void QuietEngine::CloseDuring(const std::string& op, int n) {
  RequireRecording("CloseDuring");
  closes_[op].push_back(n);
}

std::vector<std::string> QuietEngine::CallTexts() const {
  std::vector<std::string> out;
  out.reserve(calls_.size());
  for (const auto& c : calls_) out.push_back(c.Text());
  return out;
}

std::vector<QuietEngine::Call> QuietEngine::CallsOf(const std::string& op) const {
  std::vector<Call> out;
  for (const auto& c : calls_)
    if (c.op == op) out.push_back(c);
  return out;
}

int QuietEngine::CountOf(const std::string& op) const {
  int n = 0;
  for (const auto& c : calls_) n += c.op == op;
  return n;
}

void QuietEngine::Record(const std::string& op, const std::string& args) {
  calls_.push_back(Call{op, args});
  const int n = ++counts_[op];
  auto close = closes_.find(op);
  if (close != closes_.end() &&
      std::find(close->second.begin(), close->second.end(), n) != close->second.end()) {
    int16_t cancel = 0;
    if (closeHandler_) closeHandler_(cancel);
    closeAnswers_.push_back(cancel);
  }
  auto fail = failures_.find(op);
  if (fail == failures_.end()) return;
  for (int k : fail->second)
    if (k == 0 || k == n) throw ComponentError(op, "injected failure #" + std::to_string(n));
}

void QuietEngine::Initialize(const std::string& programFolder, float width, float height,
                             bool fullScreen, int32_t a, int32_t b, bool c) {
  if (recording_)
    Record("Initialize",
           Join({Q(programFolder), Num(width), Num(height), B(fullScreen), Num(a), Num(b), B(c)}));
}

bool QuietEngine::KeyHeld(int32_t code) {
  if (recording_) Record("KeyHeld", Num(code));
  return keys_.Held(code);
}

bool QuietEngine::KeyUp(int32_t code) {
  if (recording_) Record("KeyUp", Num(code));
  return keys_.Up(code);
}

bool QuietEngine::KeyDown(int32_t code) {
  if (recording_) Record("KeyDown", Num(code));
  return keys_.Down(code);
}

void QuietEngine::ReadKeys() {
  if (recording_) Record("ReadKeys", "");
}

void QuietEngine::LoadSound(const std::string& name, const std::string& path) {
  if (recording_) Record("LoadSound", Join({Q(name), Q(path)}));
}

void QuietEngine::PlaySound(const std::string& name, bool loop, int32_t volume, int32_t balance,
                            int32_t rate) {
  if (recording_)
    Record("PlaySound", Join({Q(name), B(loop), Num(volume), Num(balance), Num(rate)}));
}

void QuietEngine::SetSoundVolume(const std::string& name, int32_t volume) {
  if (recording_) Record("SetSoundVolume", Join({Q(name), Num(volume)}));
}

void QuietEngine::StopSound(const std::string& name, bool flag) {
  if (recording_) Record("StopSound", Join({Q(name), B(flag)}));
}

void QuietEngine::LoadTexture(Texture& out, const std::string& path, int32_t colorKey) {
  if (recording_) Record("LoadTexture", Join({Q(path), Num(colorKey)}));
  out = std::make_shared<QuietTexture>(path);
}

void QuietEngine::DrawImage(const Texture& t, float x, float y, float sw, float sh, float angle,
                            int16_t opacity, float sx, float sy, float dw, float dh, float px,
                            float py) {
  ++drawCalls_;
  if (recording_)
    Record("DrawImage", Join({Tex(t), Num(x), Num(y), Num(sw), Num(sh), Num(angle), Num(opacity),
                              Num(sx), Num(sy), Num(dw), Num(dh), Num(px), Num(py)}));
}

void QuietEngine::DrawText(const Texture& font, const std::string& text, float x, float y,
                           float scale, float zero, int32_t opacity, float r, float g, float b) {
  ++drawCalls_;
  if (recording_)
    Record("DrawText", Join({Tex(font), Q(text), Num(x), Num(y), Num(scale), Num(zero),
                             Num(opacity), Num(r), Num(g), Num(b)}));
}

void QuietEngine::BeginFrame(int32_t r, int32_t g, int32_t b) {
  if (recording_) Record("BeginFrame", Join({Num(r), Num(g), Num(b)}));
}

void QuietEngine::SetDrawColor(double r, double g, double b) {
  if (recording_) Record("SetDrawColor", Join({Num(r), Num(g), Num(b)}));
}

void QuietEngine::HotkeyAction() {
  if (recording_) Record("HotkeyAction", "");
}

void QuietEngine::EndFrame() {
  if (recording_) Record("EndFrame", "");
}

void QuietEngine::CreateFont(const std::string& name, const std::string& face, int32_t size,
                             int32_t a, int32_t b) {
  if (recording_) Record("CreateFont", Join({Q(name), Q(face), Num(size), Num(a), Num(b)}));
}

void QuietEngine::Shutdown() {
  if (recording_) Record("Shutdown", "");
}

int32_t QuietEngine::Milliseconds() {
  // Not recorded: the logo wait asks it in a loop.
  clock_ += clockStep_;
  return clock_;
}

void QuietEngine::ProcessMessages() {
  if (recording_) Record("ProcessMessages", "");
}

void QuietEngine::SetCloseHandler(std::function<void(int16_t&)> handler) {
  closeHandler_ = std::move(handler);
}

void QuietEngine::Rumble(float strength, int32_t milliseconds) {
  rumbles.push_back(Num(strength) + "," + Num(milliseconds));
  if (recording_) Record("Rumble", rumbles.back());
}

void QuietEngine::BeginPass(int64_t pass, const KeySet* scripted) {
  if (passBegins) passBegins(pass);
  pass_ = pass;
  if (scripted)
    keys_.SampleFrom(*scripted);
  else
    keys_.SampleFrom(keysForPass ? keysForPass(pass) : KeySet());
  if (recording_) Record("BeginPass", Num(static_cast<double>(pass)));
}
