#include <gtest/gtest.h>
#include <squish.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "dds_decoder.h"
#include "dds_test_encoder.h"

using namespace dds_test;

namespace {

// An odd-sized picture whose colours run along one line through RGB space
// (red up, green up at half the pace, blue down), so the block formats can
// hold it well, and whose alpha runs through fully clear, half and fully
// opaque on a different slope. Neither is symmetric in x and y.
DecodedImage ReferencePicture(int width = 13, int height = 7) {
  DecodedImage image;
  image.width = width;
  image.height = height;
  const int xSpan = width > 1 ? width - 1 : 1;
  const int ySpan = height > 1 ? height - 1 : 1;
  const int tSpan = 2 * xSpan + ySpan;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int t = 2 * x + y;
      image.rgba.push_back(static_cast<uint8_t>(t * 255 / tSpan));
      image.rgba.push_back(static_cast<uint8_t>(64 + t * 128 / tSpan));
      image.rgba.push_back(static_cast<uint8_t>(255 - t * 255 / tSpan));
      image.rgba.push_back(static_cast<uint8_t>((x * ySpan + 2 * y * xSpan) * 255 / (3 * xSpan * ySpan)));
    }
  }
  return image;
}

// What a channel of `bits` bits keeps of an 8-bit value, worked out in
// floating point rather than with the decoder's integer scaling.
int AfterQuantising(int value, uint32_t mask) {
  if (mask == 0) {
    return 0;
  }
  double maxValue = static_cast<double>(mask);
  while (std::fmod(maxValue, 2.0) == 0.0) {
    maxValue /= 2.0;
  }
  const double level = std::round(value * maxValue / 255.0);
  return static_cast<int>(std::round(level * 255.0 / maxValue));
}

DecodedImage Decode(const std::vector<uint8_t>& file) { return DecodeDds(file.data(), file.size()); }

std::string DecodeError(const std::vector<uint8_t>& file) {
  try {
    Decode(file);
  } catch (const DdsError& error) {
    return error.what();
  }
  return "(decoded without error)";
}

struct ErrorStats {
  double meanColour = 0;
  int maxAlpha = 0;
};

ErrorStats CompareClose(const DecodedImage& expected, const DecodedImage& actual) {
  ErrorStats stats;
  long total = 0;
  const size_t pixels = expected.rgba.size() / 4;
  for (size_t i = 0; i < pixels; ++i) {
    for (int c = 0; c < 3; ++c) {
      total += std::abs(expected.rgba[i * 4 + c] - actual.rgba[i * 4 + c]);
    }
    stats.maxAlpha = std::max(stats.maxAlpha, std::abs(expected.rgba[i * 4 + 3] - actual.rgba[i * 4 + 3]));
  }
  stats.meanColour = static_cast<double>(total) / (3.0 * static_cast<double>(pixels));
  return stats;
}

// --- Every supported variant decodes back to the reference -----------------

