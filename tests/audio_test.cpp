#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "components/component_error.h"
#include "components/media/sdl/audio.h"
#include "components/media/sdl/audio_wav.h"
#include "test_folder.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

void Put(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(char(value >> (8 * i)));
}

// A PCM RIFF file written field by field, so a test can make any field odd.
std::string WavFile(uint32_t channels, uint32_t rate, uint32_t bits, const std::string& data) {
  std::string out = "RIFF";
  Put(out, uint32_t(36 + data.size()), 4);
  out += "WAVEfmt ";
  // Two 16-bit fields share a 32-bit word, the first in the low half.
  for (uint32_t word : {16u, 1u | channels << 16, rate, rate * (channels * bits / 8),
                        (channels * bits / 8) | bits << 16})
    Put(out, word, 4);
  out += "data";
  Put(out, uint32_t(data.size()), 4);
  return out + data;
}

// 16-bit samples of a sine at `hz`, the same in every channel.
std::string Tone(double hz, uint32_t rate, int frames, int channels) {
  std::string data;
  for (int i = 0; i < frames; ++i) {
    const double value = 12000.0 * std::sin(2.0 * kPi * hz * i / rate);
    for (int c = 0; c < channels; ++c)
      Put(data, static_cast<uint16_t>(static_cast<int16_t>(value)), 2);
  }
  return data;
}

// Files the WAV reader's fuzzing turned up.
std::string Regress(const std::string& name) {
  return ReadWholeFile(std::string(KESTREVAN_SOURCE_DIR) + "/tests/data/regress/" + name);
}

WavSound Decode(const std::string& bytes, size_t size, const char* name) {
  return DecodeWav(reinterpret_cast<const uint8_t*>(bytes.data()), size, name);
}

std::string ReasonOf(const std::function<void()>& load) {
  try {
    load();
  } catch (const ComponentError& error) {
    EXPECT_EQ(error.Operation(), "LoadSound");
    return error.Reason();
  }
  return "accepted";
}

// ---- Reading WAV files ----

TEST(AudioWav, ConvertsEveryLayoutTo16BitKeepingChannelsAndRate) {
  TestFolder dir{"audio"};
  std::string stereoData;
  for (uint16_t v : {0x1234u, 0xfedcu, 0x0001u, 0x8000u}) Put(stereoData, v, 2);
  const WavSound stereo16 = LoadWav(dir.Write("s16.wav", WavFile(2, 22050, 16, stereoData)));
  EXPECT_EQ(stereo16.channels, 2);
  EXPECT_EQ(stereo16.rate, 22050);
  EXPECT_EQ(stereo16.samples, (std::vector<int16_t>{0x1234, -0x124, 1, -32768}));

  // An odd-sized chunk and its pad byte before three 8-bit samples, which
  // are unsigned around 128: silence, then 16 and 32 steps up.
  const std::string padded = Regress("wav_odd_chunk_padded.wav");
  const WavSound mono8 = Decode(padded, padded.size(), "padded");
  EXPECT_EQ(mono8.channels, 1);
  ASSERT_EQ(mono8.samples.size(), 3u);
  EXPECT_EQ(mono8.samples[0], 0);
  EXPECT_NEAR(mono8.samples[1], 0x1000, 2);
  EXPECT_NEAR(mono8.samples[2], 0x2000, 2);

  // Cut anywhere before its last sample, a file is refused by name (only the
  // pad byte after the sound may go).
  for (size_t cut = 0; cut + 1 < padded.size(); ++cut) {
    const std::string reason = ReasonOf([&] { Decode(padded, cut, "cut"); });
    EXPECT_EQ(reason.rfind("cut: ", 0), 0u) << "cut at " << cut << ": " << reason;
  }
}

