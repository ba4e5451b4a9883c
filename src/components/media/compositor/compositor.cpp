#include "components/media/compositor/compositor.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "components/media/pixel_fill.h"

namespace {

// ⌊x / k⌋ for k != 0, from a floating-point estimate put right exactly: a
// 64-bit integer division costs as much as the rest of a sprite's row.
// Quotients far beyond any frame are only clamped, never corrected; callers
// compare them with frame columns.
inline int64_t FloorDiv(int64_t x, int64_t k, double inverse) {
  const double estimate = std::floor(double(x) * inverse);
  constexpr double kFar = 1 << 30;
  if (!(estimate > -kFar)) return -(int64_t{1} << 30);
  if (!(estimate < kFar)) return int64_t{1} << 30;
  int64_t q = static_cast<int64_t>(estimate);
  if (k > 0) {
    while (q * k > x) --q;
    while ((q + 1) * k <= x) ++q;
  } else {
    while (q * k < x) --q;
    while ((q + 1) * k >= x) ++q;
  }
  return q;
}

inline int64_t CeilDiv(int64_t x, int64_t k, double inverse) { return -FloorDiv(-x, k, inverse); }

// One axis of the map along a row or a column: the source coordinate grows
// by `step` per pixel.
struct Step {
  int64_t step;
  double inverse;
  explicit Step(int64_t s) : step(s), inverse(s != 0 ? 1.0 / double(s) : 0.0) {}
};

// Narrows [first, last] to the n with lo <= a + n*step < hi. The map is
// linear along a row or a column, so the pixels it covers there are one run.
inline void Narrow(int64_t a, const Step& k, int64_t lo, int64_t hi, int64_t& first,
                   int64_t& last) {
  if (k.step == 0) {
    if (a < lo || a >= hi) last = first - 1;
  } else if (k.step > 0) {
    first = std::max(first, CeilDiv(lo - a, k.step, k.inverse));
    last = std::min(last, FloorDiv(hi - 1 - a, k.step, k.inverse));
  } else {
    first = std::max(first, CeilDiv(hi - 1 - a, k.step, k.inverse));
    last = std::min(last, FloorDiv(lo - a, k.step, k.inverse));
  }
}

// The rows a turned draw can reach: the corners of its source rectangle
// carried back onto the frame, with a row to spare on each side for the
// rounding of doubles. Rows outside are never looked at; rows inside are
// still decided exactly, pixel by pixel.
void TurnedRows(const DrawMap& m, int height, int& first, int& last) {
  const double det = double(m.ui) * double(m.vj) - double(m.uj) * double(m.vi);
  first = 0;
  last = height - 1;
  if (det == 0) return;
  double low = 1e300, high = -1e300;
  for (int64_t u : {int64_t{m.left} << kMapShift, int64_t{m.right} << kMapShift}) {
    for (int64_t v : {int64_t{m.top} << kMapShift, int64_t{m.bottom} << kMapShift}) {
      const double j = (-double(m.vi) * double(u - m.uo) + double(m.ui) * double(v - m.vo)) / det;
      low = std::min(low, j);
      high = std::max(high, j);
    }
  }
  // Clamped before the conversion: a draw far off the page has corners
  // whose rows do not fit an int.
  first = static_cast<int>(std::clamp(std::floor(low) - 1, 0.0, double(height)));
  last = static_cast<int>(std::clamp(std::ceil(high) + 1, -1.0, double(height - 1)));
}

}  // namespace

Compositor::Compositor(int width, int height)
    : width_(width),
      height_(height),
      line_(static_cast<size_t>(std::max(width, 0))),
      columns_(static_cast<size_t>(std::max(width, 0))) {
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
    throw std::invalid_argument("bad frame size");
  }
  pixels_.assign(static_cast<size_t>(width) * height, 0xFF000000u);
}

void Compositor::BeginFrame(double red, double green, double blue) {
  const uint32_t colour = 0xFF000000u | (uint32_t{TintByte(red)} << 16) |
                          (uint32_t{TintByte(green)} << 8) | TintByte(blue);
  FillPixels(pixels_.data(), pixels_.size(), colour);
}

void Compositor::SetDrawColor(double red, double green, double blue) {
  tint_.red = TintByte(red);
  tint_.green = TintByte(green);
  tint_.blue = TintByte(blue);
}

void Compositor::DrawImage(const Picture& picture, const ImageDraw& draw) {
  Draw(picture, draw, tint_);
}

void Compositor::DrawText(const Picture& font, std::string_view text, float x, float y, float scale,
                          int32_t opacity, double red, double green, double blue) {
  if (!(scale > 0)) return;
  const Modulation colour{TintByte(red), TintByte(green), TintByte(blue), 255};
  constexpr int kAdvance = 20;  // a cell is 32 wide but the letters sit 20 apart
  const float size = kGlyphCell * scale;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto code = static_cast<unsigned char>(text[i]);
    if (!font.glyphs.test(code)) continue;  // a space, or a letter the font lacks
    ImageDraw glyph;
    glyph.x = x + static_cast<float>(i) * kAdvance * scale;
    glyph.y = y;
    glyph.sourceX = static_cast<float>((code % 16) * kGlyphCell);
    glyph.sourceY = static_cast<float>((code / 16) * kGlyphCell);
    glyph.sourceWidth = glyph.sourceHeight = kGlyphCell;
    glyph.drawnWidth = glyph.drawnHeight = size;
    glyph.opacity = opacity;
    Draw(font, glyph, colour);
  }
}

