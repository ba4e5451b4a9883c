#include "sound_synth.h"

#include <algorithm>
#include <cmath>

Signal WhiteNoise(size_t count, ArtRandom& random) {
  Signal s(count);
  for (auto& v : s) v = static_cast<float>(random.Uniform() * 2.0 - 1.0);
  return s;
}

void Biquad::Tune(double frequency, double q) {
  const double w0 = kTwoPi * std::clamp(frequency, 1.0, rate_ * 0.49) / rate_;
  const double cosW = std::cos(w0);
  const double alpha = std::sin(w0) / (2.0 * q);
  const double a0 = 1.0 + alpha;
  double b0 = 0, b1 = 0, b2 = 0;
  switch (kind_) {
    case Kind::kLowPass:
      b0 = (1.0 - cosW) / 2.0;
      b1 = 1.0 - cosW;
      b2 = b0;
      break;
    case Kind::kHighPass:
      b0 = (1.0 + cosW) / 2.0;
      b1 = -(1.0 + cosW);
      b2 = b0;
      break;
    case Kind::kBandPass:  // 0 dB at the centre
      b0 = alpha;
      b1 = 0.0;
      b2 = -alpha;
      break;
  }
  b0_ = b0 / a0;
  b1_ = b1 / a0;
  b2_ = b2 / a0;
  a1_ = -2.0 * cosW / a0;
  a2_ = (1.0 - alpha) / a0;
}

namespace {

// The correction that smooths a wave's jump over the sample it falls in.
double PolyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

}  // namespace

double Oscillator::Advance(double hz, int rate) {
  const double now = phase_;
  phase_ += hz / rate;
  phase_ -= std::floor(phase_);
  return now;
}

float Oscillator::Sine(double hz, int rate) {
  return static_cast<float>(std::sin(kTwoPi * Advance(hz, rate)));
}

float Oscillator::Saw(double hz, int rate) {
  const double dt = hz / rate;
  const double t = Advance(hz, rate);
  return static_cast<float>(2.0 * t - 1.0 - PolyBlep(t, dt));
}

float Oscillator::Square(double hz, int rate, double width) {
  const double dt = hz / rate;
  const double t = Advance(hz, rate);
  double v = t < width ? 1.0 : -1.0;
  v += PolyBlep(t, dt);
  double t2 = t + 1.0 - width;
  t2 -= std::floor(t2);
  v -= PolyBlep(t2, dt);
  return static_cast<float>(v);
}

float Oscillator::Triangle(double hz, int rate) {
  // Its harmonics fall fast enough that the plain shape does not alias audibly.
  const double t = Advance(hz, rate);
  return static_cast<float>(t < 0.5 ? 4.0 * t - 1.0 : 3.0 - 4.0 * t);
}

Reverb::Reverb(int rate, double size, double damping)
    : feedback_(static_cast<float>(0.7 + 0.28 * size)), damping_(static_cast<float>(damping)) {
  // Mutually prime lengths (in samples at 44.1 kHz) keep the echoes from
  // piling up into a metallic ring.
  const int combLengths[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  const int allPassLengths[] = {556, 441, 341, 225};
  const double scale = rate / 44100.0;
  for (int len : combLengths) {
    Line line;
    line.buffer.assign(static_cast<size_t>(std::max(1.0, len * scale * (0.6 + 0.6 * size))), 0.0f);
    combs_.push_back(std::move(line));
  }
  for (int len : allPassLengths) {
    Line line;
    line.buffer.assign(static_cast<size_t>(std::max(1.0, len * scale)), 0.0f);
    allPasses_.push_back(std::move(line));
  }
}

float Reverb::Step(float x) {
  const float in = x * 0.12f;
  float out = 0.0f;
  for (auto& c : combs_) {
    const float delayed = c.buffer[c.pos];
    c.filter = delayed * (1.0f - damping_) + c.filter * damping_;
    c.buffer[c.pos] = in + c.filter * feedback_;
    c.pos = (c.pos + 1) % c.buffer.size();
    out += delayed;
  }
  for (auto& a : allPasses_) {
    const float delayed = a.buffer[a.pos];
    a.buffer[a.pos] = out + delayed * 0.5f;
    a.pos = (a.pos + 1) % a.buffer.size();
    out = delayed - out;
  }
  return out;
}

Echo::Echo(int rate, double delaySeconds, double feedback, double toneHz)
    : line_(std::max<size_t>(1, Samples(delaySeconds, rate)), 0.0f),
      feedback_(static_cast<float>(feedback)),
      tone_(rate, toneHz) {}

float Echo::Step(float x) {
  const float delayed = line_[pos_];
  line_[pos_] = x + tone_.Step(delayed) * feedback_;
  pos_ = (pos_ + 1) % line_.size();
  return delayed;
}

void MixAt(Signal& dst, const Signal& src, size_t at, float gain) {
  for (size_t i = 0; i < src.size() && at + i < dst.size(); ++i) dst[at + i] += src[i] * gain;
}

void MixWrapped(Signal& dst, const Signal& src, size_t at, float gain) {
  if (dst.empty()) return;
  for (size_t i = 0; i < src.size(); ++i) dst[(at + i) % dst.size()] += src[i] * gain;
}

void FadeEdges(Signal& s, int rate, double inSeconds, double outSeconds) {
  const size_t in = std::min(s.size(), Samples(inSeconds, rate));
  const size_t out = std::min(s.size(), Samples(outSeconds, rate));
  for (size_t i = 0; i < in; ++i) s[i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * i / in));
  for (size_t i = 0; i < out; ++i) {
    // Reaches exactly zero on the last sample.
    s[s.size() - 1 - i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * i / out));
  }
}

