// The music: the menu's loop, the logo's sting and the high-score fanfare.
#include <algorithm>
#include <cmath>
#include <vector>

#include "asset_registry.h"
#include "sound_instruments.h"
#include "sound_synth.h"

namespace {

constexpr int kRate = 22050;

// ---- Menu loop ------------------------------------------------------------
// Eight bars at 72 beats a minute in D minor: a slow breathing pad, a bass, a
// bell arpeggio and a singing lead, with echo and a wide room. 32 beats of
// 18375 samples make the loop exactly 588000 samples (26.7 s); every note
// that rings over the end is wrapped to the start, and the echo and room run
// in their steady state, so the loop has no seam.
constexpr size_t kBeat = 18375;
constexpr int kBars = 8;
constexpr size_t kLoop = kBeat * 4 * kBars;

struct Note {
  double beat;    // start, in beats from the top of the loop
  double length;  // in beats
  int pitch;      // MIDI note
};

// Chords by half bar, voiced close so the pad glides instead of jumping.
struct Chord {
  int bass;
  std::vector<int> tones;
};
const Chord kDm9{50, {57, 60, 64, 65}};
const Chord kBbMaj7{46, {57, 62, 65, 70}};
const Chord kGm9{43, {58, 62, 65, 69}};
const Chord kA7Sus{45, {57, 62, 64, 67}};
const Chord kA7{45, {57, 61, 64, 67}};
const Chord kCAdd9{48, {55, 60, 62, 64}};
const std::vector<Chord> kHalfBars = {kDm9, kDm9, kBbMaj7, kBbMaj7, kGm9,   kGm9,   kA7Sus, kA7,
                                      kDm9, kDm9, kBbMaj7, kBbMaj7, kCAdd9, kCAdd9, kA7Sus, kA7};

// The tune: a rising question, a falling answer; then the question again
// reaching higher and settling back onto the dominant.
const std::vector<Note> kMelody = {
    {0, 1, 69},  {1, 1, 74},  {2, 1, 76},  {3, 1, 77},                      // bar 1
    {4, 3, 81},  {7, 1, 79},                                                // bar 2
    {8, 2, 77},  {10, 1, 76}, {11, 1, 74},                                  // bar 3
    {12, 2, 76}, {14, 2, 73},                                               // bar 4
    {16, 1, 69}, {17, 1, 74}, {18, 1, 76}, {19, 0.5, 77}, {19.5, 0.5, 79},  // bar 5
    {20, 2, 86}, {22, 1, 84}, {23, 1, 81},                                  // bar 6
    {24, 2, 79}, {26, 1, 76}, {27, 1, 72},                                  // bar 7
    {28, 1, 79}, {29, 1, 77}, {30, 2, 76},                                  // bar 8
};

size_t At(double beat) { return static_cast<size_t>(std::lround(beat * kBeat)) % kLoop; }
double BeatSeconds() { return static_cast<double>(kBeat) / kRate; }

Signal PadPart() {
  Signal bus(kLoop, 0.0f);
  // Pitches held through both halves of a bar are one note; a changing
  // pitch starts anew at the half bar. Each bar breathes in again.
  for (int bar = 0; bar < kBars; ++bar) {
    const Chord& first = kHalfBars[bar * 2];
    const Chord& second = kHalfBars[bar * 2 + 1];
    for (int pitch : first.tones) {
      const bool held =
          std::find(second.tones.begin(), second.tones.end(), pitch) != second.tones.end();
      const double beats = held ? 4.0 : 2.0;
      MixWrapped(bus, PadNote(kRate, NoteHz(pitch), beats * BeatSeconds(), 0.7, 1.6), At(bar * 4.0),
                 0.2f);
    }
    for (int pitch : second.tones) {
      if (std::find(first.tones.begin(), first.tones.end(), pitch) != first.tones.end()) continue;
      MixWrapped(bus, PadNote(kRate, NoteHz(pitch), 2.0 * BeatSeconds(), 0.35, 1.6),
                 At(bar * 4.0 + 2.0), 0.2f);
    }
  }
  return bus;
}

Signal BassPart() {
  Signal bus(kLoop, 0.0f);
  for (int bar = 0; bar < kBars; ++bar) {
    const int root = kHalfBars[bar * 2].bass;
    MixWrapped(bus, BassNote(kRate, NoteHz(root), 2.8 * BeatSeconds()), At(bar * 4.0), 0.5f);
    MixWrapped(bus, BassNote(kRate, NoteHz(root + 7), 0.8 * BeatSeconds()), At(bar * 4.0 + 3.0),
               0.38f);
  }
  return bus;
}

Signal ArpeggioPart() {
  Signal bus(kLoop, 0.0f);
  // Up and down the chord an octave above the pad, in eighths.
  const int pattern[] = {0, 1, 2, 3, 4, 3, 2, 1};
  for (int half = 0; half < kBars * 2; ++half) {
    std::vector<int> tones = kHalfBars[half].tones;
    std::sort(tones.begin(), tones.end());
    tones.push_back(tones.front() + 12);
    for (int step = 0; step < 4; ++step) {
      const int index = pattern[(half % 2) * 4 + step];
      const double beat = half * 2.0 + step * 0.5;
      const float accent = step % 2 == 0 ? 1.0f : 0.7f;
      MixWrapped(bus, BellNote(kRate, NoteHz(tones[index] + 12), 0.4 * BeatSeconds(), 0.35),
                 At(beat), 0.1f * accent);
    }
  }
  return bus;
}

Signal LeadPart() {
  Signal bus(kLoop, 0.0f);
  for (const auto& n : kMelody) {
    MixWrapped(bus, LeadNote(kRate, NoteHz(n.pitch), n.length * 0.92 * BeatSeconds()), At(n.beat),
               0.3f);
  }
  return bus;
}

// A soft shaker on the off-beats keeps the slow tune moving.
Signal ShakerPart() {
  Signal bus(kLoop, 0.0f);
  ArtRandom random(0x5A4E);
  for (int beat = 0; beat < kBars * 4; ++beat) {
    const Signal tick =
        NoiseBurst(kRate, 0.08, 0.004, 0.018, Biquad::Kind::kHighPass, 6500, 0.7, random);
    MixWrapped(bus, tick, At(beat + 0.5), beat % 2 == 1 ? 0.08f : 0.055f);
  }
  return bus;
}

void WriteMenu(const std::string& path) {
  const Signal pad = PadPart();
  const Signal bass = BassPart();
  const Signal arp = ArpeggioPart();
  const Signal lead = LeadPart();
  const Signal shaker = ShakerPart();

  // Dotted-eighth echo on the lead and arpeggio: the repeats fall between
  // the notes.
  Signal echoed(kLoop);
  for (size_t i = 0; i < kLoop; ++i) echoed[i] = lead[i] + arp[i];
  Echo echo(kRate, 0.75 * BeatSeconds(), 0.3, 2600);
  ProcessLooped(echoed, [&](size_t, float x) { return echo.Step(x); });

  Signal mix(kLoop);
  for (size_t i = 0; i < kLoop; ++i) {
    mix[i] = pad[i] + bass[i] + lead[i] + arp[i] + 0.2f * echoed[i] + shaker[i];
  }
  Signal send(kLoop);
  for (size_t i = 0; i < kLoop; ++i)
    send[i] = 0.5f * pad[i] + lead[i] + arp[i] + 0.3f * echoed[i] + shaker[i];
  Reverb room(kRate, 0.85, 0.35);
  ProcessLooped(send, [&](size_t, float x) { return room.Step(x); });
  for (size_t i = 0; i < kLoop; ++i) mix[i] += 0.5f * send[i];
  Level(mix, 0.16, 0.85);
  WriteWav(path, ToPcm(mix, kRate));
}

// ---- Logo sting -------------------------------------------------------------
// A rising shimmer that blooms into a bright D major ninth with falling bells.
void WriteLogo(const std::string& path) {
  ArtRandom random(0x1060);
  Signal s(Samples(3.4, kRate));
  constexpr double kHit = 0.7;
  const Signal noise = WhiteNoise(Samples(kHit + 0.3, kRate), random);
  Biquad sweep(Biquad::Kind::kBandPass, kRate, 300, 1.5);
  Oscillator riser;
  for (size_t i = 0; i < noise.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double rise = std::min(1.0, t / kHit);
    sweep.Tune(300.0 * std::pow(16.0, rise), 1.5);
    const double env = t < kHit ? rise * rise : std::exp(-(t - kHit) / 0.06);
    s[i] += static_cast<float>(env) *
            (0.5f * sweep.Step(noise[i]) + 0.25f * riser.Sine(110.0 * (1.0 + rise), kRate));
  }
  const size_t hit = Samples(kHit, kRate);
  for (int pitch : {50, 57, 64, 66, 69})
    MixAt(s, PadNote(kRate, NoteHz(pitch), 1.0, 0.015, 1.4), hit, 0.22f);
  for (int pitch : {38, 50}) MixAt(s, BrassNote(kRate, NoteHz(pitch), 0.8), hit, 0.25f);
  const int bells[] = {74, 78, 81, 88, 86};
  for (int k = 0; k < 5; ++k) {
    MixAt(s, BellNote(kRate, NoteHz(bells[k]), 0.1, 0.5), hit + Samples(0.08 * k, kRate), 0.16f);
  }
  Signal boom(Samples(1.2, kRate));
  Oscillator sub;
  for (size_t i = 0; i < boom.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    boom[i] = sub.Sine(55.0 + 30.0 * std::exp(-t / 0.05), kRate) * AttackDecay(t, 0.004, 0.35);
  }
  MixAt(s, boom, hit, 0.6f);
  Reverb room(kRate, 0.9, 0.3);
  for (auto& v : s) v += 0.6f * room.Step(v);
  FinishOneShot(s, kRate, 0.002, 0.8, 0.85, path);
}

// ---- New high score -------------------------------------------------------
// Three quick pickups and a held major chord, capped with a sparkle.
void WriteHsName(const std::string& path) {
  Signal s(Samples(2.4, kRate));
  const double pickups[] = {0.0, 0.14, 0.28};
  for (double t : pickups) {
    MixAt(s, BrassNote(kRate, NoteHz(67), 0.1), Samples(t, kRate), 0.3f);
    MixAt(s, BrassNote(kRate, NoteHz(55), 0.1), Samples(t, kRate), 0.18f);
  }
  const size_t held = Samples(0.42, kRate);
  for (int pitch : {72, 67, 64})
    MixAt(s, BrassNote(kRate, NoteHz(pitch), 0.95), held, pitch == 72 ? 0.3f : 0.2f);
  MixAt(s, BrassNote(kRate, NoteHz(48), 0.95), held, 0.22f);
  MixAt(s, PadNote(kRate, NoteHz(60), 0.9, 0.05, 0.6), held, 0.15f);
  const int sparkle[] = {72, 76, 79, 84};
  for (int k = 0; k < 4; ++k) {
    MixAt(s, BellNote(kRate, NoteHz(sparkle[k]), 0.08, 0.4), held + Samples(0.05 + 0.07 * k, kRate),
          0.12f);
  }
  Reverb room(kRate, 0.7, 0.35);
  for (auto& v : s) v += 0.45f * room.Step(v);
  FinishOneShot(s, kRate, 0.002, 0.6, 0.85, path);
}

const RegisterAsset kMenu("menu.wav", WriteMenu);
const RegisterAsset kLogo("logo.wav", WriteLogo);
const RegisterAsset kHsName("hs_name.wav", WriteHsName);

}  // namespace
