#include "components/media/sdl/dds_decoder.h"

#include <squish.h>

#include <cstring>

namespace {

constexpr size_t kHeaderBytes = 128;  // magic + 124-byte header
constexpr uint32_t kHeaderSizeField = 124;
constexpr uint32_t kPixelFormatSizeField = 32;

// Header offsets, counted from the start of the file.
constexpr size_t kOffSize = 4;
constexpr size_t kOffFlags = 8;
constexpr size_t kOffHeight = 12;
constexpr size_t kOffWidth = 16;
constexpr size_t kOffDepth = 24;
constexpr size_t kOffPfSize = 76;
constexpr size_t kOffPfFlags = 80;
constexpr size_t kOffFourCc = 84;
constexpr size_t kOffBitCount = 88;
constexpr size_t kOffRedMask = 92;
constexpr size_t kOffGreenMask = 96;
constexpr size_t kOffBlueMask = 100;
constexpr size_t kOffAlphaMask = 104;
constexpr size_t kOffCaps2 = 112;

constexpr uint32_t kHeaderFlagDepth = 0x800000;
constexpr uint32_t kCaps2CubeMap = 0x200;
constexpr uint32_t kCaps2Volume = 0x200000;

constexpr uint32_t kPfAlphaPixels = 0x1;
constexpr uint32_t kPfAlpha = 0x2;
constexpr uint32_t kPfFourCc = 0x4;
constexpr uint32_t kPfRgb = 0x40;
constexpr uint32_t kPfLuminance = 0x20000;

constexpr uint32_t MakeFourCc(char a, char b, char c, char d) {
  return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
         (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
         (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24);
}

constexpr uint32_t kMagic = MakeFourCc('D', 'D', 'S', ' ');
constexpr uint32_t kFourCcDxt1 = MakeFourCc('D', 'X', 'T', '1');
constexpr uint32_t kFourCcDxt2 = MakeFourCc('D', 'X', 'T', '2');
constexpr uint32_t kFourCcDxt3 = MakeFourCc('D', 'X', 'T', '3');
constexpr uint32_t kFourCcDxt4 = MakeFourCc('D', 'X', 'T', '4');
constexpr uint32_t kFourCcDxt5 = MakeFourCc('D', 'X', 'T', '5');
constexpr uint32_t kFourCcDx10 = MakeFourCc('D', 'X', '1', '0');

uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// A fourCC is shown as its letters when it has any; D3D format numbers that
// some writers put there are shown as numbers.
std::string FourCcName(uint32_t fourCc) {
  std::string name;
  for (int i = 0; i < 4; ++i) {
    const char c = static_cast<char>((fourCc >> (8 * i)) & 0xFF);
    if (c < 0x20 || c > 0x7E) {
      return std::to_string(fourCc);
    }
    name += c;
  }
  while (!name.empty() && name.back() == ' ') {
    name.pop_back();
  }
  return name;
}

std::string Hex(uint32_t value) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text = "0x";
  for (int shift = 28; shift >= 0; shift -= 4) {
    text += kDigits[(value >> shift) & 0xF];
  }
  return text;
}

[[noreturn]] void Fail(const std::string& reason) { throw DdsError(reason); }

void CheckDataLength(const char* formatName, uint64_t expected, size_t found) {
  if (found < expected) {
    Fail("truncated " + std::string(formatName) + " data (expected " + std::to_string(expected) +
         " bytes, found " + std::to_string(found) + ")");
  }
}

// One colour channel taken out of a packed pixel by its mask.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint64_t maxValue = 0;  // all bits of the channel set, after shifting down

  uint8_t Expand(uint32_t pixel) const {
    const uint64_t value = (pixel & mask) >> shift;
    // Rounded scaling, so a full channel is 255 and an empty one 0 at any depth.
    return static_cast<uint8_t>((value * 255 + maxValue / 2) / maxValue);
  }
};

Channel MakeChannel(const char* name, uint32_t mask, uint32_t bitCount) {
  if (mask == 0) {
    Fail(std::string(name) + " mask is zero");
  }
  if (bitCount < 32 && (mask >> bitCount) != 0) {
    Fail(std::string(name) + " mask " + Hex(mask) + " lies outside " + std::to_string(bitCount) +
         " bits per pixel");
  }
  Channel channel;
  channel.mask = mask;
  while (((mask >> channel.shift) & 1U) == 0) {
    ++channel.shift;
  }
  channel.maxValue = static_cast<uint64_t>(mask) >> channel.shift;
  // Contiguous bits shifted down are of the form 2^n - 1.
  if ((channel.maxValue & (channel.maxValue + 1)) != 0) {
    Fail(std::string(name) + " mask " + Hex(mask) + " is not contiguous");
  }
  return channel;
}

