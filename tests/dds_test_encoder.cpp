#include "dds_test_encoder.h"

#include <squish.h>

using namespace dds_test;

uint32_t DdsFourCc(const char (&text)[5]) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= uint32_t(uint8_t(text[i])) << (8 * i);
  return value;
}

void PutU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  if (bytes.size() < offset + 4) bytes.resize(offset + 4);
  for (int i = 0; i < 4; ++i) bytes[offset + i] = uint8_t(value >> (8 * i));
}

namespace {

std::vector<uint8_t> Header(uint32_t width, uint32_t height, uint32_t pfFlags) {
  std::vector<uint8_t> bytes(128, 0);
  PutU32(bytes, kOffMagic, DdsFourCc("DDS "));
  PutU32(bytes, kOffSize, 124);
  PutU32(bytes, kOffFlags, 0x1 | 0x2 | 0x4 | 0x1000);  // CAPS HEIGHT WIDTH PIXELFORMAT
  PutU32(bytes, kOffHeight, height);
  PutU32(bytes, kOffWidth, width);
  PutU32(bytes, kOffPfSize, 32);
  PutU32(bytes, kOffPfFlags, pfFlags);
  PutU32(bytes, 108, 0x1000);  // caps: TEXTURE
  return bytes;
}

}  // namespace

std::vector<uint8_t> DdsFile(uint32_t width, uint32_t height, const DdsMasks& m,
                             const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> bytes = Header(width, height, m.pfFlags);
  PutU32(bytes, kOffPitch, (width * m.bitCount + 7) / 8);
  PutU32(bytes, kOffBitCount, m.bitCount);
  PutU32(bytes, kOffRedMask, m.red);
  PutU32(bytes, kOffGreenMask, m.green);
  PutU32(bytes, kOffBlueMask, m.blue);
  PutU32(bytes, kOffAlphaMask, m.alpha);
  bytes.insert(bytes.end(), pixels.begin(), pixels.end());
  return bytes;
}

std::vector<uint8_t> DdsBlocks(const DecodedImage& image, int squishFlags) {
  std::vector<uint8_t> bytes = Header(uint32_t(image.width), uint32_t(image.height), kFourCcFlag);
  PutU32(bytes, kOffFourCc,
         DdsFourCc((squishFlags & squish::kDxt1)   ? "DXT1"
                   : (squishFlags & squish::kDxt3) ? "DXT3"
                                                   : "DXT5"));
  const size_t start = bytes.size();
  bytes.resize(start +
               size_t(squish::GetStorageRequirements(image.width, image.height, squishFlags)));
  squish::CompressImage(image.rgba.data(), image.width, image.height, bytes.data() + start,
                        squishFlags);
  return bytes;
}
