#include "components/media/compositor/picture.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

PixelBox FindVisibleBox(int width, int height, const std::vector<uint32_t>& argb) {
  int left = width, top = height, right = -1, bottom = -1;
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = argb.data() + static_cast<size_t>(y) * width;
    int first = 0;
    while (first < width && (row[first] >> 24) == 0) ++first;
    if (first == width) continue;
    int last = width - 1;
    while ((row[last] >> 24) == 0) --last;
    left = std::min(left, first);
    right = std::max(right, last);
    top = std::min(top, y);
    bottom = y;
  }
  if (right < 0) return PixelBox{};
  return PixelBox{left, top, right - left + 1, bottom - top + 1};
}

// Run over the whole picture before it is cut down to its visible box.
std::bitset<256> FindGlyphCells(int width, int height, const std::vector<uint32_t>& argb) {
  std::bitset<256> cells;
  for (int code = 0; code < 256; ++code) {
    const int left = (code % 16) * kGlyphCell;
    const int top = (code / 16) * kGlyphCell;
    const int right = std::min(left + kGlyphCell, width);
    const int bottom = std::min(top + kGlyphCell, height);
    for (int y = top; y < bottom && !cells.test(static_cast<size_t>(code)); ++y) {
      for (int x = left; x < right; ++x) {
        if (argb[static_cast<size_t>(y) * width + x] >> 24) {
          cells.set(static_cast<size_t>(code));
          break;
        }
      }
    }
  }
  return cells;
}

}  // namespace

Picture MakePicture(int width, int height, std::vector<uint32_t> argb, int32_t colorKey) {
  if (width < 0 || height < 0 || argb.size() != static_cast<size_t>(width) * height) {
    throw std::invalid_argument("picture size does not match its pixels");
  }
  if (colorKey != 0) {
    const uint32_t key = static_cast<uint32_t>(colorKey) & 0xFFFFFFu;
    for (uint32_t& pixel : argb)
      if ((pixel & 0xFFFFFFu) == key) pixel = key;  // same colour, alpha 0
  }
  Picture p;
  p.width = width;
  p.height = height;
  p.visible = FindVisibleBox(width, height, argb);
  p.glyphs = FindGlyphCells(width, height, argb);
  if (p.visible.x == 0 && p.visible.y == 0 && p.visible.width == width &&
      p.visible.height == height) {
    p.argb = std::move(argb);
    return p;
  }
  p.argb.resize(static_cast<size_t>(p.visible.width) * p.visible.height);
  for (int y = 0; y < p.visible.height; ++y) {
    const auto from = argb.begin() + static_cast<ptrdiff_t>(p.visible.y + y) * width + p.visible.x;
    std::copy(from, from + p.visible.width,
              p.argb.begin() + static_cast<ptrdiff_t>(y) * p.visible.width);
  }
  return p;
}
