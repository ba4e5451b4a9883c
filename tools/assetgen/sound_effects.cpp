// The one-shot sounds: interface blips and clicks, the lander's servos, the
// parachute leaving its canister and the explosion of a crash. Each starts
// and ends in silence.
#include <algorithm>
#include <cmath>

#include "asset_registry.h"
#include "sound_synth.h"

namespace {

using Kind = Biquad::Kind;
constexpr int kRate = 22050;

double Seconds(size_t i, int rate) { return static_cast<double>(i) / rate; }

// Typing blip, and the beep of data being sent: the game replays it every
// frame at 88 kHz, twice its 44.1 kHz rate. 28 ms long, it then lasts 14 ms
// and is over before the next frame restarts it, so the sending chirps
// cleanly instead of clicking.
void WriteKey(const std::string& path) {
  constexpr int kKeyRate = 44100;
  Signal s(Samples(0.028, kKeyRate));
  Oscillator tone, overtone;
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = Seconds(i, kKeyRate);
    const double hz = 1318.5 * (1.0 + 0.06 * std::exp(-t / 0.003));
    s[i] = (tone.Sine(hz, kKeyRate) + 0.22f * overtone.Sine(3.0 * hz, kKeyRate)) *
           AttackDecay(t, 0.0012, 0.0075);
  }
  FinishOneShot(s, kKeyRate, 0.0005, 0.008, 0.55, path);
}

// Moving the menu highlight: a soft wooden-glass tick.
void WriteMenuOpt(const std::string& path) {
  ArtRandom random(0x3E40);
  Signal s(Samples(0.12, kRate));
  Oscillator a, b;
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = Seconds(i, kRate);
    s[i] = a.Sine(990.0, kRate) * AttackDecay(t, 0.001, 0.022) +
           0.45f * b.Sine(1485.0, kRate) * AttackDecay(t, 0.001, 0.011);
  }
  MixAt(s, NoiseBurst(kRate, 0.01, 0.0002, 0.0012, Kind::kHighPass, 2500, 0.7, random), 0, 0.5f);
  FinishOneShot(s, kRate, 0.0005, 0.02, 0.55, path);
}

// Confirming a choice: a click and two rising notes, a fifth apart.
void WriteEnter(const std::string& path) {
  ArtRandom random(0xE47E);
  Signal s(Samples(0.24, kRate));
  Oscillator low, lowTop, high, highTop;
  const size_t second = Samples(0.055, kRate);
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = Seconds(i, kRate);
    const double t2 = t - Seconds(second, kRate);
    float v = (low.Sine(880.0, kRate) + 0.25f * lowTop.Sine(1760.0, kRate)) *
              AttackDecay(t, 0.001, 0.035);
    if (t2 >= 0) {
      v += (high.Sine(1318.5, kRate) + 0.25f * highTop.Sine(2637.0, kRate)) * 0.9f *
           AttackDecay(t2, 0.002, 0.05);
    }
    s[i] = v;
  }
  MixAt(s, NoiseBurst(kRate, 0.012, 0.0002, 0.0015, Kind::kBandPass, 3200, 0.8, random), 0, 0.9f);
  FinishOneShot(s, kRate, 0.0005, 0.03, 0.6, path);
}

