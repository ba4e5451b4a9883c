#include "sound_instruments.h"

#include <algorithm>
#include <cmath>

namespace {

// Release shape after the note is let go: a short exponential fall that ends
// at zero on the last sample.
float Release(double t, double held, double release) {
  if (t < held) return 1.0f;
  const double x = (t - held) / release;
  if (x >= 1.0) return 0.0f;
  return static_cast<float>(std::exp(-4.0 * x) * (1.0 - x));
}

float Attack(double t, double attack) {
  if (t >= attack) return 1.0f;
  return static_cast<float>(0.5 - 0.5 * std::cos(kPi * t / attack));
}

}  // namespace

double NoteHz(double midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69.0) / 12.0); }

Signal PadNote(int rate, double hz, double seconds, double attack, double release) {
  Signal s(Samples(seconds + release, rate));
  // Start phases spread the saws from the first sample; they depend on the
  // pitch only, so the same chord always sounds the same.
  Oscillator a(0.0), b(0.33), c(0.67);
  Oscillator sub;
  Biquad filter(Biquad::Kind::kLowPass, rate, 1200, 0.9);
  const double detune = std::pow(2.0, 7.0 / 1200.0);
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    if (i % 32 == 0)
      filter.Tune(900.0 + 700.0 * (0.5 + 0.5 * std::sin(kTwoPi * 0.15 * t + hz)), 0.9);
    const float wave =
        (a.Saw(hz / detune, rate) + b.Saw(hz, rate) + c.Saw(hz * detune, rate)) / 3.0f +
        0.35f * sub.Sine(hz * 0.5, rate);
    s[i] = filter.Step(wave) * Attack(t, attack) * Release(t, seconds, release);
  }
  return s;
}

Signal BellNote(int rate, double hz, double seconds, double decay) {
  const double tail = std::max(0.05, 5.0 * decay - seconds);
  Signal s(Samples(seconds + tail, rate));
  Oscillator modulator;
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    // High notes get a gentler strike, so their sidebands stay below the
    // stored rate's limit instead of folding back as stray tones.
    const double index = (0.25 + 2.2 * std::exp(-t / 0.12)) * std::min(1.0, 900.0 / hz);
    const double mod = modulator.Sine(hz * 3.0 + 0.7, rate) * index;
    // Phase modulation: the index falls fast, so the strike is bright and
    // the ring pure.
    const double phase = kTwoPi * (t * hz) + mod;
    s[i] = static_cast<float>(std::sin(phase)) * AttackDecay(t, 0.002, decay) *
           Release(t, seconds + tail * 0.5, tail * 0.5);
  }
  return s;
}

Signal LeadNote(int rate, double hz, double seconds) {
  constexpr double kRelease = 0.3;
  Signal s(Samples(seconds + kRelease, rate));
  Oscillator tri, sine, vib;
  Biquad soft(Biquad::Kind::kLowPass, rate, 2400, 0.7);
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    const double depth = 0.006 * std::clamp((t - 0.25) / 0.4, 0.0, 1.0);
    const double f = hz * (1.0 + depth * vib.Sine(5.2, rate));
    const float body = 0.7f * tri.Triangle(f, rate) + 0.5f * sine.Sine(f, rate);
    s[i] = soft.Step(body) * Attack(t, 0.05) * Release(t, seconds, kRelease);
  }
  return s;
}

Signal BassNote(int rate, double hz, double seconds) {
  constexpr double kRelease = 0.25;
  Signal s(Samples(seconds + kRelease, rate));
  Oscillator sine, saw;
  Biquad tone(Biquad::Kind::kLowPass, rate, 500, 0.8);
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    const float sustain = 0.75f + 0.25f * Decay(t, 0.3);
    const float body = sine.Sine(hz, rate) + 0.45f * tone.Step(saw.Saw(hz, rate));
    s[i] = SoftClip(1.3f * body) * sustain * Attack(t, 0.012) * Release(t, seconds, kRelease);
  }
  return s;
}

Signal BrassNote(int rate, double hz, double seconds) {
  constexpr double kRelease = 0.18;
  Signal s(Samples(seconds + kRelease, rate));
  Oscillator a(0.1), b(0.6);
  Biquad filter(Biquad::Kind::kLowPass, rate, 500, 1.1);
  const double detune = std::pow(2.0, 5.0 / 1200.0);
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    if (i % 16 == 0) {
      const double open = std::min(1.0, t / 0.04) * (0.6 + 0.4 * std::exp(-t / 0.25));
      filter.Tune(450.0 + 3200.0 * open, 1.1);
    }
    const float wave = 0.5f * (a.Saw(hz / detune, rate) + b.Saw(hz * detune, rate));
    s[i] = filter.Step(wave) * Attack(t, 0.02) * Release(t, seconds, kRelease);
  }
  return s;
}