void Compositor::Draw(const Picture& picture, const ImageDraw& draw, const Modulation& tint) {
  Modulation modulation = tint;
  modulation.alpha = OpacityByte(draw.opacity);
  if (modulation.alpha == 0 || picture.visible.Empty()) return;
  DrawMap map = MapDraw(draw, picture.width, picture.height);
  if (!map.drawn) return;
  // Pixels outside the visible box leave the frame as it is: not looking
  // at them changes nothing but the time it takes.
  map.left = std::max(map.left, picture.visible.x);
  map.top = std::max(map.top, picture.visible.y);
  map.right = std::min(map.right, picture.visible.x + picture.visible.width);
  map.bottom = std::min(map.bottom, picture.visible.y + picture.visible.height);
  if (map.right <= map.left || map.bottom <= map.top) return;

  if (map.uj == 0 && map.vi == 0) {
    // Neither turned nor turned a quarter: each row of the frame shows one
    // row of the picture, each column one column.
    int64_t first = 0, last = height_ - 1;
    Narrow(map.vo, Step(map.vj), int64_t{map.top} << kMapShift, int64_t{map.bottom} << kMapShift,
           first, last);
    if (first <= last) DrawUnturned(picture, map, int(first), int(last), modulation);
    return;
  }
  int first = 0, last = 0;
  TurnedRows(map, height_, first, last);
  if (first <= last) DrawTurned(picture, map, first, last, modulation);
}

void Compositor::DrawUnturned(const Picture& picture, const DrawMap& m, int rowFirst, int rowLast,
                              const Modulation& modulation) {
  int64_t first = 0, last = width_ - 1;
  Narrow(m.uo, Step(m.ui), int64_t{m.left} << kMapShift, int64_t{m.right} << kMapShift, first,
         last);
  if (first > last) return;
  const int x0 = static_cast<int>(first);
  const int count = static_cast<int>(last - first + 1);
  const int64_t u0 = m.uo + first * m.ui;
  // At the picture's own width the columns follow one another: the rows
  // blend straight from the picture.
  const bool contiguous = m.ui == kMapOne;
  if (!contiguous) {
    int64_t u = u0;
    for (int k = 0; k < count; ++k, u += m.ui)
      columns_[static_cast<size_t>(k)] = int32_t(u >> kMapShift);
  }
  const int sourceColumn = static_cast<int>(u0 >> kMapShift);
  for (int j = rowFirst; j <= rowLast; ++j) {
    const int sourceRow = static_cast<int>((m.vo + j * m.vj) >> kMapShift);
    // Only the visible box is kept, and only the box is ever looked up.
    const uint32_t* box = picture.argb.data();
    const ptrdiff_t row =
        static_cast<ptrdiff_t>(sourceRow - picture.visible.y) * picture.visible.width -
        picture.visible.x;
    uint32_t* out = pixels_.data() + static_cast<size_t>(j) * width_ + x0;
    if (contiguous) {
      BlendRun(box + (row + sourceColumn), out, count, modulation);
      continue;
    }
    for (int k = 0; k < count; ++k)
      line_[static_cast<size_t>(k)] = box[row + columns_[static_cast<size_t>(k)]];
    BlendRun(line_.data(), out, count, modulation);
  }
}

void Compositor::DrawTurned(const Picture& picture, const DrawMap& m, int rowFirst, int rowLast,
                            const Modulation& modulation) {
  const int64_t uLow = int64_t{m.left} << kMapShift, uHigh = int64_t{m.right} << kMapShift;
  const int64_t vLow = int64_t{m.top} << kMapShift, vHigh = int64_t{m.bottom} << kMapShift;
  // Only the visible box is kept, and only the box is ever looked up.
  const uint32_t* source = picture.argb.data();
  const ptrdiff_t pitch = picture.visible.width;
  const ptrdiff_t origin = -(static_cast<ptrdiff_t>(picture.visible.y) * pitch + picture.visible.x);
  const Step alongU(m.ui), alongV(m.vi);
  for (int j = rowFirst; j <= rowLast; ++j) {
    const int64_t uRow = m.uo + j * m.uj;
    const int64_t vRow = m.vo + j * m.vj;
    int64_t first = 0, last = width_ - 1;
    Narrow(uRow, alongU, uLow, uHigh, first, last);
    if (first > last) continue;
    Narrow(vRow, alongV, vLow, vHigh, first, last);
    if (first > last) continue;
    const int count = static_cast<int>(last - first + 1);
    int64_t u = uRow + first * m.ui;
    int64_t v = vRow + first * m.vi;
    for (int k = 0; k < count; ++k, u += m.ui, v += m.vi) {
      line_[static_cast<size_t>(k)] = source[static_cast<ptrdiff_t>(v >> kMapShift) * pitch +
                                             static_cast<ptrdiff_t>(u >> kMapShift) + origin];
    }
    BlendRun(line_.data(), pixels_.data() + static_cast<size_t>(j) * width_ + first, count,
             modulation);
  }
}
