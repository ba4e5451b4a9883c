#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "components/component_error.h"
#include "components/media/sdl/audio.h"
#include "components/media/sdl/audio_wav.h"
#include "test_folder.h"

extern char** environ;

namespace {

constexpr double kPi = 3.14159265358979323846;

struct WavLayout {
  uint16_t encoding = 1;  // 1 PCM, 3 float
  uint16_t channels = 1;
  uint32_t rate = 22050;
  uint16_t bits = 16;
};

void Put(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

// A RIFF file written field by field, so a test can make any field odd.
std::string WavFile(const WavLayout& layout, const std::string& data) {
  const uint16_t blockAlign = static_cast<uint16_t>(layout.channels * layout.bits / 8);
  std::string out = "RIFF";
  Put(out, static_cast<uint32_t>(36 + data.size()), 4);
  out += "WAVEfmt ";
  Put(out, 16, 4);
  Put(out, layout.encoding, 2);
  Put(out, layout.channels, 2);
  Put(out, layout.rate, 4);
  Put(out, layout.rate * blockAlign, 4);
  Put(out, blockAlign, 2);
  Put(out, layout.bits, 2);
  out += "data";
  Put(out, static_cast<uint32_t>(data.size()), 4);
  return out + data;
}

// 16-bit samples of a sine at `hz`, the same in every channel.
std::string Tone(double hz, uint32_t rate, int frames, int channels) {
  std::string data;
  for (int i = 0; i < frames; ++i) {
    const double value = 12000.0 * std::sin(2.0 * kPi * hz * i / rate);
    for (int c = 0; c < channels; ++c) Put(data, static_cast<uint16_t>(static_cast<int16_t>(value)), 2);
  }
  return data;
}

// ---- Loading ----

TEST(AudioWav, ConvertsEveryLayoutTo16BitKeepingChannelsAndRate) {
  TestFolder dir{"audio"};
  // 8-bit is unsigned around 128: silence, the top and the bottom.
  const WavSound mono8 = LoadWav(dir.Write("m8.wav", WavFile({1, 1, 11025, 8}, std::string("\x80\xff\x00", 3))));
  EXPECT_EQ(mono8.channels, 1);
  EXPECT_EQ(mono8.rate, 11025);
  ASSERT_EQ(mono8.samples.size(), 3u);
  EXPECT_EQ(mono8.samples[0], 0);
  EXPECT_GT(mono8.samples[1], 32000);
  EXPECT_EQ(mono8.samples[2], -32768);

  std::string stereoData;
  for (uint16_t v : {0x1234u, 0xfedcu, 0x0001u, 0x8000u}) Put(stereoData, v, 2);
  const WavSound stereo16 = LoadWav(dir.Write("s16.wav", WavFile({1, 2, 22050, 16}, stereoData)));
  EXPECT_EQ(stereo16.channels, 2);
  EXPECT_EQ(stereo16.rate, 22050);
  EXPECT_EQ(stereo16.samples, (std::vector<int16_t>{0x1234, -0x124, 1, -32768}));

  std::string floatData;
  for (float f : {0.5f, -1.0f}) {
    uint32_t bits = 0;
    std::memcpy(&bits, &f, 4);
    Put(floatData, bits, 4);
  }
  const WavSound mono32 = LoadWav(dir.Write("f32.wav", WavFile({3, 1, 48000, 32}, floatData)));
  ASSERT_EQ(mono32.samples.size(), 2u);
  EXPECT_NEAR(mono32.samples[0], 16384, 2);
  EXPECT_LE(mono32.samples[1], -32767);
}

struct BadWav {
  const char* label;
  std::string bytes;
  const char* reasonPart;  // expected inside the message, "" when SDL's words are fine
};

TEST(AudioWav, RejectsEachBrokenFileNamingIt) {
  const std::string good = Tone(440, 22050, 100, 1);
  const std::vector<BadWav> cases = {
      {"empty", "", ""},
      {"truncated", WavFile({}, good).substr(0, 44 + 100), ""},
      {"three_channels", WavFile({1, 3, 22050, 16}, Tone(440, 22050, 10, 3)), "3 channels"},
      {"no_data", WavFile({}, ""), "no sound data"},
      {"odd_16bit", WavFile({}, good + "x"), ""},
      {"zero_rate", WavFile({1, 1, 0, 16}, good), ""},
      {"twelve_bit", WavFile({1, 1, 22050, 12}, good), ""},
  };
  TestFolder dir{"audio"};
  for (const BadWav& bad : cases) {
    const std::string path = dir.Write(std::string(bad.label) + ".wav", bad.bytes);
    try {
      LoadWav(path);
      ADD_FAILURE() << bad.label << " was accepted";
    } catch (const ComponentError& error) {
      EXPECT_EQ(error.Operation(), "LoadSound") << bad.label;
      EXPECT_EQ(error.Reason().rfind(path + ": ", 0), 0u) << bad.label << ": " << error.what();
      EXPECT_GT(error.Reason().size(), path.size() + 2) << bad.label << " gave no reason";
      EXPECT_NE(error.Reason().find(bad.reasonPart), std::string::npos) << error.what();
    }
  }
  try {
    LoadWav((dir / "missing.wav").string());
    ADD_FAILURE() << "a missing file was accepted";
  } catch (const ComponentError& error) {
    EXPECT_EQ(error.Reason(), (dir / "missing.wav").string() + ": file not found");
  }
  EXPECT_THROW(LoadWav(dir.Path().string()), ComponentError);  // the folder itself
}

// ---- Without a device ----

TEST(AudioSilent, ValidatesAndRemembersFilesButPlaysNothing) {
  TestFolder dir{"audio"};
  const std::string good = dir.Write("tone.wav", WavFile({}, Tone(440, 22050, 2205, 1)));
  AudioOutput out(false);
  EXPECT_FALSE(out.HasDevice());
  out.Load("beep", good);
  EXPECT_TRUE(out.IsLoaded("beep"));
  EXPECT_THROW(out.Load("bad", dir.Write("bad.wav", "RIFF")), ComponentError);
  EXPECT_FALSE(out.IsLoaded("bad"));
  out.Play("beep", true, 100, 0, 0);
  out.SetVolume("beep", 50);
  EXPECT_FALSE(out.IsPlaying("beep"));
  EXPECT_EQ(out.Gain("beep"), 0.0f);
  EXPECT_EQ(out.Pitch("beep"), 0.0f);
  out.Stop("beep");
  out.Shutdown();
  out.Shutdown();
  EXPECT_FALSE(out.IsLoaded("beep"));
}

// ---- On OpenAL's null driver: the source state the game's calls leave ----

class AudioNull : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ALSOFT_DRIVERS", "null", 1);
    out_ = std::make_unique<AudioOutput>(true);
    ASSERT_TRUE(out_->HasDevice()) << "OpenAL's null driver did not open";
    tone22k_ = dir_.Write("t22.wav", WavFile({1, 1, 22050, 16}, Tone(440, 22050, 44100, 1)));
    tone8k_ = dir_.Write("t8.wav", WavFile({1, 1, 8000, 16}, Tone(440, 8000, 800, 1)));
  }
  TestFolder dir_{"audio"};
  std::unique_ptr<AudioOutput> out_;
  std::string tone22k_, tone8k_;
};

