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
  // The smallest box holding every pixel whose alpha is not 0 (empty when
  // the picture is wholly transparent). Nothing outside it can change a
  // frame, so only the box is kept: a button on a mostly empty sheet costs
  // the button's pixels, not the sheet's.
  PixelBox visible;
  // The pixels of the visible box, rows top to bottom, visible.width each.
  std::vector<uint32_t> argb;
  // Which 32 x 32 cells of a 16 x 16 grid hold a visible pixel, in
  // code-point order: the letters of a font.
  std::bitset<256> glyphs;

  // Any pixel of the whole picture; transparent outside the visible box.
  uint32_t At(int x, int y) const {
    if (x < visible.x || y < visible.y || x >= visible.x + visible.width ||
        y >= visible.y + visible.height)
      return 0;
    return argb[static_cast<size_t>(y - visible.y) * visible.width + (x - visible.x)];
  }
};

constexpr int kGlyphCell = 32;

// Takes `argb` (width * height straight pixels), keys out every pixel of
// exactly the colour 0xRRGGBB `colorKey` (0 keys nothing), works out the
// visible box and the glyph cells, and keeps the box.
Picture MakePicture(int width, int height, std::vector<uint32_t> argb, int32_t colorKey = 0);