// The lander unfolds its legs in the 50 frames (0.83 s) after the release: a
// servo whirrs up, runs, spins down, and the legs lock with a clunk.
void WriteLanderOpen(const std::string& path) {
  ArtRandom random(0x1A4D);
  Signal s(Samples(1.35, kRate));
  constexpr double kRunEnd = 0.82;
  Oscillator pulse, saw, gear;
  Biquad motorBand(Kind::kBandPass, kRate, 900, 0.8);
  Biquad sawTone(Kind::kLowPass, kRate, 1400, 0.7);
  Biquad grit(Kind::kBandPass, kRate, 2600, 1.5);
  const Signal noise = WhiteNoise(s.size(), random);
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = Seconds(i, kRate);
    const double spinUp = 1.0 - std::exp(-t / 0.05);
    const double spinDown = t < kRunEnd - 0.1 ? 1.0 : std::max(0.0, (kRunEnd - t) / 0.1);
    const double hz =
        120.0 + 140.0 * spinUp * (0.55 + 0.45 * spinDown) + 6.0 * std::sin(kTwoPi * 3.0 * t);
    const double env =
        std::min(1.0, t / 0.03) * std::max(0.0, std::min(1.0, (kRunEnd + 0.02 - t) / 0.06));
    const float teeth = 0.7f + 0.3f * gear.Sine(hz / 6.0, kRate);
    const float motor = motorBand.Step(pulse.Square(hz, kRate, 0.3)) +
                        0.5f * sawTone.Step(saw.Saw(2.0 * hz, kRate));
    s[i] = static_cast<float>(0.6 * env) * teeth * (motor + 0.5f * grit.Step(noise[i]));
  }
  // The leg latches letting go as they swing out.
  for (double at : {0.28, 0.47, 0.63}) {
    MixAt(s, NoiseBurst(kRate, 0.02, 0.0003, 0.002, Kind::kBandPass, 3400, 2.0, random),
          Samples(at, kRate), 0.8f);
  }
  // The clunk: a heavy thud, a metallic click and a short ring of the frame.
  const size_t clunk = Samples(kRunEnd + 0.02, kRate);
  Signal hit(Samples(0.5, kRate));
  Oscillator thud, ring1, ring2, ring3;
  for (size_t i = 0; i < hit.size(); ++i) {
    const double t = Seconds(i, kRate);
    hit[i] =
        1.6f * thud.Sine(72.0 + 40.0 * std::exp(-t / 0.015), kRate) * AttackDecay(t, 0.002, 0.09) +
        0.22f * ring1.Sine(1230.0, kRate) * AttackDecay(t, 0.001, 0.09) +
        0.16f * ring2.Sine(1871.0, kRate) * AttackDecay(t, 0.001, 0.065) +
        0.10f * ring3.Sine(2953.0, kRate) * AttackDecay(t, 0.001, 0.045);
  }
  MixAt(hit, NoiseBurst(kRate, 0.12, 0.001, 0.025, Kind::kLowPass, 600, 0.7, random), 0, 2.2f);
  MixAt(hit, NoiseBurst(kRate, 0.02, 0.0002, 0.003, Kind::kBandPass, 3000, 1.5, random), 0, 1.2f);
  MixAt(s, hit, clunk);
  for (auto& v : s) v = SoftClip(v);
  FinishOneShot(s, kRate, 0.002, 0.05, 0.85, path);
}

// The canister fires, the canopy rushes out and snaps open, then flutters
// as it settles into the wind.
void WriteParachuteOpen(const std::string& path) {
  ArtRandom random(0x0C4E);
  Signal s(Samples(1.2, kRate));
  constexpr double kSnap = 0.48;
  // The mortar's thunk.
  Signal thunk(Samples(0.15, kRate));
  Oscillator pop;
  for (size_t i = 0; i < thunk.size(); ++i) {
    const double t = Seconds(i, kRate);
    thunk[i] = pop.Sine(150.0 + 80.0 * std::exp(-t / 0.01), kRate) * AttackDecay(t, 0.001, 0.03);
  }
  MixAt(s, thunk, 0, 0.8f);
  MixAt(s, NoiseBurst(kRate, 0.06, 0.0005, 0.01, Kind::kLowPass, 1500, 0.7, random), 0, 0.8f);
  // The rush of cloth and lines: band-passed noise sweeping upward.
  const Signal noise = WhiteNoise(s.size(), random);
  Biquad sweep(Kind::kBandPass, kRate, 400, 1.2);
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = Seconds(i, kRate);
    const double rise = std::clamp(t / kSnap, 0.0, 1.0);
    sweep.Tune(400.0 * std::pow(5.5, rise), 1.2);
    const double env = t < kSnap ? rise * rise : std::exp(-(t - kSnap) / 0.05);
    s[i] += static_cast<float>(2.4 * env) * sweep.Step(noise[i]);
  }
  // The snap of the canopy filling, and its deep whump.
  const size_t snap = Samples(kSnap, kRate);
  MixAt(s, NoiseBurst(kRate, 0.05, 0.0002, 0.006, Kind::kHighPass, 700, 0.7, random), snap, 1.6f);
  MixAt(s, NoiseBurst(kRate, 0.3, 0.002, 0.06, Kind::kLowPass, 400, 0.7, random), snap, 3.0f);
  Signal whump(Samples(0.4, kRate));
  Oscillator body;
  for (size_t i = 0; i < whump.size(); ++i) {
    const double t = Seconds(i, kRate);
    whump[i] = body.Sine(85.0 + 30.0 * std::exp(-t / 0.02), kRate) * AttackDecay(t, 0.003, 0.08);
  }
  MixAt(s, whump, snap, 1.0f);
  // Settling flutter.
  for (double t = kSnap + 0.07; t < 1.1; t += random.Range(0.06, 0.09)) {
    const auto strength = static_cast<float>(std::exp(-(t - kSnap) / 0.18));
    MixAt(
        s,
        NoiseBurst(kRate, 0.05, 0.0015, 0.01, Kind::kBandPass, random.Range(280, 480), 1.1, random),
        Samples(t, kRate), 1.5f * strength);
  }
  for (auto& v : s) v = SoftClip(v);
  FinishOneShot(s, kRate, 0.001, 0.08, 0.86, path);
}

