#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"
#include "file_writers.h"

// The small synthesiser every sound of the game is built from: signals are
// floats in -1..1 at one sample rate, turned into 16-bit PCM at the end.
using Signal = std::vector<float>;

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

inline size_t Samples(double seconds, int rate) {
  return static_cast<size_t>(std::lround(seconds * rate));
}

// Uniform white noise in -1..1.
Signal WhiteNoise(size_t count, ArtRandom& random);

// A two-pole filter after the well-known audio cookbook; its frequency can be
// moved every sample for sweeps.
class Biquad {
 public:
  enum class Kind { kLowPass, kHighPass, kBandPass };
  Biquad(Kind kind, int rate, double frequency, double q) : kind_(kind), rate_(rate) {
    Tune(frequency, q);
  }
  void Tune(double frequency, double q);
  float Step(float x) {
    const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return static_cast<float>(y);
  }

 private:
  Kind kind_;
  int rate_;
  double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
  double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// One-pole smoother: a gentle 6 dB/octave low pass.
class OnePole {
 public:
  OnePole(int rate, double frequency) { Tune(rate, frequency); }
  void Tune(int rate, double frequency) { k_ = 1.0 - std::exp(-kTwoPi * frequency / rate); }
  float Step(float x) {
    y_ += k_ * (x - y_);
    return static_cast<float>(y_);
  }

 private:
  double k_ = 1.0, y_ = 0.0;
};

// Band-limited oscillator (polyBLEP edges), so bright waves do not alias
// into whistles at the low rates some sounds are stored at.
class Oscillator {
 public:
  explicit Oscillator(double phase = 0.0) : phase_(phase) {}
  // Each call advances one sample at `hz` and returns the wave's value.
  float Sine(double hz, int rate);
  float Saw(double hz, int rate);
  float Square(double hz, int rate, double width = 0.5);
  float Triangle(double hz, int rate);

 private:
  double Advance(double hz, int rate);
  double phase_;
};

// A simple mono room: parallel damped combs and series all-passes. Gives the
// music and the stings their sense of space.
class Reverb {
 public:
  Reverb(int rate, double size, double damping);
  float Step(float x);

 private:
  struct Line {
    std::vector<float> buffer;
    size_t pos = 0;
    float filter = 0.0f;
  };
  std::vector<Line> combs_;
  std::vector<Line> allPasses_;
  float feedback_;
  float damping_;
};

// A feedback echo with a darkening repeat, for the spacey lead and arpeggio.
class Echo {
 public:
  Echo(int rate, double delaySeconds, double feedback, double toneHz);
  float Step(float x);

 private:
  std::vector<float> line_;
  size_t pos_ = 0;
  float feedback_;
  OnePole tone_;
};

// A short noise burst shaped by AttackDecay and coloured by one filter: a
// crackle, a pop, a click, a flap of fabric.
Signal NoiseBurst(int rate, double seconds, double attack, double decay, Biquad::Kind kind,
                  double hz, double q, ArtRandom& random);

// Mixes `src` into `dst` from sample `at`, dropping what runs past the end.
void MixAt(Signal& dst, const Signal& src, size_t at, float gain = 1.0f);
// Mixes `src` into `dst` from sample `at`, wrapping what runs past the end to
// the start: the way a loop hears a note that rings over its seam.
void MixWrapped(Signal& dst, const Signal& src, size_t at, float gain = 1.0f);

// Runs a stateful per-sample process over a loop twice and keeps the second
// pass, so filters and echoes start from the state the loop's own end leaves
// them in: the seam is then just one more ordinary sample step.
template <class Process>
void ProcessLooped(Signal& loop, Process&& process) {
  for (size_t i = 0; i < loop.size(); ++i) process(i, loop[i]);
  for (size_t i = 0; i < loop.size(); ++i) loop[i] = process(i, loop[i]);
}

// A smooth random curve in about -1..1 that repeats exactly every `count`
// samples: sines of whole cycles per loop, from `minCycles` up to `maxCycles`.
// Drives swells, flicker and gusts that never jump at the seam.
Signal LoopCurve(size_t count, int minCycles, int maxCycles, ArtRandom& random);

// Turns a seamless loop so it begins where the wave is quiet and slow: the
// sound it makes when looped is unchanged, but starting it (a thruster
// firing) no longer clicks.
void StartAtQuietPoint(Signal& loop);

// Raised-cosine fades at both ends, so one-shots start and stop without a click.
void FadeEdges(Signal& s, int rate, double inSeconds, double outSeconds);
// Envelope helpers (t in seconds).
inline float Decay(double t, double seconds) {
  return t < 0 ? 0.0f : static_cast<float>(std::exp(-t / seconds));
}
float AttackDecay(double t, double attack, double decay);

// Gentle saturation that rounds peaks instead of clipping them.
inline float SoftClip(float x) { return static_cast<float>(std::tanh(x)); }

// Scales to an RMS level, but never past `peakCeiling`.
void Level(Signal& s, double rms, double peakCeiling = 0.89);
double Rms(const Signal& s);
double Peak(const Signal& s);

Pcm ToPcm(const Signal& s, int rate);

// The last steps of every sound file. A loop starts at its quiet point and
// is levelled; a one-shot fades in and out, is levelled to full scale under
// its peak ceiling. Both are then written as 16-bit WAV.
void FinishLoop(Signal& loop, double rms, int rate, const std::string& path);
void FinishOneShot(Signal& s, int rate, double fadeIn, double fadeOut, double peakCeiling,
                   const std::string& path);
