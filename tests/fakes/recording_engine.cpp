#include "fakes/recording_engine.h"

#include <algorithm>
#include <cstdio>

namespace {

class FakeTexture : public TextureObject {
 public:
  explicit FakeTexture(std::string name) : name_(std::move(name)) {}
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

void RecordingEngine::FailCall(const std::string& op, int n) { failures_[op].push_back(n); }

void RecordingEngine::HoldKeys(const KeySet& keys) { keys_.SampleFrom(keys); }

void RecordingEngine::HoldKeys(std::initializer_list<int32_t> codes) {
  KeySet keys;
  for (int32_t c : codes) keys.set(static_cast<size_t>(c));
  HoldKeys(keys);
}

void RecordingEngine::SetPassKeys(int64_t pass, const KeySet& keys) { passKeys_[pass] = keys; }

void RecordingEngine::CloseDuring(const std::string& op, int n) { closes_[op].push_back(n); }

int16_t RecordingEngine::RequestClose() {
  int16_t cancel = 0;
  if (closeHandler_) closeHandler_(cancel);
  closeAnswers_.push_back(cancel);
  return cancel;
}

std::vector<std::string> RecordingEngine::CallTexts() const {
  std::vector<std::string> out;
  out.reserve(calls_.size());
  for (const auto& c : calls_) out.push_back(c.Text());
  return out;
}

std::vector<RecordingEngine::Call> RecordingEngine::CallsOf(const std::string& op) const {
  std::vector<Call> out;
  for (const auto& c : calls_)
    if (c.op == op) out.push_back(c);
  return out;
}

int RecordingEngine::CountOf(const std::string& op) const {
  int n = 0;
  for (const auto& c : calls_) n += c.op == op;
  return n;
}

void RecordingEngine::Record(const std::string& op, const std::string& args) {
  calls_.push_back(Call{op, args});
  const int n = ++counts_[op];
  auto close = closes_.find(op);
  if (close != closes_.end() &&
      std::find(close->second.begin(), close->second.end(), n) != close->second.end())
    RequestClose();
  auto fail = failures_.find(op);
  if (fail == failures_.end()) return;
  for (int k : fail->second)
    if (k == 0 || k == n) throw ComponentError(op, "injected failure #" + std::to_string(n));
}

void RecordingEngine::Initialize(const std::string& programFolder, float width, float height,
                                 bool fullScreen, int32_t a, int32_t b, bool c) {
  Record("Initialize", Join({Q(programFolder), Num(width), Num(height), B(fullScreen),
                             Num(a), Num(b), B(c)}));
}

bool RecordingEngine::KeyHeld(int32_t code) {
  Record("KeyHeld", Num(code));
  return keys_.Held(code);
}

bool RecordingEngine::KeyUp(int32_t code) {
  Record("KeyUp", Num(code));
  return keys_.Up(code);
}

bool RecordingEngine::KeyDown(int32_t code) {
  Record("KeyDown", Num(code));
  return keys_.Down(code);
}

void RecordingEngine::ReadKeys() { Record("ReadKeys", ""); }

void RecordingEngine::LoadSound(const std::string& name, const std::string& path) {
  Record("LoadSound", Join({Q(name), Q(path)}));
}

void RecordingEngine::PlaySound(const std::string& name, bool loop, int32_t volume,
                                int32_t balance, int32_t rate) {
  Record("PlaySound", Join({Q(name), B(loop), Num(volume), Num(balance), Num(rate)}));
}

void RecordingEngine::SetSoundVolume(const std::string& name, int32_t volume) {
  Record("SetSoundVolume", Join({Q(name), Num(volume)}));
}

void RecordingEngine::StopSound(const std::string& name, bool flag) {
  Record("StopSound", Join({Q(name), B(flag)}));
}

void RecordingEngine::LoadTexture(Texture& out, const std::string& path, int32_t colorKey) {
  Record("LoadTexture", Join({Q(path), Num(colorKey)}));
  out = std::make_shared<FakeTexture>(path);
}

void RecordingEngine::DrawImage(const Texture& t, float x, float y, float sw, float sh,
                                float angle, int16_t opacity, float sx, float sy, float dw,
                                float dh, float px, float py) {
  Record("DrawImage", Join({Tex(t), Num(x), Num(y), Num(sw), Num(sh), Num(angle), Num(opacity),
                            Num(sx), Num(sy), Num(dw), Num(dh), Num(px), Num(py)}));

}

void RecordingEngine::DrawText(const Texture& font, const std::string& text, float x, float y,
                               float scale, float zero, int32_t opacity, float r, float g,
                               float b) {
  Record("DrawText", Join({Tex(font), Q(text), Num(x), Num(y), Num(scale), Num(zero),
                           Num(opacity), Num(r), Num(g), Num(b)}));

}

void RecordingEngine::BeginFrame(int32_t r, int32_t g, int32_t b) {
  Record("BeginFrame", Join({Num(r), Num(g), Num(b)}));
}

void RecordingEngine::SetDrawColor(double r, double g, double b) {
  Record("SetDrawColor", Join({Num(r), Num(g), Num(b)}));
}

void RecordingEngine::HotkeyAction() { Record("HotkeyAction", ""); }
void RecordingEngine::EndFrame() { Record("EndFrame", ""); }

void RecordingEngine::CreateFont(const std::string& name, const std::string& face, int32_t size,
                                 int32_t a, int32_t b) {
  Record("CreateFont", Join({Q(name), Q(face), Num(size), Num(a), Num(b)}));
}

void RecordingEngine::Shutdown() { Record("Shutdown", ""); }

int32_t RecordingEngine::Milliseconds() {
  // Not recorded: the logo wait asks it in a loop.
  clock_ += clockStep_;
  return clock_;
}

void RecordingEngine::ProcessMessages() { Record("ProcessMessages", ""); }

void RecordingEngine::SetCloseHandler(std::function<void(int16_t&)> handler) {
  closeHandler_ = std::move(handler);
}

void RecordingEngine::BeginPass(int64_t pass, const KeySet* scripted) {
  pass_ = pass;
  if (scripted) {
    keys_.SampleFrom(*scripted);
  } else {
    auto it = passKeys_.find(pass);
    keys_.SampleFrom(it == passKeys_.end() ? KeySet() : it->second);
  }
  Record("BeginPass", Num(static_cast<double>(pass)));
}

KeySet RecordingEngine::HeldKeys() { return keys_.HeldKeys(); }
