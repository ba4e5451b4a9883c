#include "compositor_reference.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

constexpr int W = ReferenceFrame::kWidth, H = ReferenceFrame::kHeight;

// A tint value (or a frame colour) as a byte.
uint32_t Byte(double v) {
  if (std::isnan(v) || v <= 0) return 0;
  if (v >= 255) return 255;
  return static_cast<uint32_t>(std::round(v));
}

uint32_t Opacity(int32_t percent) {
  const int32_t p = std::clamp<int32_t>(percent, 0, 100);
  return static_cast<uint32_t>(std::round(p * 255.0 / 100));
}

// Cosine and sine of `a` degrees clockwise. The page does not say how
// degrees become radians; reducing by whole turns first (fmod is exact)
// keeps large angles accurate.
void Turn(double a, double& c, double& s) {
  if (std::fmod(a, 90.0) == 0) {
    const long quarter = (std::lround(std::fmod(a, 360.0) / 90) + 4) % 4;
    c = quarter == 0 ? 1 : quarter == 2 ? -1 : 0;
    s = quarter == 1 ? 1 : quarter == 3 ? -1 : 0;
    return;
  }
  const double radians = std::fmod(a, 360.0) * (std::numbers::pi / 180);
  c = std::cos(radians);
  s = std::sin(radians);
}

// One of the six map numbers: false when it is not finite or reaches 2^46.
bool Whole(double value, int64_t& out) {
  const double rounded = std::round(value);
  if (!(std::fabs(rounded) < 70368744177664.0)) return false;
  out = static_cast<int64_t>(rounded);
  return true;
}

// x / 255 to the nearest whole number (never a tie: 255 is odd).
uint32_t Nearest(uint32_t x) { return (2 * x + 255) / 510; }

uint32_t Blend(uint32_t source, uint32_t frame, uint32_t opacity, const uint32_t tint[3]) {
  const uint32_t alpha = Nearest((source >> 24) * opacity);
  uint32_t out = 0xFF000000u;
  for (int k = 0; k < 3; ++k) {
    const int shift = 16 - 8 * k;  // red, green, blue
    const uint32_t c = Nearest((source >> shift & 0xFF) * tint[k]), d = frame >> shift & 0xFF;
    out |= Nearest(c * alpha + (255 - alpha) * d) << shift;
  }
  return out;
}

}  // namespace

void ReferenceFrame::BeginFrame(double red, double green, double blue) {
  std::fill(pixels_.begin(), pixels_.end(),
            0xFF000000u | Byte(red) << 16 | Byte(green) << 8 | Byte(blue));
}

void ReferenceFrame::SetDrawColor(double red, double green, double blue) {
  tint_[0] = Byte(red);
  tint_[1] = Byte(green);
  tint_[2] = Byte(blue);
}

void ReferenceFrame::DrawImage(const ReferencePicture& picture, const ImageDraw& draw) {
  Draw(picture, draw, tint_);
}

void ReferenceFrame::DrawText(const ReferencePicture& font, std::string_view text, float x, float y,
                              float scale, int32_t opacity, double red, double green, double blue) {
  if (!(scale > 0)) return;
  const uint32_t tint[3] = {Byte(red), Byte(green), Byte(blue)};
  for (size_t k = 0; k < text.size(); ++k) {
    const int ch = static_cast<unsigned char>(text[k]);
    const int left = 32 * (ch % 16), top = 32 * (ch / 16);
    bool ink = false;
    for (int v = top; v < top + 32 && v < font.height; ++v)
      for (int u = left; u < left + 32 && u < font.width; ++u)
        ink = ink || (font.At(u, v) >> 24) > 0;
    if (!ink) continue;
    const float glyphX = x + static_cast<float>(k * 20) * scale, size = 32 * scale;
    const ImageDraw glyph{glyphX, y, 32, 32, 0, opacity, float(left), float(top), size, size};
    Draw(font, glyph, tint);
  }
}

void ReferenceFrame::Draw(const ReferencePicture& p, const ImageDraw& d, const uint32_t tint[3]) {
  for (float v : {d.x, d.y, d.sourceWidth, d.sourceHeight, d.angle, d.sourceX, d.sourceY,
                  d.drawnWidth, d.drawnHeight, d.pivotX, d.pivotY})
    if (!std::isfinite(v)) return;
  const double SX = std::round(d.sourceX), SY = std::round(d.sourceY);
  const double SW = std::round(d.sourceWidth), SH = std::round(d.sourceHeight);
  if (SW <= 0 || SH <= 0 || d.drawnWidth < 0 || d.drawnHeight < 0) return;
  const double DW = d.drawnWidth == 0 ? SW : d.drawnWidth;
  const double DH = d.drawnHeight == 0 ? SH : d.drawnHeight;
  const double x = d.x, y = d.y;
  const bool centre = d.pivotX == -1 && d.pivotY == -1;
  const double Px = centre ? x + DW / 2 : x + d.pivotX * DW / SW;
  const double Py = centre ? y + DH / 2 : y + d.pivotY * DH / SH;
  const double L = std::max(SX, 0.0), T = std::max(SY, 0.0);
  const double R = std::min(SX + SW, double(p.width)), B = std::min(SY + SH, double(p.height));
  if (R <= L || B <= T) return;

  double c = 0, s = 0;
  Turn(d.angle, c, s);
  const double kx = SW / DW, ky = SH / DH;
  int64_t Uo, Vo, Ui, Vi, Uj, Vj;
  if (!Whole(65536 * (SX + kx * (c * (0.5 - Px) + s * (0.5 - Py) + Px - x)), Uo) ||
      !Whole(65536 * (SY + ky * (-s * (0.5 - Px) + c * (0.5 - Py) + Py - y)), Vo) ||
      !Whole(65536 * kx * c, Ui) || !Whole(-65536 * ky * s, Vi) || !Whole(65536 * kx * s, Uj) ||
      !Whole(65536 * ky * c, Vj))
    return;

  const int64_t uLow = int64_t(L) * 65536, uHigh = int64_t(R) * 65536;
  const int64_t vLow = int64_t(T) * 65536, vHigh = int64_t(B) * 65536;
  const uint32_t opacity = Opacity(d.opacity);
  for (int64_t j = 0; j < H; ++j) {
    for (int64_t i = 0; i < W; ++i) {
      const int64_t U = Uo + i * Ui + j * Uj, V = Vo + i * Vi + j * Vj;
      if (U < uLow || U >= uHigh || V < vLow || V >= vHigh) continue;
      const uint32_t source = p.At(int(U / 65536), int(V / 65536));
      uint32_t& pixel = pixels_[size_t(j) * W + size_t(i)];
      pixel = Blend(source, pixel, opacity, tint);
    }
  }
}

ReferencePicture::ReferencePicture(int w, int h, std::vector<uint32_t> pixels, int32_t colorKey)
    : width(w), height(h), argb(std::move(pixels)) {
  for (uint32_t& pixel : argb)
    if (colorKey != 0 && (pixel & 0xFFFFFFu) == uint32_t(colorKey)) pixel &= 0xFFFFFFu;
}