TEST(DdsMaskFormats, EachLayoutDecodesToTheReferenceWithinItsPrecision) {
  const DecodedImage reference = ReferencePicture();
  for (const DdsMaskFormat& format : DdsMaskFormats()) {
    SCOPED_TRACE(format.name);
    const std::vector<uint8_t> file = EncodeDdsMasks(reference, format);
    // Exactly the bytes the picture needs: a reader running past its rows
    // (24-bit pixels read as 4 bytes) shows up under the sanitizers.
    ASSERT_EQ(file.size(), kPixelStart + 13u * 7u * format.bitCount / 8);
    DecodedImage decoded;
    ASSERT_NO_THROW(decoded = Decode(file));
    ASSERT_EQ(decoded.width, 13);
    ASSERT_EQ(decoded.height, 7);
    ASSERT_EQ(decoded.rgba.size(), 13u * 7u * 4u);
    const bool luminance = (format.pfFlags & kLuminance) != 0;
    const bool alphaOnly = format.pfFlags == kAlphaOnly;
    const bool hasAlpha = (format.pfFlags & (kAlphaPixels | kAlphaOnly)) != 0;
    int mismatches = 0;
    for (size_t i = 0; i < reference.rgba.size(); i += 4) {
      const uint8_t* in = &reference.rgba[i];
      int want[4];
      if (alphaOnly) {
        want[0] = want[1] = want[2] = 0;
      } else if (luminance) {
        want[0] = want[1] = want[2] = AfterQuantising(in[0], format.redMask);
      } else {
        want[0] = AfterQuantising(in[0], format.redMask);
        want[1] = AfterQuantising(in[1], format.greenMask);
        want[2] = AfterQuantising(in[2], format.blueMask);
      }
      want[3] = hasAlpha ? AfterQuantising(in[3], format.alphaMask) : 255;
      for (int c = 0; c < 4; ++c) {
        if (decoded.rgba[i + c] != want[c] && ++mismatches <= 3) {
          ADD_FAILURE() << "pixel " << i / 4 << " channel " << c << ": got "
                        << int(decoded.rgba[i + c]) << ", want " << want[c];
        }
      }
    }
    EXPECT_EQ(mismatches, 0);
  }
}

// Single pixels with values worked out by hand: byte order, channel order
// and the scaling of 1- to 32-bit channels.
TEST(DdsMaskFormats, KnownPixelsDecodeToKnownColours) {
  struct Case {
    const char* label;
    DdsMaskFormat format;
    std::vector<uint8_t> pixel;
    uint8_t rgba[4];
  };
  const auto named = [](const char* name) { return DdsMaskFormatNamed(name); };
  const std::vector<Case> cases = {
      {"A8R8G8B8 is stored B G R A", named("A8R8G8B8"), {0x11, 0x22, 0x33, 0x44}, {0x33, 0x22, 0x11, 0x44}},
      {"R8G8B8 takes three bytes", named("R8G8B8"), {0x11, 0x22, 0x33}, {0x33, 0x22, 0x11, 255}},
      {"R5G6B5 full red", named("R5G6B5"), {0x00, 0xf8}, {255, 0, 0, 255}},
      {"R5G6B5 half green", named("R5G6B5"), {0x00, 0x04}, {0, 130, 0, 255}},
      {"R5G6B5 lowest blue", named("R5G6B5"), {0x01, 0x00}, {0, 0, 8, 255}},
      {"A1R5G5B5 opaque black", named("A1R5G5B5"), {0x00, 0x80}, {0, 0, 0, 255}},
      {"A1R5G5B5 clear white", named("A1R5G5B5"), {0xff, 0x7f}, {255, 255, 255, 0}},
      {"A4R4G4B4 steps of 17", named("A4R4G4B4"), {0x21, 0x84}, {68, 34, 17, 136}},
      {"A2B10G10R10 middle", named("A2B10G10R10"), {0x00, 0x02, 0x00, 0x40}, {128, 0, 0, 85}},
      {"L8 grey", named("L8"), {0x80}, {128, 128, 128, 255}},
      {"A8L8", named("A8L8"), {0x40, 0xc0}, {0x40, 0x40, 0x40, 0xc0}},
      {"L16 rounds to 8 bits", named("L16"), {0x00, 0x80}, {128, 128, 128, 255}},
      {"A8 is black with coverage", named("A8"), {0x7f}, {0, 0, 0, 0x7f}},
      {"32-bit luminance needs 64-bit scaling",
       {"L32", kLuminance, 32, 0xffffffff, 0, 0, 0}, {0x00, 0x00, 0x00, 0x80}, {128, 128, 128, 255}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::vector<uint8_t> file = DdsHeader(1, 1, c.format);
    file.insert(file.end(), c.pixel.begin(), c.pixel.end());
    const DecodedImage image = Decode(file);
    ASSERT_EQ(image.rgba.size(), 4u);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(image.rgba[i], c.rgba[i]) << "channel " << i;
    }
  }
}

