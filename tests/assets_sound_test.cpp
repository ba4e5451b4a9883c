// Every generated sound under files/, read back as it stands: the right
// layout and rate, no clipping, loops that meet at the seam and one-shots
// that start and stop in silence.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr double kFullScale = 32767.0;

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

TEST(AssetSounds, EveryFileHasItsLayoutLevelAndCleanEnds) {
  for (const auto& sound : kSounds) {
    SCOPED_TRACE(sound.name);
    // Read with SDL as it stands: no conversion, so a wrong layout shows.
    const std::string path =
        (std::filesystem::path(KESTREVAN_BINARY).parent_path() / "files" / sound.name).string();
    SDL_AudioSpec format{};
    Uint8* data = nullptr;
    Uint32 bytes = 0;
    ASSERT_NE(SDL_LoadWAV(path.c_str(), &format, &data, &bytes), nullptr) << SDL_GetError();
    std::vector<int16_t> s(bytes / 2);
    std::copy(data, data + s.size() * 2, reinterpret_cast<Uint8*>(s.data()));
    SDL_FreeWAV(data);
    EXPECT_EQ(format.format, AUDIO_S16LSB);
    EXPECT_EQ(format.channels, 1);
    EXPECT_EQ(format.freq, sound.rate);
    const double seconds = static_cast<double>(s.size()) / sound.rate;
    EXPECT_GE(seconds, sound.minSeconds);
    EXPECT_LE(seconds, sound.maxSeconds);

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
        EXPECT_GE(Rms(s, s.size() * part / 10, s.size() * (part + 1) / 10), 0.02 * kFullScale)
            << "tenth " << part;
      }
    } else {
      // A one-shot starts and ends in silence, faded, not cut: the last
      // millisecond is close to silence, and even a sharp attack rises over
      // a quarter millisecond instead of jumping.
      EXPECT_LE(std::abs(s.front()), 0.005 * kFullScale);
      EXPECT_LE(std::abs(s.back()), 0.005 * kFullScale);
      EXPECT_LE(Rms(s, s.size() - edge, s.size()), 0.01 * kFullScale);
      for (size_t i = 0; i < edge / 4; ++i)
        EXPECT_LE(std::abs(s[i]), 0.1 * kFullScale) << "sample " << i;
    }
  }
}

}  // namespace