TEST(AudioWav, RejectsEachBrokenFileNamingIt) {
  const std::string good = Tone(440, 22050, 100, 1);
  struct BadWav {
    const char* label;
    std::string bytes;
    const char* reasonPart;  // "" when SDL's words are fine
  };
  // SDL reads a chunk at the size the file declares before it finds the file
  // shorter: the lying sizes (2 to 4 GiB in files of 144 bytes, one after
  // the sound data) must be refused before SDL sees them.
  const std::vector<BadWav> cases = {
      {"empty", "", "empty file"},
      {"truncated", WavFile(1, 22050, 16, good).substr(0, 44 + 100),
       "'data' chunk declares 200 bytes but only 100 follow"},
      {"data_size_lies", Regress("wav_data_size_lies.wav"), "the 'data' chunk declares"},
      {"fmt_size_lies", Regress("wav_fmt_size_lies.wav"), "the 'fmt ' chunk declares"},
      {"fmt_after_data_lies", Regress("wav_fmt_after_data_lies.wav"), "the 'fmt ' chunk declares"},
      {"no_riff_header", Regress("wav_headerless_data_size_lies.wav"), "not a RIFF WAVE file"},
      {"three_channels", WavFile(3, 22050, 16, Tone(440, 22050, 10, 3)), "3 channels"},
      {"no_data", WavFile(1, 22050, 16, ""), "no sound data"},
      {"odd_16bit", WavFile(1, 22050, 16, good + "x"), ""},
      {"zero_rate", WavFile(1, 0, 16, good), ""},
      {"twelve_bit", WavFile(1, 22050, 12, good), ""},
  };
  TestFolder dir{"audio"};
  for (const BadWav& bad : cases) {
    SCOPED_TRACE(bad.label);
    const std::string path = dir.Write(std::string(bad.label) + ".wav", bad.bytes);
    const std::string reason = ReasonOf([&] { LoadWav(path); });
    EXPECT_EQ(reason.rfind(path + ": ", 0), 0u) << reason;
    EXPECT_GT(reason.size(), path.size() + 2) << "no reason given";
    EXPECT_NE(reason.find(bad.reasonPart), std::string::npos) << reason;
    // The fuzzer's way in, from memory, gives the same reason.
    EXPECT_EQ("memory" + reason.substr(path.size()),
              ReasonOf([&] { Decode(bad.bytes, bad.bytes.size(), "memory"); }));
  }
  const std::string missing = (dir / "missing.wav").string();
  EXPECT_EQ(ReasonOf([&] { LoadWav(missing); }), missing + ": file not found");
  EXPECT_THROW(LoadWav(dir.Path().string()), ComponentError);  // the folder itself
}

// ---- On OpenAL's null driver: the source state the game's calls leave ----

class AudioNull : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ALSOFT_DRIVERS", "null", 1);
    tone22k_ = dir_.Write("t22.wav", WavFile(1, 22050, 16, Tone(440, 22050, 44100, 1)));
    tone8k_ = dir_.Write("t8.wav", WavFile(1, 8000, 16, Tone(440, 8000, 800, 1)));
    // The device opens beside the first frames: what is loaded meanwhile is
    // checked at once and reaches the device when it is ready, the last load
    // of a name winning.
    out_ = std::make_unique<AudioOutput>(true);
    out_->Load("s8", tone22k_);
    out_->Load("s8", tone8k_);
    out_->Load("s22", tone22k_);
    ASSERT_TRUE(out_->HasDevice()) << "OpenAL's null driver did not open";
  }
  TestFolder dir_{"audio"};
  std::unique_ptr<AudioOutput> out_;
  std::string tone22k_, tone8k_;
};

TEST_F(AudioNull, VolumeBalanceAndRateBecomeGainDirectionAndPitch) {
  struct Case {
    const char* name;
    int32_t volume, balance, rateKhz;
    float gain;
    std::array<float, 3> position;  // on the half circle in front of the listener
    float pitch;                    // against the file's own rate
  };
  const std::vector<Case> cases = {
      {"s22", 0, -100, 0, 0.0f, {-1, 0, 0}, 1.0f},
      {"s22", 50, 0, 4, 0.5f, {0, 0, -1}, 4000.0f / 22050.0f},
      {"s22", 100, 60, 88, 1.0f, {0.6f, 0, -0.8f}, 88000.0f / 22050.0f},
      {"s8", -20, 100, 16, 0.0f, {1, 0, 0}, 2.0f},
      {"s8", 250, -300, 1000, 1.0f, {-1, 0, 0}, 10.0f},  // clamped and capped
      {"s22", 100, 0, -5, 1.0f, {0, 0, -1}, 0.05f},  // a nonsense rate still leaves a valid pitch
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name << " volume " << c.volume << " balance " << c.balance
                                    << " at " << c.rateKhz << " kHz");
    out_->Play(c.name, false, c.volume, c.balance, c.rateKhz);
    EXPECT_FLOAT_EQ(out_->Gain(c.name), c.gain);
    for (int i = 0; i < 3; ++i)
      EXPECT_NEAR(out_->Position(c.name)[i], c.position[i], 1e-5) << "axis " << i;
    EXPECT_NEAR(out_->Pitch(c.name), c.pitch, 1e-5);
  }
  out_->Play("s22", true, 80, 0, 0);
  out_->SetVolume("s22", 30);
  EXPECT_FLOAT_EQ(out_->Gain("s22"), 0.3f);
  EXPECT_TRUE(out_->IsPlaying("s22")) << "changing the volume must not stop the sound";
}

