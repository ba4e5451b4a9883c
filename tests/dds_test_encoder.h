#pragma once
// A small writer of DDS files for the decoder and engine tests: the header
// the way common tools write it, then the pixels as given or compressed by
// libsquish.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dds_decoder.h"

namespace dds_test {
// Pixel-format flags and header offsets (magic included) as in the file.
constexpr uint32_t kAlphaPixels = 0x1, kAlphaOnly = 0x2, kFourCcFlag = 0x4, kRgb = 0x40,
                   kLuminance = 0x20000;
constexpr size_t kOffMagic = 0, kOffSize = 4, kOffFlags = 8, kOffHeight = 12, kOffWidth = 16,
                 kOffPitch = 20, kOffDepth = 24, kOffMipCount = 28, kOffPfSize = 76,
                 kOffPfFlags = 80, kOffFourCc = 84, kOffBitCount = 88, kOffRedMask = 92,
                 kOffGreenMask = 96, kOffBlueMask = 100, kOffAlphaMask = 104, kOffCaps2 = 112;
}  // namespace dds_test

// An uncompressed layout as the file describes it; luminance formats keep
// their mask in `red`.
struct DdsMasks {
  uint32_t pfFlags, bitCount, red, green, blue, alpha;
};
// A8R8G8B8, stored B G R A.
constexpr DdsMasks kDdsArgb32{
    dds_test::kRgb | dds_test::kAlphaPixels, 32, 0xff0000, 0xff00, 0xff, 0xff000000};

uint32_t DdsFourCc(const char (&text)[5]);
void PutU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value);

// The header, then `pixels` exactly as given.
std::vector<uint8_t> DdsFile(uint32_t width, uint32_t height, const DdsMasks& masks,
                             const std::vector<uint8_t>& pixels);
// squishFlags: squish::kDxt1, kDxt3 or kDxt5.
std::vector<uint8_t> DdsBlocks(const DecodedImage& image, int squishFlags);
