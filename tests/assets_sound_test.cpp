// Every generated sound under files/, read back the way the game reads it:
// the right layout and rate, no clipping, loops that meet at the seam and
// one-shots that start and stop in silence.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr double kFullScale = 32767.0;
constexpr double kPi = 3.14159265358979323846;

struct SoundFile {
  const char* name;
  int rate;
  bool loops;
  double minSeconds, maxSeconds;
};

// The rates are part of the design: the game plays thrusters at 4 kHz (an
// octave down from 8), the data beep at 88 kHz (an octave up from 44.1) and
// the pump at 14-22 kHz (natural at the middle pad's 22).
const SoundFile kSounds[] = {
    {"logo.wav", 22050, false, 1.0, 4.0},
    {"lander_open.wav", 22050, false, 0.8, 2.0},  // the legs take 0.83 s to unfold
    // Replayed every frame at twice its rate: it must be over within a frame.
    {"key.wav", 44100, false, 0.005, 88000.0 / 44100.0 / 60.0},
    {"menu_opt.wav", 22050, false, 0.02, 0.4},
    {"enter.wav", 22050, false, 0.02, 0.5},
    {"thrusters.wav", 8000, true, 0.5, 6.0},
    {"onfire.wav", 22050, true, 1.0, 8.0},
    {"onfire2.wav", 22050, true, 1.0, 8.0},
    {"fire.wav", 22050, true, 1.0, 8.0},
    {"parachute_open.wav", 22050, false, 0.3, 2.5},
    {"Parachute.wav", 22050, true, 1.0, 8.0},
    {"fuel.wav", 22050, true, 0.4, 6.0},
    {"explosion.wav", 22050, false, 1.0, 5.0},
    {"hs_name.wav", 22050, false, 0.5, 4.0},
    {"menu.wav", 22050, true, 20.0, 40.0},
};

fs::path FilesDir() { return fs::path(KESTREVAN_BINARY).parent_path() / "files"; }

struct Loaded {
  SDL_AudioSpec format{};
  std::vector<int16_t> samples;
};

// Reads a file with SDL as it stands: no conversion, so a wrong layout shows.
::testing::AssertionResult Load(const SoundFile& sound, Loaded& out) {
  const std::string path = (FilesDir() / sound.name).string();
  Uint8* data = nullptr;
  Uint32 bytes = 0;
  if (!SDL_LoadWAV(path.c_str(), &out.format, &data, &bytes)) {
    return ::testing::AssertionFailure() << path << ": " << SDL_GetError();
  }
  out.samples.resize(bytes / 2);
  std::copy(data, data + (bytes / 2) * 2, reinterpret_cast<Uint8*>(out.samples.data()));
  SDL_FreeWAV(data);
  return ::testing::AssertionSuccess();
}

double Seconds(const SoundFile& sound, const Loaded& wav) {
  return static_cast<double>(wav.samples.size()) / sound.rate;
}

double MeanStep(const std::vector<int16_t>& s) {
  double sum = 0.0;
  for (size_t i = 1; i < s.size(); ++i) sum += std::abs(s[i] - s[i - 1]);
  return sum / static_cast<double>(s.size() - 1);
}

double Rms(const std::vector<int16_t>& s, size_t from, size_t to) {
  double sum = 0.0;
  for (size_t i = from; i < to; ++i) sum += static_cast<double>(s[i]) * s[i];
  return std::sqrt(sum / static_cast<double>(to - from));
}

// Strength of one frequency in a stretch of samples (Goertzel).
double Strength(const std::vector<int16_t>& s, size_t from, size_t count, double hz, int rate) {
  const double k = 2.0 * std::cos(2.0 * kPi * hz / rate);
  double s1 = 0.0, s2 = 0.0;
  for (size_t i = from; i < from + count; ++i) {
    const double s0 = s[i] + k * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - k * s1 * s2));
}

const SoundFile& Find(const char* name) {
  for (const auto& sound : kSounds) {
    if (std::string(sound.name) == name) return sound;
  }
  return kSounds[0];
}