TEST_F(AudioNull, LoopsStopsReloadsAndOneFileUnderThreeNames) {
  out_->Play("nothing", true, 100, 0, 0);
  out_->SetVolume("nothing", 10);
  out_->Stop("nothing");
  EXPECT_FALSE(out_->IsLoaded("nothing"));
  EXPECT_FALSE(out_->IsPlaying("nothing"));

  for (const char* name : {"thrust1", "thrust2", "thrust3"}) out_->Load(name, tone22k_);
  out_->Play("thrust1", false, 100, 0, 0);
  out_->Play("thrust2", true, 100, 0, 0);
  EXPECT_FALSE(out_->IsLooping("thrust1"));
  EXPECT_TRUE(out_->IsLooping("thrust2"));
  EXPECT_TRUE(out_->IsPlaying("thrust1"));
  EXPECT_FALSE(out_->IsPlaying("thrust3"));
  out_->Stop("thrust2");
  EXPECT_FALSE(out_->IsPlaying("thrust2"));
  EXPECT_TRUE(out_->IsPlaying("thrust1"));

  // Reloading one while it plays must not pull the shared sound from the
  // others; its pitch is then measured against the new file's rate.
  out_->Load("thrust1", tone8k_);
  out_->Play("thrust1", true, 100, 0, 16);
  EXPECT_NEAR(out_->Pitch("thrust1"), 2.0f, 1e-5);
  out_->Play("thrust3", true, 100, 0, 0);
  EXPECT_TRUE(out_->IsPlaying("thrust3"));
  // A broken replacement is reported and the old sound stays.
  EXPECT_THROW(out_->Load("thrust3", dir_.Write("bad.wav", "RIFFxxxx")), ComponentError);
  EXPECT_TRUE(out_->IsPlaying("thrust3"));

  out_->Load("stereo", dir_.Write("st.wav", WavFile(2, 22050, 16, Tone(440, 22050, 2205, 2))));
  out_->Play("stereo", true, 100, -100, 0);
  EXPECT_TRUE(out_->IsPlaying("stereo"));
  out_->Shutdown();
  EXPECT_FALSE(out_->HasDevice());
  EXPECT_FALSE(out_->IsLoaded("stereo"));
  out_->Play("stereo", true, 100, 0, 0);
}

// ---- Separate processes: OpenAL reads its driver choice once per process ----

// Runs AudioChild.Run in a child with `settings` (VAR=value words) in place
// of the test's own OpenAL settings; its output goes to `log`.
int RunChild(const std::string& role, const std::string& settings, const std::string& log) {
  const std::string command = "env -u ALSOFT_DRIVERS -u ALSOFT_CONF KESTREVAN_AUDIO_CHILD=" + role +
                              " " + settings + " '" +
                              std::filesystem::read_symlink("/proc/self/exe").string() +
                              "' --gtest_filter=AudioChild.Run >'" + log + "' 2>&1";
  return std::system(command.c_str());
}

