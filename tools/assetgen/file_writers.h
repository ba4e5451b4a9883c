#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

// Writers of the formats the game reads. Each throws std::runtime_error
// naming the path when it cannot write.
enum class DdsFormat {
  kArgb8888,  // uncompressed: exact, for fine detail (the font)
  kDxt1,      // 4 bits a pixel, 1-bit alpha: opaque or cut-out pictures
  kDxt5,      // 8 bits a pixel, smooth alpha
};
void WriteDds(const std::string& path, const Image& image, DdsFormat format);
void WritePng(const std::string& path, const Image& image);
void WriteJpeg(const std::string& path, const Image& image, int quality = 92);
void WriteBmp(const std::string& path, const Image& image);  // 24-bit, alpha dropped

// 16-bit PCM.
struct Pcm {
  int rate = 22050;
  int channels = 1;
  std::vector<int16_t> samples;  // interleaved
};
void WriteWav(const std::string& path, const Pcm& pcm);