TEST(DdsBlocks, Dxt1HonoursItsOneBitAlpha) {
  const DecodedImage reference = ReferencePicture();
  const DecodedImage decoded = Decode(EncodeDdsBlocks(reference, squish::kDxt1));
  ASSERT_EQ(decoded.rgba.size(), reference.rgba.size());
  long colourError = 0;
  int opaque = 0;
  int clear = 0;
  for (size_t i = 0; i < reference.rgba.size(); i += 4) {
    // The compressor drops pixels under half coverage into the transparent
    // entry of 3-colour blocks; everything else must come back opaque.
    if (reference.rgba[i + 3] < 128) {
      ++clear;
      EXPECT_EQ(decoded.rgba[i + 3], 0) << "pixel " << i / 4;
    } else {
      ++opaque;
      EXPECT_EQ(decoded.rgba[i + 3], 255) << "pixel " << i / 4;
      for (int c = 0; c < 3; ++c) {
        colourError += std::abs(reference.rgba[i + c] - decoded.rgba[i + c]);
      }
    }
  }
  ASSERT_GT(clear, 10);
  ASSERT_GT(opaque, 10);
  EXPECT_LT(static_cast<double>(colourError) / (3.0 * opaque), 6.0);
}

// A hand-made 3-colour block (colour0 <= colour1), decoded into a 3 x 1
// picture so the edge of the block is clipped as well.
TEST(DdsBlocks, Dxt1ThreeColourBlockHasATransparentEntry) {
  std::vector<uint8_t> file = DdsHeaderFourCc(3, 1, DdsFourCc("DXT1"));
  const uint8_t block[8] = {0x1f, 0x00,  // colour0: pure blue
                            0x00, 0xf8,  // colour1: pure red (greater, so 3-colour)
                            0xe4, 0, 0, 0};  // row 0: entries 0, 1, 2, 3
  file.insert(file.end(), block, block + 8);
  const DecodedImage image = Decode(file);
  ASSERT_EQ(image.rgba.size(), 12u);
  EXPECT_EQ(image.rgba[0], 0);
  EXPECT_EQ(image.rgba[2], 255);
  EXPECT_EQ(image.rgba[3], 255);
  EXPECT_EQ(image.rgba[4], 255);
  EXPECT_EQ(image.rgba[6], 0);
  EXPECT_EQ(image.rgba[7], 255);
  // Entry 2 is the midpoint in 3-colour mode (not the 1/3 point of 4-colour mode).
  EXPECT_NEAR(image.rgba[8], 128, 1);
  EXPECT_NEAR(image.rgba[10], 128, 1);
  EXPECT_EQ(image.rgba[11], 255);

  // Entry 3 is transparent black: swap in a 4 x 1 picture to see it.
  PutU32(file, kOffWidth, 4);
  const DecodedImage wide = Decode(file);
  ASSERT_EQ(wide.rgba.size(), 16u);
  EXPECT_EQ(std::vector<uint8_t>(wide.rgba.begin() + 12, wide.rgba.end()), std::vector<uint8_t>(4, 0));
}