TEST_F(AudioNull, VolumeBecomesGainClampedToRange) {
  out_->Load("s", tone22k_);
  const std::vector<std::pair<int32_t, float>> cases = {{0, 0.0f}, {50, 0.5f}, {100, 1.0f}, {-20, 0.0f}, {250, 1.0f}};
  for (const auto& c : cases) {
    out_->Play("s", false, c.first, 0, 0);
    EXPECT_FLOAT_EQ(out_->Gain("s"), c.second) << "volume " << c.first;
  }
  out_->Play("s", true, 80, 0, 0);
  out_->SetVolume("s", 30);
  EXPECT_FLOAT_EQ(out_->Gain("s"), 0.3f);
  EXPECT_TRUE(out_->IsPlaying("s")) << "changing the volume must not stop the sound";
}

TEST_F(AudioNull, BalanceBecomesADirectionOnTheFrontHalfCircle) {
  out_->Load("s", tone22k_);
  const std::vector<std::pair<int32_t, std::array<float, 3>>> cases = {
      {-100, {-1, 0, 0}}, {0, {0, 0, -1}}, {100, {1, 0, 0}}, {60, {0.6f, 0, -0.8f}}, {-300, {-1, 0, 0}}, {999, {1, 0, 0}}};
  for (const auto& c : cases) {
    out_->Play("s", false, 100, c.first, 0);
    const std::array<float, 3> position = out_->Position("s");
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(position[i], c.second[i], 1e-5) << "balance " << c.first << " axis " << i;
  }
}

