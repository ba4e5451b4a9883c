// The looping sounds of a flight: thrusters, re-entry roar, the burning
// wreck, the parachute's flutter and the fuel pump. Every one is built from
// content that repeats exactly over the loop (noise of the loop's own length,
// modulations of whole cycles, events wrapped over the seam, filters run in
// their steady state), so the game can loop them with no click. Each is then
// turned to begin at a quiet point, so starting it does not click either.
#include <algorithm>
#include <cmath>

#include "asset_registry.h"
#include "sound_synth.h"

namespace {

using Kind = Biquad::Kind;

Signal Burst(int rate, double seconds, double attack, double decay, double hz, double q,
             ArtRandom& random) {
  return NoiseBurst(rate, seconds, attack, decay, Kind::kBandPass, hz, q, random);
}

// The thrusters are stored at 8 kHz and played at 4 kHz, an octave and half
// the speed lower: the roar is drawn here twice as high and twice as fast as
// it is heard.
void WriteThrusters(const std::string& path) {
  constexpr int kRate = 8000;
  const size_t n = Samples(2.0, kRate);
  ArtRandom random(0x7E57);
  const Signal noise = WhiteNoise(n, random);
  const Signal flutter = LoopCurve(n, 20, 60, random);  // 10-30 Hz combustion flutter as heard
  const Signal swell = LoopCurve(n, 1, 4, random);

  Signal crackle(n, 0.0f);
  for (int k = 0; k < 70; ++k) {
    const auto at = static_cast<size_t>(random.Uniform() * n);
    const double strength = std::pow(random.Uniform(), 2.0);
    MixWrapped(crackle, Burst(kRate, 0.012, 0.0004, 0.003, random.Range(900, 1700), 1.5, random),
               at, static_cast<float>(strength));
  }

  Signal out = noise;
  Biquad body1(Kind::kLowPass, kRate, 1100, 0.7), body2(Kind::kLowPass, kRate, 1400, 0.6);
  Biquad rumble(Kind::kBandPass, kRate, 170, 0.9);
  Biquad hiss(Kind::kHighPass, kRate, 1800, 0.7);
  Biquad crackleTone(Kind::kLowPass, kRate, 2500, 0.7);
  ProcessLooped(out, [&](size_t i, float x) {
    const float body = body2.Step(body1.Step(x));
    const float low = rumble.Step(x);
    const float air = hiss.Step(x);
    const float am = 1.0f + 0.22f * flutter[i] + 0.12f * swell[i];
    const float mix =
        (0.8f * body + 1.2f * low) * am + 0.16f * air + 0.9f * crackleTone.Step(crackle[i]);
    return SoftClip(0.9f * mix);
  });
  FinishLoop(out, 0.17, kRate, path);
}

// The hot, hissing roar of the heat shield cutting through the air; its
// volume follows the fall speed, so it is steady and broad.
void WriteOnFire(const std::string& path) {
  constexpr int kRate = 22050;
  const size_t n = Samples(3.0, kRate);
  ArtRandom random(0x0F1E);
  Signal out = WhiteNoise(n, random);
  const Signal sweep = LoopCurve(n, 1, 6, random);
  const Signal swell = LoopCurve(n, 2, 9, random);
  const Signal sizzle = LoopCurve(n, 40, 120, random);
  Biquad roar(Kind::kBandPass, kRate, 900, 0.7);
  Biquad body(Kind::kLowPass, kRate, 320, 0.7);
  Biquad air(Kind::kHighPass, kRate, 3500, 0.7);
  Biquad airSoft(Kind::kLowPass, kRate, 9000, 0.7);
  ProcessLooped(out, [&](size_t i, float x) {
    roar.Tune(900.0 * std::pow(1.6, static_cast<double>(sweep[i])), 0.7);
    const float hot = roar.Step(x) * (1.0f + 0.25f * swell[i]);
    const float deep = body.Step(x) * (1.0f + 0.2f * swell[i]);
    const float hissing = airSoft.Step(air.Step(x)) * (0.8f + 0.2f * sizzle[i]);
    return 1.3f * hot + 0.9f * deep + 0.28f * hissing;
  });
  FinishLoop(out, 0.15, kRate, path);
}

// The second layer: low buffeting of the whole craft, shaking in irregular
// gusts under the roar.
void WriteOnFire2(const std::string& path) {
  constexpr int kRate = 22050;
  const size_t n = Samples(4.0, kRate);
  ArtRandom random(0x0F2E);
  Signal out = WhiteNoise(n, random);
  const Signal buffet = LoopCurve(n, 12, 44, random);  // 3-11 Hz shaking
  const Signal gust = LoopCurve(n, 1, 5, random);
  Biquad low1(Kind::kLowPass, kRate, 180, 0.8), low2(Kind::kLowPass, kRate, 220, 0.7);
  Biquad thump(Kind::kBandPass, kRate, 70, 1.2);
  Biquad rattle(Kind::kBandPass, kRate, 480, 1.0);
  ProcessLooped(out, [&](size_t i, float x) {
    const float shake = std::max(0.0f, 0.55f + 0.6f * buffet[i]);
    const float level = 0.75f + 0.25f * gust[i];
    const float deep = low2.Step(low1.Step(x)) * 2.2f + thump.Step(x) * 1.6f;
    const float mid = rattle.Step(x) * shake;
    return SoftClip(1.5f * level * (deep * (0.6f + 0.6f * shake) + 0.5f * mid));
  });
  FinishLoop(out, 0.15, kRate, path);
}

// The wreck burning on the ground: a low flickering roar, a hiss, and the
// snaps and pops of things cracking in the heat.
void WriteFire(const std::string& path) {
  constexpr int kRate = 22050;
  const size_t n = Samples(4.0, kRate);
  ArtRandom random(0xF14E);
  Signal bed = WhiteNoise(n, random);
  const Signal flicker = LoopCurve(n, 4, 28, random);

  Signal crackle(n, 0.0f);
  for (int k = 0; k < 220; ++k) {
    const auto at = static_cast<size_t>(random.Uniform() * n);
    const double strength = 0.15 + 0.85 * std::pow(random.Uniform(), 3.0);
    const double decay = random.Range(0.0006, 0.0025);
    MixWrapped(crackle,
               Burst(kRate, decay * 7, 0.0002, decay, random.Range(1800, 6000), 0.9, random), at,
               static_cast<float>(strength));
  }
  for (int k = 0; k < 22; ++k) {
    // Pops: fewer, deeper, sometimes in a quick double.
    const auto at = static_cast<size_t>(random.Uniform() * n);
    const Signal pop = Burst(kRate, 0.06, 0.0008, random.Range(0.006, 0.014),
                             random.Range(500, 1100), 1.4, random);
    MixWrapped(crackle, pop, at, 2.2f);
    if (random.Uniform() < 0.4)
      MixWrapped(crackle, pop, at + Samples(random.Range(0.02, 0.05), kRate), 1.2f);
  }

  Biquad roar1(Kind::kLowPass, kRate, 380, 0.7), roar2(Kind::kLowPass, kRate, 500, 0.6);
  Biquad breath(Kind::kBandPass, kRate, 1100, 0.6);
  Biquad hiss(Kind::kHighPass, kRate, 3200, 0.7);
  ProcessLooped(bed, [&](size_t i, float x) {
    const float f = 0.65f + 0.35f * flicker[i];
    return (2.4f * roar2.Step(roar1.Step(x)) + 0.35f * breath.Step(x)) * f +
           0.06f * hiss.Step(x) * f;
  });
  for (size_t i = 0; i < n; ++i) bed[i] = SoftClip(bed[i] + 0.9f * crackle[i]);
  FinishLoop(bed, 0.12, kRate, path);
}

// The open canopy in the wind: a breathy rush and the quick irregular flaps
// of the fabric and lines.
void WriteParachute(const std::string& path) {
  constexpr int kRate = 22050;
  const size_t n = Samples(3.0, kRate);
  ArtRandom random(0xCA40);
  Signal wind = WhiteNoise(n, random);
  const Signal gust = LoopCurve(n, 1, 7, random);
  const Signal whistle = LoopCurve(n, 1, 3, random);

  // Flap times: random gaps of 55-110 ms, stretched so they tile the loop
  // exactly and the rhythm runs on over the seam.
  std::vector<double> gaps;
  double total = 0.0;
  while (total < 3.0) {
    gaps.push_back(random.Range(0.055, 0.11));
    total += gaps.back();
  }
  Signal flaps(n, 0.0f);
  double t = 0.0;
  for (double gap : gaps) {
    const auto at = static_cast<size_t>(t / total * n);
    const double g = 0.5 + 0.5 * gust[at];
    const float strength = static_cast<float>((0.35 + 0.65 * g) * random.Range(0.6, 1.0));
    MixWrapped(
        flaps,
        Burst(kRate, 0.05, 0.0015, random.Range(0.006, 0.013), random.Range(260, 520), 1.1, random),
        at, strength);
    // A little crack of the hem on the stronger flaps.
    MixWrapped(flaps, Burst(kRate, 0.01, 0.0003, 0.0015, random.Range(2200, 3400), 1.5, random), at,
               0.35f * strength * strength);
    t += gap;
  }

  Biquad rush(Kind::kBandPass, kRate, 550, 0.6);
  Biquad rushLow(Kind::kLowPass, kRate, 260, 0.7);
  Biquad body(Kind::kLowPass, kRate, 1800, 0.7);
  ProcessLooped(wind, [&](size_t i, float x) {
    rush.Tune(550.0 * std::pow(1.35, static_cast<double>(whistle[i])), 0.6);
    const float g = 0.7f + 0.3f * gust[i];
    // Rounding the strongest flaps keeps the flutter even instead of spiky.
    return SoftClip(
        1.5f * ((0.3f * rush.Step(x) + 0.5f * rushLow.Step(x)) * g + body.Step(flaps[i]) * 3.5f));
  });
  FinishLoop(wind, 0.11, kRate, path);
}

// The fuel pump: a motor hum, a piston chug four times a loop and fuel
// gurgling through the line. Natural at the middle pad's 22 kHz, slower and
// lower at the outer pads' 14-15 kHz.
void WriteFuel(const std::string& path) {
  constexpr int kRate = 22050;
  constexpr int kStrokes = 4;
  const size_t n = Samples(1.6, kRate);
  const size_t stroke = n / kStrokes;
  ArtRandom random(0xF0E1);

  // Motor: 120 Hz has exactly 192 cycles in the loop; the load of each
  // stroke bends it slightly, by whole cycles of the stroke.
  Signal motor(n);
  Oscillator saw, whine;
  Biquad motorTone(Kind::kLowPass, kRate, 700, 0.9);
  for (size_t i = 0; i < n; ++i) {
    const double phase = kTwoPi * kStrokes * static_cast<double>(i) / n;
    const double bend = 1.0 - 0.025 * std::sin(phase);
    const float load = static_cast<float>(0.8 + 0.2 * std::cos(phase));
    motor[i] =
        (saw.Saw(120.0 * bend, kRate) * 0.5f + whine.Sine(360.0 * bend, kRate) * 0.12f) * load;
  }
  ProcessLooped(motor, [&](size_t, float x) { return motorTone.Step(x); });

  Signal strokes(n, 0.0f);
  Signal flow = WhiteNoise(n, random);
  for (int k = 0; k < kStrokes; ++k) {
    const size_t at = k * stroke;
    // The chug: a thud of the piston and a puff of the valve.
    Signal thud(Samples(0.18, kRate));
    Oscillator body;
    for (size_t i = 0; i < thud.size(); ++i) {
      const double tt = static_cast<double>(i) / kRate;
      thud[i] = body.Sine(62.0 + 40.0 * std::exp(-tt / 0.02), kRate) * AttackDecay(tt, 0.003, 0.05);
    }
    MixWrapped(strokes, thud, at, 0.9f);
    MixWrapped(strokes, Burst(kRate, 0.09, 0.002, 0.02, 380, 0.8, random), at, 1.1f);
    MixWrapped(strokes, Burst(kRate, 0.02, 0.0003, 0.0025, 2600, 2.0, random), at + stroke / 2,
               0.5f);
    // Gurgles: small bubbles rising in pitch as the fuel surges.
    const int bubbles = 3 + static_cast<int>(random.Uniform() * 4);
    for (int b = 0; b < bubbles; ++b) {
      const double f0 = random.Range(380, 900);
      const double length = random.Range(0.018, 0.04);
      Signal bubble(Samples(length, kRate));
      Oscillator osc;
      for (size_t i = 0; i < bubble.size(); ++i) {
        const double tt = static_cast<double>(i) / kRate;
        const double env = std::sin(kPi * tt / length);
        bubble[i] = static_cast<float>(osc.Sine(f0 * (1.0 + 0.8 * tt / length), kRate) * env * env);
      }
      const auto offset = static_cast<size_t>(random.Range(0.1, 0.8) * stroke);
      MixWrapped(strokes, bubble, at + offset, static_cast<float>(random.Range(0.12, 0.3)));
    }
  }
  Biquad flowBand(Kind::kBandPass, kRate, 750, 2.5);
  ProcessLooped(flow, [&](size_t i, float x) {
    const double phase = kTwoPi * kStrokes * static_cast<double>(i) / n;
    const auto surge =
        static_cast<float>(0.35 + 0.65 * std::pow(0.5 + 0.5 * std::sin(phase - 0.6), 2.0));
    return flowBand.Step(x) * surge;
  });

  Signal out(n);
  for (size_t i = 0; i < n; ++i) out[i] = motor[i] * 0.6f + strokes[i] + flow[i] * 0.45f;
  FinishLoop(out, 0.11, kRate, path);
}

const RegisterAsset kThrusters("thrusters.wav", WriteThrusters);
const RegisterAsset kOnFire("onfire.wav", WriteOnFire);
const RegisterAsset kOnFire2("onfire2.wav", WriteOnFire2);
const RegisterAsset kFire("fire.wav", WriteFire);
const RegisterAsset kParachute("Parachute.wav", WriteParachute);
const RegisterAsset kFuel("fuel.wav", WriteFuel);

}  // namespace
