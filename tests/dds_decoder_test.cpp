#include <gtest/gtest.h>
#include <squish.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include "dds_decoder.h"
#include "dds_test_encoder.h"

using namespace dds_test;

namespace {

// A 13 x 7 picture whose colours run along one line through RGB space (red
// up, green up at half the pace, blue down), so the block formats can hold it
// well, and whose alpha runs through fully clear, half and fully opaque on a
// different slope. Neither is symmetric in x and y.
DecodedImage ReferencePicture() {
  DecodedImage image;
  image.width = 13;
  image.height = 7;
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 13; ++x) {
      const int t = 2 * x + y;
      image.rgba.push_back(static_cast<uint8_t>(t * 255 / 30));
      image.rgba.push_back(static_cast<uint8_t>(64 + t * 128 / 30));
      image.rgba.push_back(static_cast<uint8_t>(255 - t * 255 / 30));
      image.rgba.push_back(static_cast<uint8_t>((x * 6 + 2 * y * 12) * 255 / 216));
    }
  }
  return image;
}

DecodedImage Decode(const std::vector<uint8_t>& file) {
  return DecodeDds(file.data(), file.size());
}

std::string DecodeError(const std::vector<uint8_t>& file) {
  try {
    Decode(file);
  } catch (const DdsError& error) {
    return error.what();
  }
  return "(decoded without error)";
}