TEST_F(AudioNull, RateInKilohertzBecomesPitchAgainstTheFileRate) {
  out_->Load("s22", tone22k_);
  out_->Load("s8", tone8k_);
  struct Case { const char* name; int32_t rateKhz; float pitch; };
  const std::vector<Case> cases = {
      {"s22", 0, 1.0f},   {"s22", 4, 4000.0f / 22050.0f}, {"s22", 88, 88000.0f / 22050.0f},
      {"s8", 16, 2.0f},   {"s8", 8, 1.0f},                {"s8", 1000, 10.0f},  // capped
      {"s22", -5, 0.05f},  // a nonsense rate still leaves a valid pitch
  };
  for (const Case& c : cases) {
    out_->Play(c.name, true, 100, 0, c.rateKhz);
    EXPECT_NEAR(out_->Pitch(c.name), c.pitch, 1e-5) << c.name << " at " << c.rateKhz << " kHz";
  }
  // Reloading a name replaces its sound, and with it the rate the pitch is measured against.
  out_->Load("s8", tone22k_);
  out_->Play("s8", true, 100, 0, 16);
  EXPECT_NEAR(out_->Pitch("s8"), 16000.0f / 22050.0f, 1e-5);
}

TEST_F(AudioNull, LoopRestartAndStop) {
  out_->Load("long", tone22k_);  // two seconds
  out_->Load("short", tone8k_);  // a tenth of a second
  out_->Play("long", false, 100, 0, 0);
  out_->Play("short", false, 100, 0, 0);
  EXPECT_FALSE(out_->IsLooping("long"));
  out_->Load("looped", tone8k_);
  out_->Play("looped", true, 100, 0, 0);
  EXPECT_TRUE(out_->IsLooping("looped"));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_GT(out_->PlaybackSeconds("long"), 0.1f) << "the null driver should advance sources";
  EXPECT_FALSE(out_->IsPlaying("short")) << "a one-shot ends by itself";
  EXPECT_TRUE(out_->IsPlaying("looped"));
  out_->Play("long", false, 100, 0, 0);
  EXPECT_LT(out_->PlaybackSeconds("long"), 0.1f) << "Play restarts from the beginning";
  EXPECT_TRUE(out_->IsPlaying("long"));
  out_->Stop("looped");
  EXPECT_FALSE(out_->IsPlaying("looped"));
  EXPECT_TRUE(out_->IsPlaying("long"));
}

TEST_F(AudioNull, OneFileUnderThreeNamesPlaysAsThreeSoundsAndUnknownNamesAreIgnored) {
  out_->Play("nothing", true, 100, 0, 0);
  out_->SetVolume("nothing", 10);
  out_->Stop("nothing");
  EXPECT_FALSE(out_->IsLoaded("nothing"));
  EXPECT_FALSE(out_->IsPlaying("nothing"));
  EXPECT_EQ(out_->Gain("nothing"), 0.0f);
  for (const char* name : {"thrust1", "thrust2", "thrust3"}) out_->Load(name, tone22k_);
  out_->Play("thrust1", true, 100, -100, 4);
  out_->Play("thrust3", true, 40, 100, 0);
  EXPECT_TRUE(out_->IsPlaying("thrust1"));
  EXPECT_FALSE(out_->IsPlaying("thrust2"));
  EXPECT_FLOAT_EQ(out_->Gain("thrust3"), 0.4f);
  EXPECT_NEAR(out_->Pitch("thrust1"), 4000.0f / 22050.0f, 1e-5);
  out_->Stop("thrust1");
  EXPECT_TRUE(out_->IsPlaying("thrust3"));
  // Reloading one of them must not pull the shared sound from the others.
  out_->Load("thrust1", tone8k_);
  out_->Play("thrust2", true, 100, 0, 0);
  EXPECT_TRUE(out_->IsPlaying("thrust2"));
}

// The device opens beside the first frames; what is loaded meanwhile is
// checked at once and reaches the device, last load of a name winning.
TEST(AudioOpening, FilesLoadedWhileTheDeviceOpensPlayOnceItIs) {
  setenv("ALSOFT_DRIVERS", "null", 1);
  TestFolder dir{"audio"};
  const std::string tone22k = dir.Write("t22.wav", WavFile({1, 1, 22050, 16}, Tone(440, 22050, 44100, 1)));
  const std::string tone8k = dir.Write("t8.wav", WavFile({1, 1, 8000, 16}, Tone(440, 8000, 8000, 1)));
  AudioOutput out(true);
  out.Load("engine", tone22k);
  out.Load("engine", tone8k);
  out.Load("other", tone22k);
  EXPECT_TRUE(out.IsLoaded("engine"));
  EXPECT_THROW(out.Load("bad", dir.Write("bad.wav", "RIFF")), ComponentError);
  EXPECT_FALSE(out.IsLoaded("bad"));
  out.Play("engine", true, 50, 0, 4);
  ASSERT_TRUE(out.HasDevice());
  EXPECT_TRUE(out.IsPlaying("engine"));
  EXPECT_FLOAT_EQ(out.Gain("engine"), 0.5f);
  EXPECT_NEAR(out.Pitch("engine"), 4000.0f / 8000.0f, 1e-5);  // the second file's rate
  EXPECT_FALSE(out.IsPlaying("other"));
  out.Shutdown();
  EXPECT_FALSE(out.IsLoaded("engine"));
}