struct MaskLayout {
  bool luminance = false;
  bool colour = false;  // false for alpha-only pictures
  bool alpha = false;
  Channel red, green, blue, alphaChannel;
};

MaskLayout ReadMaskLayout(const uint8_t* data, uint32_t pfFlags, uint32_t bitCount) {
  if (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) {
    Fail("unsupported bit count " + std::to_string(bitCount));
  }
  MaskLayout layout;
  uint32_t used = 0;
  auto claim = [&used](const char* name, const Channel& channel) {
    if ((used & channel.mask) != 0) {
      Fail(std::string(name) + " mask " + Hex(channel.mask) + " overlaps another channel");
    }
    used |= channel.mask;
  };
  if ((pfFlags & kPfRgb) != 0) {
    layout.colour = true;
    layout.red = MakeChannel("red", ReadU32(data + kOffRedMask), bitCount);
    claim("red", layout.red);
    layout.green = MakeChannel("green", ReadU32(data + kOffGreenMask), bitCount);
    claim("green", layout.green);
    layout.blue = MakeChannel("blue", ReadU32(data + kOffBlueMask), bitCount);
    claim("blue", layout.blue);
  } else if ((pfFlags & kPfLuminance) != 0) {
    layout.colour = true;
    layout.luminance = true;
    layout.red = MakeChannel("luminance", ReadU32(data + kOffRedMask), bitCount);
    claim("luminance", layout.red);
  } else if ((pfFlags & kPfAlpha) == 0) {
    Fail("pixel format " + Hex(pfFlags) + " names no fourCC, RGB, luminance or alpha data");
  }
  // Writers of X8R8G8B8 often leave junk in the alpha mask; only the flag
  // says whether the alpha bits mean anything.
  if ((pfFlags & (kPfAlphaPixels | kPfAlpha)) != 0) {
    layout.alpha = true;
    layout.alphaChannel = MakeChannel("alpha", ReadU32(data + kOffAlphaMask), bitCount);
    claim("alpha", layout.alphaChannel);
  }
  return layout;
}

DecodedImage DecodeByMasks(const uint8_t* data, size_t size, uint32_t width, uint32_t height,
                           uint32_t pfFlags, uint32_t bitCount) {
  const MaskLayout layout = ReadMaskLayout(data, pfFlags, bitCount);
  const uint64_t bytesPerPixel = bitCount / 8;
  const uint64_t expected = static_cast<uint64_t>(width) * height * bytesPerPixel;
  const std::string formatName = std::to_string(bitCount) + "-bit";
  CheckDataLength(formatName.c_str(), expected, size - kHeaderBytes);

  DecodedImage image;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  const uint64_t pixelCount = static_cast<uint64_t>(width) * height;
  image.rgba.resize(pixelCount * 4);
  const uint8_t* source = data + kHeaderBytes;
  uint8_t* out = image.rgba.data();
  for (uint64_t i = 0; i < pixelCount; ++i) {
    // Little-endian, exactly bytesPerPixel bytes: 24-bit pixels must not
    // borrow a byte of their neighbour (or of whatever lies past the file).
    uint32_t pixel = 0;
    for (uint64_t b = 0; b < bytesPerPixel; ++b) {
      pixel |= static_cast<uint32_t>(source[b]) << (8 * b);
    }
    source += bytesPerPixel;
    if (layout.luminance) {
      const uint8_t level = layout.red.Expand(pixel);
      out[0] = out[1] = out[2] = level;
    } else if (layout.colour) {
      out[0] = layout.red.Expand(pixel);
      out[1] = layout.green.Expand(pixel);
      out[2] = layout.blue.Expand(pixel);
    } else {
      // Alpha-only pictures read as black with coverage, as Direct3D samples them.
      out[0] = out[1] = out[2] = 0;
    }
    out[3] = layout.alpha ? layout.alphaChannel.Expand(pixel) : 255;
    out += 4;
  }
  return image;
}

