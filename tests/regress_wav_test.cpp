// Sounds from the WAV loader's fuzzing. SDL reads a chunk into memory at the
// size the file declares before it finds the file shorter, so a tiny file
// could make the game ask for gigabytes; the loader now walks the chunks
// first. Padded and unknown chunks in front of the sound must still load.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "components/component_error.h"
#include "components/media/sdl/audio_wav.h"

namespace {

std::string DataPath(const std::string& name) {
  return std::string(KESTREVAN_SOURCE_DIR) + "/tests/data/regress/" + name;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Le32At(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
  return value;
}

std::string ReasonOfDecode(const std::string& bytes, const std::string& name) {
  try {
    DecodeWav(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), name);
  } catch (const ComponentError& error) {
    return error.Reason();
  }
  return "accepted";
}

std::string ReasonOfLoad(const std::string& path) {
  try {
    LoadWav(path);
  } catch (const ComponentError& error) {
    return error.Reason();
  }
  return "accepted";
}

TEST(RegressWav, AChunkLargerThanTheFileIsRefusedBeforeAnythingIsRead) {
  struct Case {
    const char* file;
    const char* chunk;
    size_t headerAt;  // where the chunk's id starts
  };
  // The data chunk claims about 2 GiB, the format chunk about 4 GiB, in files
  // of 144 bytes.
  // A lying format chunk after the sound data is caught as well: SDL goes on
  // looking for the format past the data.
  const Case cases[] = {{"wav_data_size_lies.wav", "data", 36},
                        {"wav_fmt_size_lies.wav", "fmt ", 12},
                        {"wav_fmt_after_data_lies.wav", "fmt ", 24}};
  for (const Case& c : cases) {
    const std::string path = DataPath(c.file);
    const std::string bytes = ReadFile(path);
    ASSERT_GT(bytes.size(), c.headerAt + 8) << c.file;
    ASSERT_EQ(bytes.substr(c.headerAt, 4), c.chunk) << c.file;
    const uint32_t declared = Le32At(bytes, c.headerAt + 4);
    const size_t left = bytes.size() - c.headerAt - 8;
    ASSERT_GT(declared, left) << c.file;
    const std::string expected = "the '" + std::string(c.chunk) + "' chunk declares " + std::to_string(declared) +
                                 " bytes but only " + std::to_string(left) + " follow";

    EXPECT_EQ(ReasonOfDecode(bytes, "memory.wav"), "memory.wav: " + expected);
    EXPECT_EQ(ReasonOfLoad(path), path + ": " + expected);
  }
}

TEST(RegressWav, AFileWithoutItsRiffHeaderIsRefused) {
  // Starts at "WAVE" and its data chunk claims 3 GiB; the fuzzer's first
  // out-of-memory.
  const std::string path = DataPath("wav_headerless_data_size_lies.wav");
  ASSERT_EQ(ReadFile(path).substr(0, 4), "WAVE");
  EXPECT_EQ(ReasonOfLoad(path), path + ": not a RIFF WAVE file");
}

TEST(RegressWav, PaddedAndUnknownChunksBeforeTheSoundStillLoad) {
  // An odd-sized "junk" chunk with its pad byte, then three 8-bit samples.
  const std::string padded = DataPath("wav_odd_chunk_padded.wav");
  const WavSound fromFile = LoadWav(padded);
  EXPECT_EQ(fromFile.channels, 1);
  EXPECT_EQ(fromFile.rate, 22050);
  // 8-bit samples are unsigned around 128: silence, then 16 and 32 steps up.
  ASSERT_EQ(fromFile.samples.size(), 3u);
  EXPECT_EQ(fromFile.samples[0], 0);
  EXPECT_NEAR(fromFile.samples[1], 0x10 << 8, 2);
  EXPECT_NEAR(fromFile.samples[2], 2 * fromFile.samples[1], 2);

  const std::string bytes = ReadFile(padded);
  const WavSound fromMemory = DecodeWav(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "padded");
  EXPECT_EQ(fromMemory.samples, fromFile.samples);

  // A LIST chunk between the format and the sound: nine 16-bit samples.
  const WavSound listed = LoadWav(DataPath("wav_list_before_data.wav"));
  EXPECT_EQ(listed.channels, 1);
  EXPECT_EQ(listed.samples.size(), 9u);

  // Cut anywhere before its last sample, the same file is refused by name
  // (only the pad byte after the sound may go).
  for (size_t cut = 0; cut + 1 < bytes.size(); ++cut) {
    const std::string reason = ReasonOfDecode(bytes.substr(0, cut), "cut");
    EXPECT_EQ(reason.rfind("cut: ", 0), 0u) << "cut at " << cut << ": " << reason;
  }
}

}  // namespace