TEST_F(AudioNull, StereoFilesAndFailedReloadsAndShutdown) {
  out_->Load("stereo", dir_.Write("st.wav", WavFile({1, 2, 22050, 16}, Tone(440, 22050, 2205, 2))));
  out_->Play("stereo", true, 100, -100, 0);
  EXPECT_TRUE(out_->IsPlaying("stereo"));
  // A broken replacement is reported and the old sound stays.
  EXPECT_THROW(out_->Load("stereo", dir_.Write("bad.wav", "RIFFxxxx")), ComponentError);
  EXPECT_TRUE(out_->IsLoaded("stereo"));
  out_->Play("stereo", false, 100, 0, 0);
  EXPECT_TRUE(out_->IsPlaying("stereo"));
  out_->Shutdown();
  EXPECT_FALSE(out_->HasDevice());
  EXPECT_FALSE(out_->IsLoaded("stereo"));
  out_->Play("stereo", true, 100, 0, 0);
  out_->Shutdown();
}

// ---- Separate processes: OpenAL reads its driver choice once per process ----

std::string SelfPath() {
  std::vector<char> buffer(4096);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  return length > 0 ? std::string(buffer.data(), static_cast<size_t>(length)) : std::string();
}

// Runs one test of this binary in a child with `extraEnv` added and ALSOFT_*
// taken out; its output goes to `logPath`. Returns the exit status.
int RunChild(const std::string& filter, const std::vector<std::string>& extraEnv, const std::string& logPath) {
  std::vector<std::string> envText = extraEnv;
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::strncmp(*e, "ALSOFT_", 7) != 0 && std::strncmp(*e, "KESTREVAN_AUDIO_", 16) != 0) envText.push_back(*e);
  }
  std::vector<char*> envp;
  for (std::string& text : envText) envp.push_back(text.data());
  envp.push_back(nullptr);
  std::string self = SelfPath();
  std::string filterArg = "--gtest_filter=" + filter;
  char* argv[] = {self.data(), filterArg.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const char* ChildRole() { return std::getenv("KESTREVAN_AUDIO_CHILD"); }

TEST(AudioChild, Run) {
  if (ChildRole() == nullptr) GTEST_SKIP() << "runs only inside the Audio tests' child processes";
  const std::string role = ChildRole();
  if (role == "nodevice") {
    AudioOutput first(true);
    AudioOutput second(true);
    AudioOutput muted(false);
    EXPECT_FALSE(first.HasDevice());
    first.Load("s", std::getenv("KESTREVAN_AUDIO_TONE"));
    first.Play("s", true, 100, 0, 0);
    EXPECT_TRUE(first.IsLoaded("s"));
    return;
  }
  AudioOutput out(true);
  ASSERT_TRUE(out.HasDevice()) << "the wave driver did not open";
  out.Load("tone", std::getenv("KESTREVAN_AUDIO_TONE"));
  out.Play("tone", true, 100, std::atoi(std::getenv("KESTREVAN_AUDIO_BALANCE")),
           std::atoi(std::getenv("KESTREVAN_AUDIO_RATE")));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  out.Shutdown();
}

TEST(AudioDevice, MissingDeviceWarnsOnceAndStillValidates) {
  TestFolder dir{"audio"};
  const std::string tone = dir.Write("tone.wav", WavFile({}, Tone(440, 22050, 2205, 1)));
  const std::string log = (dir / "child.log").string();
  ASSERT_EQ(RunChild("AudioChild.Run", {"KESTREVAN_AUDIO_CHILD=nodevice", "ALSOFT_DRIVERS=no-such-driver",
                                        "KESTREVAN_AUDIO_TONE=" + tone},
                     log),
            0)
      << ReadWholeFile(log);
  const std::string text = ReadWholeFile(log);
  size_t count = 0;
  for (size_t at = text.find("no audio device"); at != std::string::npos; at = text.find("no audio device", at + 1)) ++count;
  EXPECT_EQ(count, 1u) << text;
}

struct Mix {
  int channels = 0;
  int rate = 0;
  std::vector<int16_t> samples;
};

// Reads the 16-bit mix OpenAL's wave driver wrote (plain or extensible header).
Mix ReadMix(const std::string& path) {
  const std::string bytes = ReadWholeFile(path);
  auto u32 = [&](size_t at) { uint32_t v = 0; std::memcpy(&v, bytes.data() + at, 4); return v; };
  auto u16 = [&](size_t at) { uint16_t v = 0; std::memcpy(&v, bytes.data() + at, 2); return v; };
  Mix mix;
  size_t at = 12;
  while (bytes.size() >= 12 && at + 8 <= bytes.size()) {
    const std::string id = bytes.substr(at, 4);
    size_t size = u32(at + 4);
    if (id == "fmt " && at + 24 <= bytes.size()) {
      mix.channels = u16(at + 10);
      mix.rate = static_cast<int>(u32(at + 12));
      if (u16(at + 22) != 16) return Mix();
    } else if (id == "data") {
      // The writer patches the size at close; trust the file's end if it did not.
      if (size == 0 || at + 8 + size > bytes.size()) size = bytes.size() - at - 8;
      mix.samples.resize(size / 2);
      std::memcpy(mix.samples.data(), bytes.data() + at + 8, mix.samples.size() * 2);
      break;
    }
    at += 8 + size + (size & 1);
  }
  return mix;
}

struct ChannelStats {
  double energy = 0;
  double hz = 0;  // from upward zero crossings over the span where the tone sounds
};

ChannelStats Analyse(const Mix& mix, int channel) {
  ChannelStats stats;
  std::vector<int16_t> s;
  for (size_t i = static_cast<size_t>(channel); i < mix.samples.size(); i += static_cast<size_t>(mix.channels)) {
    s.push_back(mix.samples[i]);
    stats.energy += static_cast<double>(mix.samples[i]) * mix.samples[i];
  }
  size_t first = s.size(), last = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (std::abs(s[i]) > 1000) {
      first = std::min(first, i);
      last = i;
    }
  }
  int crossings = 0;
  for (size_t i = first + 1; i <= last; ++i) crossings += (s[i - 1] < 0 && s[i] >= 0) ? 1 : 0;
  if (last > first) stats.hz = crossings * static_cast<double>(mix.rate) / static_cast<double>(last - first);
  return stats;
}