// Every block format at the reference size and at sizes that are not
// whole blocks, so the edge blocks must be clipped without spilling.
TEST(DdsBlocks, EachFormatStaysCloseToTheReferenceAtAnySize) {
  for (const int flags : {squish::kDxt1, squish::kDxt3, squish::kDxt5}) {
    for (const auto& [w, h] : {std::pair<int, int>{13, 7}, {1, 1}, {2, 2}, {3, 5}, {5, 3}, {4, 4}, {9, 1}}) {
      SCOPED_TRACE("flags " + std::to_string(flags) + " size " + std::to_string(w) + "x" + std::to_string(h));
      DecodedImage reference = ReferencePicture(w, h);
      // The alpha ramp is kept for DXT3 and DXT5 at the reference size; DXT1's
      // one-bit alpha has a test of its own, and elsewhere opaque pictures let
      // DXT1 be compared on colour too.
      const bool alpha = flags != squish::kDxt1 && w == 13;
      for (size_t i = 3; i < reference.rgba.size() && !alpha; i += 4) reference.rgba[i] = 255;
      const std::vector<uint8_t> file = EncodeDdsBlocks(reference, flags);
      const size_t blocks = static_cast<size_t>((w + 3) / 4) * ((h + 3) / 4);
      ASSERT_EQ(file.size(), kPixelStart + blocks * (flags == squish::kDxt1 ? 8 : 16));
      const DecodedImage decoded = Decode(file);
      ASSERT_EQ(decoded.width, w);
      ASSERT_EQ(decoded.height, h);
      ASSERT_EQ(decoded.rgba.size(), reference.rgba.size());
      const ErrorStats stats = CompareClose(reference, decoded);
      // At 13 x 7 colours come out about 4 off on average, and alpha at most
      // half a 4-bit step (DXT5's 8 levels per block do as well on these
      // ramps); one 4 x 4 block holds up to 10 shades in 4 entries, about 15
      // off. A swapped channel or a misplaced block would be off by tens.
      EXPECT_LT(stats.meanColour, w == 13 ? 6.0 : 20.0);
      EXPECT_LE(stats.maxAlpha, alpha ? 8 : 0);
    }
  }
}

// --- Headers: what is refused, what is tolerated ---------------------------

using Mutation = std::function<void(std::vector<uint8_t>&)>;

Mutation Set(size_t offset, uint32_t value) {
  return [offset, value](std::vector<uint8_t>& file) { PutU32(file, offset, value); };
}
Mutation SetSize(uint32_t width, uint32_t height) {
  return [width, height](std::vector<uint8_t>& file) {
    PutU32(file, kOffWidth, width);
    PutU32(file, kOffHeight, height);
  };
}
Mutation Truncate(size_t size) {
  return [size](std::vector<uint8_t>& file) { file.resize(size); };
}
Mutation DropBytes(size_t count) {
  return [count](std::vector<uint8_t>& file) { file.resize(file.size() - count); };
}
Mutation SetFourCc(const char (&text)[5]) {
  const uint32_t fourCc = DdsFourCc(text);
  return [fourCc](std::vector<uint8_t>& file) {
    PutU32(file, kOffPfFlags, kFourCcFlag);
    PutU32(file, kOffFourCc, fourCc);
  };
}
Mutation SetMasks(uint32_t bitCount, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  return [=](std::vector<uint8_t>& file) {
    PutU32(file, kOffBitCount, bitCount);
    PutU32(file, kOffRedMask, r);
    PutU32(file, kOffGreenMask, g);
    PutU32(file, kOffBlueMask, b);
    PutU32(file, kOffAlphaMask, a);
  };
}

enum class Base { kArgb32, kRgb24, kDxt1, kDxt5 };

std::vector<uint8_t> BaseFile(Base base) {
  const DecodedImage reference = ReferencePicture();
  if (base == Base::kArgb32) return EncodeDdsMasks(reference, DdsMaskFormatNamed("A8R8G8B8"));
  if (base == Base::kRgb24) return EncodeDdsMasks(reference, DdsMaskFormatNamed("R8G8B8"));
  return EncodeDdsBlocks(reference, base == Base::kDxt1 ? squish::kDxt1 : squish::kDxt5);
}

struct BadHeader {
  const char* label;
  Base base;
  Mutation mutate;
  const char* reason;  // a piece of the one-line message
};

