#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

// Sound for the media engine, on OpenAL Soft: one source per sound name.
// Every failure on a file throws ComponentError naming the file and reason.
// Operations on a name never loaded do nothing. With no audio device the
// output prints one warning and stays silent (loads still validate files).
class AudioOutput {
 public:
  // `enabled` false: never open a device (headless runs, --mute).
  explicit AudioOutput(bool enabled);
  ~AudioOutput();
  AudioOutput(const AudioOutput&) = delete;
  AudioOutput& operator=(const AudioOutput&) = delete;

  bool HasDevice() const;
  // Reads a WAV file (1-2 channels, any rate/depth SDL can convert) under `name`.
  // Loading a name again replaces its sound.
  void Load(const std::string& name, const std::string& path);
  bool IsLoaded(const std::string& name) const;
  // Restarts the sound. volume 0-100 (clamped), balance -100..100 (clamped),
  // rateKhz 0 = the file's own rate, else playback at that many kHz.
  void Play(const std::string& name, bool loop, int32_t volume, int32_t balance, int32_t rateKhz);
  void SetVolume(const std::string& name, int32_t volume);
  void Stop(const std::string& name);
  // For tests: whether the source of `name` is playing, its gain and pitch.
  bool IsPlaying(const std::string& name) const;
  float Gain(const std::string& name) const;
  float Pitch(const std::string& name) const;
  // For tests: the loop flag, the listener-relative position and how far
  // into its sound the source is. False / zeros when silent or unknown.
  bool IsLooping(const std::string& name) const;
  std::array<float, 3> Position(const std::string& name) const;
  float PlaybackSeconds(const std::string& name) const;
  void Shutdown();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
