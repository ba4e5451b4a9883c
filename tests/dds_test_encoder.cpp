#include "dds_test_encoder.h"

#include <squish.h>

#include <stdexcept>

using namespace dds_test;

const DdsMaskFormat& DdsMaskFormatNamed(const std::string& name) {
  static const std::vector<DdsMaskFormat> kFormats = {
      {"A8R8G8B8", kRgb | kAlphaPixels, 32, 0x00ff0000, 0x0000ff00, 0x000000ff, 0xff000000},
      // Alpha mask filled in without the flag, as some writers do: it must be ignored.
      {"X8R8G8B8", kRgb, 32, 0x00ff0000, 0x0000ff00, 0x000000ff, 0xff000000},
      {"A2B10G10R10", kRgb | kAlphaPixels, 32, 0x000003ff, 0x000ffc00, 0x3ff00000, 0xc0000000},
      {"R8G8B8", kRgb, 24, 0x00ff0000, 0x0000ff00, 0x000000ff, 0},
      {"R5G6B5", kRgb, 16, 0xf800, 0x07e0, 0x001f, 0},
      {"A1R5G5B5", kRgb | kAlphaPixels, 16, 0x7c00, 0x03e0, 0x001f, 0x8000},
      {"A4R4G4B4", kRgb | kAlphaPixels, 16, 0x0f00, 0x00f0, 0x000f, 0xf000},
      {"A8L8", kLuminance | kAlphaPixels, 16, 0x00ff, 0, 0, 0xff00},
      {"L16", kLuminance, 16, 0xffff, 0, 0, 0},
      {"A8", kAlphaOnly, 8, 0, 0, 0, 0xff},
  };
  for (const DdsMaskFormat& format : kFormats) {
    if (format.name == name) return format;
  }
  throw std::invalid_argument("no test format named " + name);
}

uint32_t DdsFourCc(const char (&text)[5]) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i)
    value |= static_cast<uint32_t>(static_cast<uint8_t>(text[i])) << (8 * i);
  return value;
}

void PutU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  if (bytes.size() < offset + 4) bytes.resize(offset + 4);
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

namespace {

std::vector<uint8_t> BaseHeader(uint32_t width, uint32_t height) {
  std::vector<uint8_t> bytes(kPixelStart, 0);
  PutU32(bytes, kOffMagic, DdsFourCc("DDS "));
  PutU32(bytes, kOffSize, 124);
  // CAPS | HEIGHT | WIDTH | PIXELFORMAT, as most writers set them.
  PutU32(bytes, kOffFlags, 0x1 | 0x2 | 0x4 | 0x1000);
  PutU32(bytes, kOffHeight, height);
  PutU32(bytes, kOffWidth, width);
  PutU32(bytes, kOffPfSize, 32);
  PutU32(bytes, kOffCaps, 0x1000);  // TEXTURE
  return bytes;
}

uint32_t Quantise(uint8_t value, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1U) == 0) ++shift;
  const uint64_t maxValue = static_cast<uint64_t>(mask) >> shift;
  return static_cast<uint32_t>(((value * maxValue + 127) / 255) << shift);
}

}  // namespace

std::vector<uint8_t> DdsHeader(uint32_t width, uint32_t height, const DdsMaskFormat& format) {
  std::vector<uint8_t> bytes = BaseHeader(width, height);
  PutU32(bytes, kOffPfFlags, format.pfFlags);
  PutU32(bytes, kOffBitCount, format.bitCount);
  PutU32(bytes, kOffRedMask, format.redMask);
  PutU32(bytes, kOffGreenMask, format.greenMask);
  PutU32(bytes, kOffBlueMask, format.blueMask);
  PutU32(bytes, kOffAlphaMask, format.alphaMask);
  PutU32(bytes, kOffPitch, (width * format.bitCount + 7) / 8);
  return bytes;
}

std::vector<uint8_t> DdsHeaderFourCc(uint32_t width, uint32_t height, uint32_t fourCc) {
  std::vector<uint8_t> bytes = BaseHeader(width, height);
  PutU32(bytes, kOffPfFlags, kFourCcFlag);
  PutU32(bytes, kOffFourCc, fourCc);
  return bytes;
}

std::vector<uint8_t> EncodeDdsMasks(const DecodedImage& image, const DdsMaskFormat& format) {
  std::vector<uint8_t> bytes =
      DdsHeader(static_cast<uint32_t>(image.width), static_cast<uint32_t>(image.height), format);
  const bool luminance = (format.pfFlags & kLuminance) != 0;
  for (size_t i = 0; i < image.rgba.size(); i += 4) {
    const uint8_t* p = &image.rgba[i];
    uint32_t pixel = Quantise(p[0], format.redMask) | Quantise(p[3], format.alphaMask);
    if (!luminance) pixel |= Quantise(p[1], format.greenMask) | Quantise(p[2], format.blueMask);
    for (uint32_t b = 0; b < format.bitCount / 8; ++b)
      bytes.push_back(static_cast<uint8_t>(pixel >> (8 * b)));
  }
  return bytes;
}

std::vector<uint8_t> EncodeDdsBlocks(const DecodedImage& image, int squishFlags) {
  const bool dxt1 = (squishFlags & squish::kDxt1) != 0;
  std::vector<uint8_t> bytes =
      DdsHeaderFourCc(static_cast<uint32_t>(image.width), static_cast<uint32_t>(image.height),
                      DdsFourCc(dxt1                                 ? "DXT1"
                                : (squishFlags & squish::kDxt3) != 0 ? "DXT3"
                                                                     : "DXT5"));
  const size_t start = bytes.size();
  bytes.resize(start + static_cast<size_t>(
                           squish::GetStorageRequirements(image.width, image.height, squishFlags)));
  squish::CompressImage(image.rgba.data(), image.width, image.height, bytes.data() + start,
                        squishFlags);
  return bytes;
}