// A crash: the crack of the hull, a deep boom that drops in pitch, a rolling
// rumble and debris raining down, with the desert air carrying the tail.
void WriteExplosion(const std::string& path) {
  ArtRandom random(0xB10E);
  Signal s(Samples(3.2, kRate));
  MixAt(s, NoiseBurst(kRate, 0.08, 0.0002, 0.008, Kind::kHighPass, 500, 0.7, random), 0, 1.6f);
  Signal boom(Samples(2.2, kRate));
  Oscillator boomOsc;
  for (size_t i = 0; i < boom.size(); ++i) {
    const double t = Seconds(i, kRate);
    boom[i] = boomOsc.Sine(38.0 + 82.0 * std::exp(-t / 0.12), kRate) * AttackDecay(t, 0.004, 0.45);
  }
  MixAt(s, boom, 0, 1.3f);
  // The rumble, two low passes deep.
  Signal rumble = NoiseBurst(kRate, 3.0, 0.012, 0.8, Kind::kLowPass, 260, 0.7, random);
  Biquad rumble2(Kind::kLowPass, kRate, 320, 0.7);
  for (auto& v : rumble) v = rumble2.Step(v);
  MixAt(s, rumble, 0, 7.0f);
  MixAt(s, NoiseBurst(kRate, 1.5, 0.003, 0.22, Kind::kBandPass, 900, 0.6, random), 0, 2.0f);
  // Debris: crackles thinning out over two seconds, a few heavier thuds.
  for (int k = 0; k < 90; ++k) {
    const double t = 0.04 + -std::log(1.0 - random.Uniform() * 0.98) * 0.45;
    const auto strength = static_cast<float>(std::exp(-t / 0.9) * random.Range(0.3, 1.0));
    MixAt(s,
          NoiseBurst(kRate, 0.02, 0.0002, random.Range(0.001, 0.003), Kind::kBandPass,
                     random.Range(1500, 5000), 1.0, random),
          Samples(t, kRate), 1.4f * strength);
  }
  for (int k = 0; k < 6; ++k) {
    const double t = random.Range(0.5, 1.9);
    MixAt(s, NoiseBurst(kRate, 0.12, 0.002, 0.025, Kind::kLowPass, 500, 0.9, random),
          Samples(t, kRate), static_cast<float>(random.Range(0.8, 1.6)));
  }
  for (auto& v : s) v = SoftClip(1.4f * v);
  Reverb air(kRate, 0.6, 0.5);
  for (auto& v : s) v += 0.35f * air.Step(v);
  FinishOneShot(s, kRate, 0.001, 0.6, 0.88, path);
}

const RegisterAsset kKey("key.wav", WriteKey);
const RegisterAsset kMenuOpt("menu_opt.wav", WriteMenuOpt);
const RegisterAsset kEnter("enter.wav", WriteEnter);
const RegisterAsset kLanderOpen("lander_open.wav", WriteLanderOpen);
const RegisterAsset kParachuteOpen("parachute_open.wav", WriteParachuteOpen);
const RegisterAsset kExplosion("explosion.wav", WriteExplosion);

}  // namespace