TEST(AudioChild, Run) {
  const char* role = std::getenv("KESTREVAN_AUDIO_CHILD");
  if (role == nullptr) GTEST_SKIP() << "runs only inside the Audio tests' child processes";
  if (std::string(role) == "nodevice") {
    // No device, and an output never meant to open one (--mute, headless):
    // files are still checked and remembered, and nothing plays.
    AudioOutput first(true);
    AudioOutput second(true);
    AudioOutput muted(false);
    for (AudioOutput* out : {&first, &muted}) {
      EXPECT_FALSE(out->HasDevice());
      out->Load("s", std::getenv("KESTREVAN_AUDIO_TONE"));
      EXPECT_TRUE(out->IsLoaded("s"));
      EXPECT_THROW(out->Load("bad", "/nonexistent/bad.wav"), ComponentError);
      EXPECT_FALSE(out->IsLoaded("bad"));
      out->Play("s", true, 100, 0, 0);
      out->SetVolume("s", 50);
      EXPECT_FALSE(out->IsPlaying("s"));
      out->Shutdown();
      EXPECT_FALSE(out->IsLoaded("s"));
    }
    EXPECT_FALSE(second.HasDevice());
    return;
  }
  // Hard left at twice the file's rate, until a third of a second of the
  // sound is mixed however slowly the machine runs.
  AudioOutput out(true);
  ASSERT_TRUE(out.HasDevice()) << "the wave driver did not open";
  out.Load("tone", std::getenv("KESTREVAN_AUDIO_TONE"));
  out.Play("tone", true, 100, -100, 32);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (out.PlaybackSeconds("tone") < 0.6f && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  out.Shutdown();
}

TEST(AudioDevice, WithoutADeviceFilesAreStillCheckedAndOneWarningIsGiven) {
  TestFolder dir{"audio"};
  const std::string tone = dir.Write("tone.wav", WavFile(1, 22050, 16, Tone(440, 22050, 2205, 1)));
  const std::string log = (dir / "child.log").string();
  ASSERT_EQ(RunChild("nodevice", "ALSOFT_DRIVERS=no-such-driver KESTREVAN_AUDIO_TONE=" + tone, log),
            0)
      << ReadWholeFile(log);
  const std::string text = ReadWholeFile(log);
  const size_t first = text.find("no audio device");
  EXPECT_TRUE(first != std::string::npos &&
              text.find("no audio device", first + 1) == std::string::npos)
      << text;
}

TEST(AudioWave, MixIsPannedAndPitched) {
  TestFolder dir{"audio"};
  const std::string mixPath = (dir / "mix.wav").string();
  // sample-type belongs to [general]: under [wave] OpenAL Soft 1.19 ignores it and writes floats.
  const std::string conf =
      dir.Write("wave.conf",
                "[general]\ndrivers = wave\nsample-type = int16\n[wave]\nfile = " + mixPath + "\n");
  const std::string tone =
      dir.Write("tone16k.wav", WavFile(1, 16000, 16, Tone(440, 16000, 32000, 1)));
  const std::string log = (dir / "child.log").string();
  ASSERT_EQ(RunChild("wave", "ALSOFT_CONF=" + conf + " KESTREVAN_AUDIO_TONE=" + tone, log), 0)
      << ReadWholeFile(log);

  // Read back by our own reader, which takes 16-bit stereo as it is.
  const WavSound wave = LoadWav(mixPath);
  ASSERT_EQ(wave.channels, 2);
  const std::vector<int16_t>& mix = wave.samples;
  const uint32_t rate = uint32_t(wave.rate);
  ASSERT_GT(mix.size(), rate / 5) << "less than a tenth of a second of mix";

  // Each side's energy, and the left's pitch from its upward zero crossings
  // over the span where the tone sounds.
  double left = 0, right = 0;
  size_t first = mix.size(), last = 0;
  for (size_t i = 0; i < mix.size(); i += 2) {
    left += static_cast<double>(mix[i]) * mix[i];
    right += static_cast<double>(mix[i + 1]) * mix[i + 1];
    if (std::abs(mix[i]) > 1000) {
      first = std::min(first, i);
      last = i;
    }
  }
  int crossings = 0;
  for (size_t i = first + 2; i <= last; i += 2)
    crossings += (mix[i - 2] < 0 && mix[i] >= 0) ? 1 : 0;
  EXPECT_GT(left, 100.0 * right) << "left " << left << " right " << right;
  ASSERT_GT(last, first);
  EXPECT_NEAR(crossings * 2.0 * rate / static_cast<double>(last - first), 880.0, 30.0);
}

}  // namespace
