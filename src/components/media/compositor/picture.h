#pragma once
#include <bitset>
#include <cstdint>
#include <vector>

// A decoded picture as the compositor draws it: straight (not
// premultiplied) 0xAARRGGBB, rows top to bottom, no padding. Tinting works
// on straight colour, so that is what is kept.
struct PixelBox {
  int x = 0, y = 0, width = 0, height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
};

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;
  // The smallest box holding every pixel whose alpha is not 0 (empty when
  // the picture is wholly transparent): nothing outside it can change a
  // frame, so drawing never looks there.
  PixelBox visible;
  // Which 32 x 32 cells of a 16 x 16 grid hold a visible pixel, in
  // code-point order: the letters of a font.
  std::bitset<256> glyphs;

  uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
};

constexpr int kGlyphCell = 32;

// Takes `argb` (width * height straight pixels), keys out every pixel of
// exactly the colour 0xRRGGBB `colorKey` (0 keys nothing) and works out the
// visible box and the glyph cells.
Picture MakePicture(int width, int height, std::vector<uint32_t> argb, int32_t colorKey = 0);