float AttackDecay(double t, double attack, double decay) {
  if (t < 0) return 0.0f;
  if (t < attack) return static_cast<float>(0.5 - 0.5 * std::cos(kPi * t / attack));
  return static_cast<float>(std::exp(-(t - attack) / decay));
}

double Rms(const Signal& s) {
  if (s.empty()) return 0.0;
  double sum = 0.0;
  for (float v : s) sum += static_cast<double>(v) * v;
  return std::sqrt(sum / s.size());
}

double Peak(const Signal& s) {
  double peak = 0.0;
  for (float v : s) peak = std::max(peak, static_cast<double>(std::fabs(v)));
  return peak;
}

void Level(Signal& s, double rms, double peakCeiling) {
  const double r = Rms(s);
  const double p = Peak(s);
  if (r <= 0.0 || p <= 0.0) return;
  const auto gain = static_cast<float>(std::min(rms / r, peakCeiling / p));
  for (auto& v : s) v *= gain;
}

Pcm ToPcm(const Signal& s, int rate) {
  Pcm pcm;
  pcm.rate = rate;
  pcm.channels = 1;
  pcm.samples.reserve(s.size());
  for (float v : s) {
    const double scaled = std::clamp(static_cast<double>(v), -1.0, 1.0) * 32767.0;
    pcm.samples.push_back(static_cast<int16_t>(std::lround(scaled)));
  }
  return pcm;
}

Signal LoopCurve(size_t count, int minCycles, int maxCycles, ArtRandom& random) {
  struct Partial {
    int cycles;
    double amplitude, phase;
  };
  std::vector<Partial> partials;
  for (int k = minCycles; k <= maxCycles; ++k) {
    const double amplitude = random.Range(0.3, 1.0) / std::sqrt(static_cast<double>(k));
    partials.push_back(Partial{k, amplitude, random.Range(0.0, kTwoPi)});
  }
  // Evaluated every few samples and joined by straight lines: the curve moves
  // far slower than the control rate.
  constexpr size_t kStep = 32;
  const size_t points = (count + kStep - 1) / kStep;
  std::vector<double> control(points + 1, 0.0);
  for (size_t p = 0; p < points; ++p) {
    for (const auto& part : partials) {
      control[p] +=
          part.amplitude *
          std::sin(kTwoPi * part.cycles * static_cast<double>(p * kStep) / count + part.phase);
    }
  }
  control[points] = control[0];
  Signal curve(count);
  double peak = 1e-9;
  for (size_t i = 0; i < count; ++i) {
    const size_t p = i / kStep;
    const double x0 = static_cast<double>(p * kStep);
    const double x1 = std::min(static_cast<double>((p + 1) * kStep), static_cast<double>(count));
    const double f = (static_cast<double>(i) - x0) / (x1 - x0);
    curve[i] = static_cast<float>(control[p] + (control[p + 1] - control[p]) * f);
    peak = std::max(peak, static_cast<double>(std::fabs(curve[i])));
  }
  for (auto& v : curve) v = static_cast<float>(v / peak);
  return curve;
}

Signal NoiseBurst(int rate, double seconds, double attack, double decay, Biquad::Kind kind,
                  double hz, double q, ArtRandom& random) {
  Signal s = WhiteNoise(Samples(seconds, rate), random);
  Biquad filter(kind, rate, hz, q);
  for (size_t i = 0; i < s.size(); ++i) {
    s[i] = filter.Step(s[i]) * AttackDecay(static_cast<double>(i) / rate, attack, decay);
  }
  return s;
}

void StartAtQuietPoint(Signal& loop) {
  if (loop.size() < 2) return;
  size_t best = 0;
  float bestScore = 1e9f;
  for (size_t k = 0; k < loop.size(); ++k) {
    const float previous = loop[(k + loop.size() - 1) % loop.size()];
    const float score = std::fabs(loop[k]) + std::fabs(loop[k] - previous);
    if (score < bestScore) {
      bestScore = score;
      best = k;
    }
  }
  std::rotate(loop.begin(), loop.begin() + static_cast<std::ptrdiff_t>(best), loop.end());
}

void FinishLoop(Signal& loop, double rms, int rate, const std::string& path) {
  StartAtQuietPoint(loop);
  Level(loop, rms);
  WriteWav(path, ToPcm(loop, rate));
}

void FinishOneShot(Signal& s, int rate, double fadeIn, double fadeOut, double peakCeiling,
                   const std::string& path) {
  FadeEdges(s, rate, fadeIn, fadeOut);
  Level(s, 1.0, peakCeiling);
  WriteWav(path, ToPcm(s, rate));
}
