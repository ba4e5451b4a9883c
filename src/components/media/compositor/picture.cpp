#include "components/media/compositor/picture.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

PixelBox FindVisibleBox(const Picture& p) {
  int left = p.width, top = p.height, right = -1, bottom = -1;
  for (int y = 0; y < p.height; ++y) {
    const uint32_t* row = p.argb.data() + static_cast<size_t>(y) * p.width;
    int first = 0;
    while (first < p.width && (row[first] >> 24) == 0) ++first;
    if (first == p.width) continue;
    int last = p.width - 1;
    while ((row[last] >> 24) == 0) --last;
    left = std::min(left, first);
    right = std::max(right, last);
    top = std::min(top, y);
    bottom = y;
  }
  if (right < 0) return PixelBox{};
  return PixelBox{left, top, right - left + 1, bottom - top + 1};
}

std::bitset<256> FindGlyphCells(const Picture& p) {
  std::bitset<256> cells;
  for (int code = 0; code < 256; ++code) {
    const int left = (code % 16) * kGlyphCell;
    const int top = (code / 16) * kGlyphCell;
    const int right = std::min(left + kGlyphCell, p.width);
    const int bottom = std::min(top + kGlyphCell, p.height);
    for (int y = top; y < bottom && !cells.test(static_cast<size_t>(code)); ++y) {
      for (int x = left; x < right; ++x) {
        if (p.At(x, y) >> 24) {
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
  Picture p;
  p.width = width;
  p.height = height;
  p.argb = std::move(argb);
  if (colorKey != 0) {
    const uint32_t key = static_cast<uint32_t>(colorKey) & 0xFFFFFFu;
    for (uint32_t& pixel : p.argb)
      if ((pixel & 0xFFFFFFu) == key) pixel = key;  // same colour, alpha 0
  }
  p.visible = FindVisibleBox(p);
  p.glyphs = FindGlyphCells(p);
  return p;
}