DecodedImage DecodeBlocks(const uint8_t* data, size_t size, uint32_t width, uint32_t height,
                          uint32_t fourCc) {
  int squishFlags = 0;
  uint64_t blockBytes = 16;
  const char* name = "";
  switch (fourCc) {
    case kFourCcDxt1:
      squishFlags = squish::kDxt1;
      blockBytes = 8;
      name = "DXT1";
      break;
    case kFourCcDxt3:
      squishFlags = squish::kDxt3;
      name = "DXT3";
      break;
    case kFourCcDxt5:
      squishFlags = squish::kDxt5;
      name = "DXT5";
      break;
    case kFourCcDxt2:
    case kFourCcDxt4:
      // libsquish would decode them as DXT3/DXT5 and leave the colours dark.
      Fail("unsupported format " + FourCcName(fourCc) + " (premultiplied alpha)");
    case kFourCcDx10:
      // The extended header behind it can name any of a hundred formats; the
      // game's pictures never need one.
      Fail("unsupported format DX10");
    default: Fail("unsupported format " + FourCcName(fourCc));
  }
  const uint64_t blocksWide = (static_cast<uint64_t>(width) + 3) / 4;
  const uint64_t blocksHigh = (static_cast<uint64_t>(height) + 3) / 4;
  CheckDataLength(name, blocksWide * blocksHigh * blockBytes, size - kHeaderBytes);

  DecodedImage image;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.rgba.resize(static_cast<uint64_t>(width) * height * 4);
  // DecompressImage clips the edge blocks of odd sizes itself; the
  // dimension cap keeps width and height well inside an int.
  squish::DecompressImage(image.rgba.data(), image.width, image.height, data + kHeaderBytes,
                          squishFlags);
  return image;
}

}  // namespace

bool LooksLikeDds(const uint8_t* data, size_t size) {
  return data != nullptr && size >= 4 && ReadU32(data) == kMagic;
}

DecodedImage DecodeDds(const uint8_t* data, size_t size) {
  if (data == nullptr || size < 4) {
    Fail("file is " + std::to_string(size) + " bytes, too short for a DDS header");
  }
  if (ReadU32(data) != kMagic) {
    Fail("not a DDS file (wrong magic)");
  }
  if (size < kHeaderBytes) {
    Fail("file is " + std::to_string(size) + " bytes, too short for the " +
         std::to_string(kHeaderBytes) + "-byte DDS header");
  }
  const uint32_t headerSize = ReadU32(data + kOffSize);
  if (headerSize != kHeaderSizeField) {
    Fail("header size " + std::to_string(headerSize) + " is not " +
         std::to_string(kHeaderSizeField));
  }
  const uint32_t pfSize = ReadU32(data + kOffPfSize);
  if (pfSize != kPixelFormatSizeField) {
    Fail("pixel format size " + std::to_string(pfSize) + " is not " +
         std::to_string(kPixelFormatSizeField));
  }
  const uint32_t caps2 = ReadU32(data + kOffCaps2);
  if ((caps2 & kCaps2CubeMap) != 0) {
    Fail("cube maps are not supported");
  }
  const uint32_t headerFlags = ReadU32(data + kOffFlags);
  if ((caps2 & kCaps2Volume) != 0 ||
      ((headerFlags & kHeaderFlagDepth) != 0 && ReadU32(data + kOffDepth) > 1)) {
    Fail("volume textures are not supported");
  }
  const uint32_t width = ReadU32(data + kOffWidth);
  const uint32_t height = ReadU32(data + kOffHeight);
  if (width == 0) {
    Fail("width 0 is not allowed");
  }
  if (height == 0) {
    Fail("height 0 is not allowed");
  }
  if (width > kDdsMaxDimension || height > kDdsMaxDimension) {
    Fail("dimensions " + std::to_string(width) + " x " + std::to_string(height) + " exceed the " +
         std::to_string(kDdsMaxDimension) + " limit");
  }

  // Mip count, pitch and linear size are ignored on purpose: the top level
  // is all we draw, and its size follows from the width and height alone.
  const uint32_t pfFlags = ReadU32(data + kOffPfFlags);
  const uint32_t fourCc = ReadU32(data + kOffFourCc);
  const bool describedByMasks = (pfFlags & (kPfRgb | kPfLuminance | kPfAlpha)) != 0;
  if ((pfFlags & kPfFourCc) != 0 || (fourCc != 0 && !describedByMasks)) {
    return DecodeBlocks(data, size, width, height, fourCc);
  }
  return DecodeByMasks(data, size, width, height, pfFlags, ReadU32(data + kOffBitCount));
}