TEST(DdsMalformed, EachBadHeaderIsRefusedWithItsReason) {
  const std::vector<BadHeader> cases = {
      {"empty file", Base::kArgb32, Truncate(0), "too short"},
      {"one byte short of the header", Base::kArgb32, Truncate(127), "too short for the 128-byte"},
      {"wrong magic", Base::kArgb32, Set(kOffMagic, DdsFourCc("PNG ")), "wrong magic"},
      {"header size 0", Base::kArgb32, Set(kOffSize, 0), "header size 0 is not 124"},
      {"pixel format size 24", Base::kArgb32, Set(kOffPfSize, 24), "pixel format size 24"},
      {"width 0", Base::kArgb32, Set(kOffWidth, 0), "width 0 is not allowed"},
      {"height 0", Base::kDxt5, Set(kOffHeight, 0), "height 0 is not allowed"},
      {"width 8193", Base::kArgb32, Set(kOffWidth, 8193), "dimensions 8193 x 7 exceed the 8192 limit"},
      {"height 0xFFFFFFFF", Base::kArgb32, Set(kOffHeight, 0xFFFFFFFF), "x 4294967295 exceed"},
      {"65536 squared", Base::kDxt1, SetSize(65536, 65536), "dimensions 65536 x 65536 exceed"},
      {"largest size in a tiny file", Base::kDxt5, SetSize(8192, 8192),
       "truncated DXT5 data (expected 67108864 bytes, found 128)"},
      {"largest 32-bit size in a tiny file", Base::kArgb32, SetSize(8192, 8192),
       "truncated 32-bit data (expected 268435456 bytes"},
      {"DXT1 one byte short", Base::kDxt1, DropBytes(1), "truncated DXT1 data (expected 64 bytes, found 63)"},
      {"DXT5 one byte short", Base::kDxt5, DropBytes(1), "truncated DXT5 data (expected 128 bytes, found 127)"},
      {"32-bit one byte short", Base::kArgb32, DropBytes(1), "expected 364 bytes, found 363"},
      {"24-bit one byte short", Base::kRgb24, DropBytes(1), "expected 273 bytes, found 272"},
      {"DX10", Base::kDxt5, SetFourCc("DX10"), "unsupported format DX10"},
      {"DXT2", Base::kDxt5, SetFourCc("DXT2"), "unsupported format DXT2 (premultiplied alpha)"},
      {"ATI2", Base::kDxt5, SetFourCc("ATI2"), "unsupported format ATI2"},
      {"D3D format number", Base::kDxt5, Set(kOffFourCc, 113), "unsupported format 113"},
      {"fourCC without the flag", Base::kDxt5,
       [](std::vector<uint8_t>& f) {
         PutU32(f, kOffPfFlags, 0);
         PutU32(f, kOffFourCc, DdsFourCc("DX10"));
       },
       "unsupported format DX10"},
      {"no format flags at all", Base::kArgb32, Set(kOffPfFlags, 0), "names no fourCC"},
      {"bit count 0", Base::kArgb32, Set(kOffBitCount, 0), "unsupported bit count 0"},
      {"bit count 7", Base::kArgb32, Set(kOffBitCount, 7), "unsupported bit count 7"},
      {"bit count 64", Base::kArgb32, Set(kOffBitCount, 64), "unsupported bit count 64"},
      {"zero red mask", Base::kArgb32, Set(kOffRedMask, 0), "red mask is zero"},
      {"zero alpha mask with the alpha flag", Base::kArgb32, Set(kOffAlphaMask, 0), "alpha mask is zero"},
      {"zero luminance mask", Base::kArgb32, [](std::vector<uint8_t>& f) {
         PutU32(f, kOffPfFlags, kLuminance);
         PutU32(f, kOffRedMask, 0);
       },
       "luminance mask is zero"},
      {"red overlaps green", Base::kArgb32, SetMasks(32, 0x00ffff00, 0x0000ff00, 0xff, 0xff000000),
       "green mask 0x0000ff00 overlaps"},
      {"alpha overlaps blue", Base::kArgb32, SetMasks(32, 0xff0000, 0xff00, 0xff, 0xff), "alpha mask 0x000000ff overlaps"},
      {"gap in a mask", Base::kArgb32, SetMasks(32, 0x00ff0000, 0x0000f0f0, 0x0f, 0xff000000),
       "green mask 0x0000f0f0 is not contiguous"},
      {"mask outside 24 bits", Base::kRgb24, SetMasks(24, 0xff000000, 0xff00, 0xff, 0), "lies outside 24 bits"},
      {"cube map", Base::kDxt5, Set(kOffCaps2, 0x200 | 0xfc00), "cube maps are not supported"},
      {"volume caps", Base::kArgb32, Set(kOffCaps2, 0x200000), "volume textures are not supported"},
      {"depth 2 with the depth flag", Base::kDxt1,
       [](std::vector<uint8_t>& f) {
         PutU32(f, kOffFlags, 0x1007 | 0x800000);
         PutU32(f, kOffDepth, 2);
       },
       "volume textures are not supported"},
  };
  for (const BadHeader& c : cases) {
    SCOPED_TRACE(c.label);
    std::vector<uint8_t> file = BaseFile(c.base);
    c.mutate(file);
    // A fresh buffer of exactly the file's size, so any read past it is caught.
    const std::vector<uint8_t> exact(file.begin(), file.end());
    const std::string message = DecodeError(exact);
    EXPECT_NE(message.find(c.reason), std::string::npos) << "message: " << message;
    EXPECT_EQ(message.find('\n'), std::string::npos);
  }
}