// Pixels worked out by hand, each file exactly as long as its pixels (a
// reader running past them shows up under the sanitizers): byte order,
// channel order and the rounded scaling of 1- to 32-bit channels. An alpha
// mask without the alpha flag, as some writers leave it, is ignored.
TEST(DdsMaskFormats, KnownPixelsDecodeToKnownColours) {
  struct Case {
    const char* label;
    DdsMasks masks;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> rgba;
  };
  const uint32_t rgba = kRgb | kAlphaPixels;
  const std::vector<Case> cases = {
      {"A8R8G8B8", kDdsArgb32, {0x11, 0x22, 0x33, 0x44}, {0x33, 0x22, 0x11, 0x44}},
      {"X8R8G8B8", {kRgb, 32, 0xff0000, 0xff00, 0xff, 0xff000000}, {1, 2, 3, 4}, {3, 2, 1, 255}},
      {"R8G8B8",
       {kRgb, 24, 0xff0000, 0xff00, 0xff, 0},
       {0x11, 0x22, 0x33, 0x44, 0x55, 0x66},
       {0x33, 0x22, 0x11, 255, 0x66, 0x55, 0x44, 255}},
      {"R5G6B5", {kRgb, 16, 0xf800, 0x07e0, 0x001f, 0}, {0x01, 0xfc}, {255, 130, 8, 255}},
      {"A1R5G5B5",
       {rgba, 16, 0x7c00, 0x03e0, 0x001f, 0x8000},
       {0x00, 0x80, 0xff, 0x7f},
       {0, 0, 0, 255, 255, 255, 255, 0}},
      {"A4R4G4B4", {rgba, 16, 0x0f00, 0x00f0, 0x000f, 0xf000}, {0x21, 0x84}, {68, 34, 17, 136}},
      {"A2B10G10R10",
       {rgba, 32, 0x3ff, 0xffc00, 0x3ff00000, 0xc0000000},
       {0x00, 0x02, 0x00, 0x40},
       {128, 0, 0, 85}},
      {"A8L8",
       {kLuminance | kAlphaPixels, 16, 0xff, 0, 0, 0xff00},
       {0x40, 0xc0},
       {64, 64, 64, 192}},
      {"L16", {kLuminance, 16, 0xffff, 0, 0, 0}, {0x00, 0x80}, {128, 128, 128, 255}},
      {"A8", {kAlphaOnly, 8, 0, 0, 0, 0xff}, {0x7f}, {0, 0, 0, 0x7f}},
      {"L32 needs 64-bit scaling",
       {kLuminance, 32, 0xffffffff, 0, 0, 0},
       {0, 0, 0, 0x80},
       {128, 128, 128, 255}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const auto width = uint32_t(c.pixels.size() * 8 / c.masks.bitCount);
    EXPECT_EQ(Decode(DdsFile(width, 1, c.masks, c.pixels)).rgba, c.rgba);
  }
}

// libsquish decodes the blocks; what is ours is choosing its mode and the
// size of the data. At 13 x 7, with clipped edge blocks, colours come out
// about 4 off on average and alpha at most half a 4-bit step; a wrong mode
// or block size is off by tens.
TEST(DdsBlocks, EachFormatStaysCloseToTheReference) {
  for (const int flags : {squish::kDxt1, squish::kDxt3, squish::kDxt5}) {
    SCOPED_TRACE("squish flags " + std::to_string(flags));
    DecodedImage reference = ReferencePicture();
    // DXT1 keeps one bit of alpha: it is compared on an opaque picture.
    for (size_t i = 3; flags == squish::kDxt1 && i < reference.rgba.size(); i += 4)
      reference.rgba[i] = 255;
    const DecodedImage decoded = Decode(DdsBlocks(reference, flags));
    ASSERT_EQ(decoded.rgba.size(), reference.rgba.size());
    long colourError = 0;
    int alphaError = 0;
    for (size_t i = 0; i < reference.rgba.size(); ++i) {
      const int error = std::abs(reference.rgba[i] - decoded.rgba[i]);
      i % 4 == 3 ? alphaError = std::max(alphaError, error) : colourError += error;
    }
    EXPECT_LT(double(colourError) / (3.0 * 13 * 7), 6.0);
    EXPECT_LE(alphaError, 8);
  }
}

// --- Headers: what is refused, what is tolerated ---------------------------

using Mutation = std::function<void(std::vector<uint8_t>&)>;

// Header fields set to new values.
Mutation Set(std::initializer_list<std::pair<size_t, uint32_t>> fields) {
  return [f = std::vector(fields)](std::vector<uint8_t>& file) {
    for (const auto& [offset, value] : f) PutU32(file, offset, value);
  };
}
Mutation Set(size_t offset, uint32_t value) { return Set({{offset, value}}); }
Mutation Truncate(size_t size) {
  return [size](std::vector<uint8_t>& file) { file.resize(size); };
}
void DropByte(std::vector<uint8_t>& file) { file.pop_back(); }

enum class Base { kArgb32, kRgb24, kDxt1, kDxt5 };

std::vector<uint8_t> BaseFile(Base base) {
  const DecodedImage picture = ReferencePicture();
  if (base == Base::kDxt1 || base == Base::kDxt5)
    return DdsBlocks(picture, base == Base::kDxt1 ? squish::kDxt1 : squish::kDxt5);
  const bool alpha = base == Base::kArgb32;
  std::vector<uint8_t> pixels;
  for (size_t i = 0; i < picture.rgba.size(); i += 4) {
    pixels.insert(pixels.end(), {picture.rgba[i + 2], picture.rgba[i + 1], picture.rgba[i]});
    if (alpha) pixels.push_back(picture.rgba[i + 3]);
  }
  return DdsFile(13, 7, alpha ? kDdsArgb32 : DdsMasks{kRgb, 24, 0xff0000, 0xff00, 0xff, 0}, pixels);
}

TEST(DdsHeaders, EachFaultIsRefusedWithItsReasonAndHarmlessOdditiesPass) {
  struct Case {
    const char* label;
    Base base;
    Mutation mutate;
    const char* reason;  // a piece of the one-line message; null: decodes as if untouched
  };
  const std::vector<Case> cases = {
      {"one byte short of the header", Base::kArgb32, Truncate(127), "too short for the 128-byte"},
      {"wrong magic", Base::kArgb32, Set(kOffMagic, DdsFourCc("PNG ")), "wrong magic"},
      {"header size 0", Base::kArgb32, Set(kOffSize, 0), "header size 0 is not 124"},
      {"pixel format size 24", Base::kArgb32, Set(kOffPfSize, 24), "pixel format size 24"},
      {"width 0", Base::kArgb32, Set(kOffWidth, 0), "width 0 is not allowed"},
      {"height 0", Base::kDxt5, Set(kOffHeight, 0), "height 0 is not allowed"},
      {"width 8193", Base::kArgb32, Set(kOffWidth, 8193),
       "dimensions 8193 x 7 exceed the 8192 limit"},
      {"largest size in a tiny file", Base::kDxt5, Set({{kOffWidth, 8192}, {kOffHeight, 8192}}),
       "truncated DXT5 data (expected 67108864 bytes, found 128)"},
      {"DXT1 one byte short", Base::kDxt1, DropByte,
       "truncated DXT1 data (expected 64 bytes, found 63)"},
      {"24-bit one byte short", Base::kRgb24, DropByte, "expected 273 bytes, found 272"},
      {"DX10", Base::kDxt5, Set({{kOffPfFlags, kFourCcFlag}, {kOffFourCc, DdsFourCc("DX10")}}),
       "unsupported format DX10"},
      {"DXT2", Base::kDxt5, Set(kOffFourCc, DdsFourCc("DXT2")),
       "unsupported format DXT2 (premultiplied alpha)"},
      {"D3D format number", Base::kDxt5, Set(kOffFourCc, 113), "unsupported format 113"},
      {"fourCC without the flag", Base::kDxt5,
       Set({{kOffPfFlags, 0}, {kOffFourCc, DdsFourCc("DX10")}}), "unsupported format DX10"},
      {"no format flags at all", Base::kArgb32, Set(kOffPfFlags, 0), "names no fourCC"},
      {"bit count 7", Base::kArgb32, Set(kOffBitCount, 7), "unsupported bit count 7"},
      {"zero alpha mask with the alpha flag", Base::kArgb32, Set(kOffAlphaMask, 0),
       "alpha mask is zero"},
      {"alpha overlaps blue", Base::kArgb32, Set(kOffAlphaMask, 0xff),
       "alpha mask 0x000000ff overlaps"},
      {"gap in a mask", Base::kArgb32, Set({{kOffGreenMask, 0xf0f0}, {kOffBlueMask, 0x0f}}),
       "green mask 0x0000f0f0 is not contiguous"},
      {"mask outside 24 bits", Base::kRgb24, Set(kOffRedMask, 0xff000000), "lies outside 24 bits"},
      {"cube map", Base::kDxt5, Set(kOffCaps2, 0x200 | 0xfc00), "cube maps are not supported"},
      {"volume caps", Base::kArgb32, Set(kOffCaps2, 0x200000), "volume textures are not supported"},
      {"depth 2 with the depth flag", Base::kDxt1,
       Set({{kOffFlags, 0x1007 | 0x800000}, {kOffDepth, 2}}), "volume textures are not supported"},
      // Fields the top level does not need are left alone.
      {"mip count 0xFFFFFFFF with one level of data", Base::kArgb32, Set(kOffMipCount, 0xFFFFFFFF),
       nullptr},
      {"header flags zero", Base::kDxt5, Set(kOffFlags, 0), nullptr},
      {"depth without the depth flag", Base::kArgb32, Set(kOffDepth, 7), nullptr},
      {"trailing junk", Base::kRgb24,
       [](std::vector<uint8_t>& f) { f.insert(f.end(), 1000, uint8_t{0xab}); }, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const std::vector<uint8_t> plain = BaseFile(c.base);
    std::vector<uint8_t> file = plain;
    c.mutate(file);
    // A fresh buffer of exactly the file's size, so any read past it is caught.
    const std::vector<uint8_t> exact(file.begin(), file.end());
    const std::string message = DecodeError(exact);
    if (c.reason == nullptr) {
      ASSERT_EQ(message, "(decoded without error)");
      EXPECT_EQ(Decode(exact).rgba, Decode(plain).rgba);
    } else {
      EXPECT_NE(message.find(c.reason), std::string::npos) << "message: " << message;
      EXPECT_EQ(message.find('\n'), std::string::npos);
    }
  }
}

}  // namespace