Mix RecordTone(const TestFolder& dir, const std::string& label, int32_t balance, int32_t rateKhz) {
  const std::string mixPath = (dir / (label + ".wav")).string();
  // sample-type belongs to [general]: under [wave] OpenAL Soft 1.19 ignores it and writes floats.
  const std::string conf =
      dir.Write(label + ".conf", "[general]\ndrivers = wave\nsample-type = int16\n[wave]\nfile = " + mixPath + "\n");
  const std::string tone = dir.Write("tone16k.wav", WavFile({1, 1, 16000, 16}, Tone(440, 16000, 16000, 1)));
  const std::string log = (dir / (label + ".log")).string();
  const int status = RunChild("AudioChild.Run",
                              {"KESTREVAN_AUDIO_CHILD=wave", "ALSOFT_CONF=" + conf, "KESTREVAN_AUDIO_TONE=" + tone,
                               "KESTREVAN_AUDIO_BALANCE=" + std::to_string(balance),
                               "KESTREVAN_AUDIO_RATE=" + std::to_string(rateKhz)},
                              log);
  EXPECT_EQ(status, 0) << ReadWholeFile(log);
  return ReadMix(mixPath);
}

TEST(AudioWave, MixIsPannedAndPitched) {
  TestFolder dir{"audio"};
  const Mix left = RecordTone(dir, "left", -100, 0);
  ASSERT_EQ(left.channels, 2);
  ASSERT_GT(left.samples.size(), static_cast<size_t>(left.rate) / 10) << "less than 50 ms of stereo mix";
  const ChannelStats leftL = Analyse(left, 0), leftR = Analyse(left, 1);
  EXPECT_GT(leftL.energy, 100.0 * leftR.energy) << "left " << leftL.energy << " right " << leftR.energy;
  EXPECT_NEAR(leftL.hz, 440.0, 25.0);

  const Mix doubled = RecordTone(dir, "pitch2", 0, 32);  // 32 kHz against a 16 kHz file
  ASSERT_EQ(doubled.channels, 2);
  const ChannelStats fast = Analyse(doubled, 0);
  EXPECT_NEAR(fast.hz / leftL.hz, 2.0, 0.15) << fast.hz << " Hz against " << leftL.hz << " Hz";
}

}  // namespace