TEST(DdsMalformed, HarmlessOdditiesAreAccepted) {
  struct Oddity {
    const char* label;
    Base base;
    Mutation mutate;
  };
  const std::vector<Oddity> cases = {
      {"mip count 0xFFFFFFFF with one level of data", Base::kArgb32, Set(kOffMipCount, 0xFFFFFFFF)},
      {"pitch field garbage", Base::kRgb24, Set(kOffPitch, 0xdeadbeef)},
      {"header flags zero", Base::kDxt5, Set(kOffFlags, 0)},
      {"depth without the depth flag", Base::kArgb32, Set(kOffDepth, 7)},
      {"trailing junk", Base::kRgb24,
       [](std::vector<uint8_t>& f) { f.insert(f.end(), 1000, uint8_t{0xab}); }},
      {"trailing junk after blocks", Base::kDxt1, [](std::vector<uint8_t>& f) { f.push_back(1); }},
  };
  for (const Oddity& c : cases) {
    SCOPED_TRACE(c.label);
    const std::vector<uint8_t> plain = BaseFile(c.base);
    std::vector<uint8_t> file = plain;
    c.mutate(file);
    DecodedImage odd;
    ASSERT_NO_THROW(odd = Decode(file)) << DecodeError(file);
    EXPECT_EQ(odd.rgba, Decode(plain).rgba);
  }
}

TEST(DdsMalformed, RecognisesTheMagicOnly) {
  const std::vector<uint8_t> file = BaseFile(Base::kDxt1);
  EXPECT_TRUE(LooksLikeDds(file.data(), file.size()));
  EXPECT_TRUE(LooksLikeDds(file.data(), 4));
  EXPECT_FALSE(LooksLikeDds(file.data(), 3));
  EXPECT_FALSE(LooksLikeDds(nullptr, 0));
  const uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a};
  EXPECT_FALSE(LooksLikeDds(png, sizeof png));
}

// --- Saved inputs: fuzzing seeds and anything that once broke the decoder ---

TEST(DdsSavedInputs, EveryFileDecodesOrIsRefusedCleanly) {
  const std::filesystem::path folder = std::filesystem::path(KESTREVAN_SOURCE_DIR) / "tests/data/dds";
  int files = 0;
  int seeds = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) {
      continue;
    }
    SCOPED_TRACE(entry.path().string());
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ++files;
    const bool isSeed = entry.path().parent_path().filename() == "seeds";
    try {
      const DecodedImage image = Decode(bytes);
      EXPECT_EQ(image.rgba.size(), static_cast<size_t>(image.width) * image.height * 4);
    } catch (const DdsError& error) {
      // The seeds are all valid pictures; the saved crashers only need to fail cleanly.
      EXPECT_FALSE(isSeed) << error.what();
    }
    seeds += isSeed ? 1 : 0;
  }
  EXPECT_GE(seeds, 10);
  EXPECT_GE(files, seeds);
}

}  // namespace
