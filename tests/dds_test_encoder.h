#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dds_decoder.h"

// A small writer of DDS files for the decoder and engine tests: it writes the
// header the way common tools do and packs pixels by masks, or compresses
// them with libsquish.

// Pixel-format flags and header offsets as they appear in the file.
namespace dds_test {
constexpr uint32_t kAlphaPixels = 0x1;
constexpr uint32_t kAlphaOnly = 0x2;
constexpr uint32_t kFourCcFlag = 0x4;
constexpr uint32_t kRgb = 0x40;
constexpr uint32_t kLuminance = 0x20000;

constexpr size_t kOffMagic = 0;
constexpr size_t kOffSize = 4;
constexpr size_t kOffFlags = 8;
constexpr size_t kOffHeight = 12;
constexpr size_t kOffWidth = 16;
constexpr size_t kOffPitch = 20;
constexpr size_t kOffDepth = 24;
constexpr size_t kOffMipCount = 28;
constexpr size_t kOffPfSize = 76;
constexpr size_t kOffPfFlags = 80;
constexpr size_t kOffFourCc = 84;
constexpr size_t kOffBitCount = 88;
constexpr size_t kOffRedMask = 92;
constexpr size_t kOffGreenMask = 96;
constexpr size_t kOffBlueMask = 100;
constexpr size_t kOffAlphaMask = 104;
constexpr size_t kOffCaps = 108;
constexpr size_t kOffCaps2 = 112;
constexpr size_t kPixelStart = 128;
}  // namespace dds_test

// An uncompressed layout described the way the file describes it.
struct DdsMaskFormat {
  std::string name;
  uint32_t pfFlags = 0;
  uint32_t bitCount = 0;
  uint32_t redMask = 0;  // the luminance mask for luminance formats
  uint32_t greenMask = 0;
  uint32_t blueMask = 0;
  uint32_t alphaMask = 0;
};

// A common layout by its usual name ("A8R8G8B8", "R5G6B5", "A8L8", ...).
const DdsMaskFormat& DdsMaskFormatNamed(const std::string& name);

uint32_t DdsFourCc(const char (&text)[5]);
void PutU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value);

// A 128-byte header (magic included) for one top-level picture.
std::vector<uint8_t> DdsHeader(uint32_t width, uint32_t height, const DdsMaskFormat& format);
std::vector<uint8_t> DdsHeaderFourCc(uint32_t width, uint32_t height, uint32_t fourCc);

// Packs the picture by the format's masks, rounding each channel to its
// depth; luminance takes the red channel.
std::vector<uint8_t> EncodeDdsMasks(const DecodedImage& image, const DdsMaskFormat& format);
// squishFlags: squish::kDxt1, kDxt3 or kDxt5.
std::vector<uint8_t> EncodeDdsBlocks(const DecodedImage& image, int squishFlags);
