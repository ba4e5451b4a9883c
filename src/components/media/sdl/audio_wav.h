#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A sound as the mixer wants it: interleaved signed 16-bit samples.
struct WavSound {
  std::vector<int16_t> samples;  // frames * channels values
  int32_t channels = 0;          // 1 or 2
  int32_t rate = 0;              // sample frames per second
};

// Reads a WAV file in any layout SDL understands and converts it to 16-bit
// at its own rate and channel count. Throws ComponentError("LoadSound",
// "<path>: <reason>") for a missing, unreadable, truncated or unusable file.
WavSound LoadWav(const std::string& path);

// The same rules for a file already in memory; `name` stands for it in the
// messages. The loader's fuzzer drives this.
WavSound DecodeWav(const uint8_t* data, size_t size, const std::string& name);