TEST(AssetSounds, EveryFileHasItsLayoutLevelAndCleanEnds) {
  uintmax_t totalBytes = 0;
  for (const auto& sound : kSounds) {
    SCOPED_TRACE(sound.name);
    Loaded wav;
    ASSERT_TRUE(Load(sound, wav));
    const auto& s = wav.samples;
    EXPECT_EQ(wav.format.format, AUDIO_S16LSB);
    EXPECT_EQ(wav.format.channels, 1);
    EXPECT_EQ(wav.format.freq, sound.rate);
    EXPECT_GE(Seconds(sound, wav), sound.minSeconds);
    EXPECT_LE(Seconds(sound, wav), sound.maxSeconds);
    totalBytes += fs::file_size(FilesDir() / sound.name);

    // Nothing clips and nothing is silent.
    const size_t edge = static_cast<size_t>(sound.rate / 1000);  // 1 ms
    ASSERT_GT(s.size(), sound.loops ? size_t{1000} : 4 * edge);
    int peak = 0;
    for (int16_t v : s) peak = std::max(peak, std::abs(static_cast<int>(v)));
    EXPECT_LE(peak, 0.9 * kFullScale);
    EXPECT_GE(peak, 0.25 * kFullScale);

    if (sound.loops) {
      // The jump from the last sample back to the first is no bigger than an
      // ordinary step inside the loop: no click when it repeats.
      EXPECT_LE(std::abs(s.front() - s.back()), MeanStep(s));
      // A loop that faded out at both ends would meet at the seam trivially and
      // still pulse audibly: every tenth of it carries sound.
      for (size_t part = 0; part < 10; ++part) {
        EXPECT_GE(Rms(s, s.size() * part / 10, s.size() * (part + 1) / 10), 0.02 * kFullScale) << "tenth " << part;
      }
    } else {
      // A one-shot starts and ends in silence, faded, not cut: the last
      // millisecond is close to silence, and even a sharp attack rises over
      // a quarter millisecond instead of jumping.
      EXPECT_LE(std::abs(s.front()), 0.005 * kFullScale);
      EXPECT_LE(std::abs(s.back()), 0.005 * kFullScale);
      EXPECT_LE(Rms(s, s.size() - edge, s.size()), 0.01 * kFullScale);
      for (size_t i = 0; i < edge / 4; ++i) EXPECT_LE(std::abs(s[i]), 0.1 * kFullScale) << "sample " << i;
    }
  }
  // The sounds' share of the files folder's 10 MB.
  EXPECT_LT(totalBytes, 4u * 1024 * 1024);
}

// The menu loop is a tune, not a drone: the strongest note in the melody's
// register keeps changing and walks through most of a scale.
TEST(AssetSounds, MenuMusicCarriesAMelody) {
  const SoundFile& sound = Find("menu.wav");
  Loaded wav;
  ASSERT_TRUE(Load(sound, wav));
  const size_t window = static_cast<size_t>(sound.rate / 4);
  std::vector<int> strongest;
  for (size_t from = 0; from + window <= wav.samples.size(); from += window) {
    int best = 0;
    double bestStrength = -1.0;
    for (int note = 67; note <= 88; ++note) {  // G4..E6
      const double strength = Strength(wav.samples, from, window, 440.0 * std::pow(2.0, (note - 69) / 12.0), sound.rate);
      if (strength > bestStrength) {
        bestStrength = strength;
        best = note;
      }
    }
    strongest.push_back(best);
  }
  int changes = 0;
  bool pitchClass[12] = {};
  for (size_t i = 0; i < strongest.size(); ++i) {
    pitchClass[strongest[i] % 12] = true;
    if (i > 0 && strongest[i] != strongest[i - 1]) ++changes;
  }
  EXPECT_GE(changes, 16);
  EXPECT_GE(std::count(std::begin(pitchClass), std::end(pitchClass), true), 5);
}

// The thrusters are played at half their stored rate: the file keeps most of
// its energy below 1 kHz, so what the player hears is a rumble under 500 Hz
// rather than a hiss.
TEST(AssetSounds, ThrustersAreARumbleAtHalfSpeed) {
  const SoundFile& sound = Find("thrusters.wav");
  Loaded wav;
  ASSERT_TRUE(Load(sound, wav));
  constexpr size_t kWindow = 512;
  double low = 0.0, all = 0.0;
  for (size_t from = 0; from + kWindow <= wav.samples.size(); from += 4 * kWindow) {
    for (size_t bin = 1; bin < kWindow / 2; ++bin) {
      const double hz = static_cast<double>(bin) * sound.rate / kWindow;
      const double e = std::pow(Strength(wav.samples, from, kWindow, hz, sound.rate), 2.0);
      all += e;
      if (hz < 1000.0) low += e;
    }
  }
  ASSERT_GT(all, 0.0);
  EXPECT_GT(low / all, 0.75);
}

}  // namespace
