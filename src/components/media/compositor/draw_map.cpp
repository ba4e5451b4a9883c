#include "components/media/compositor/draw_map.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
// A map number this large belongs to a draw nowhere near any page; refusing
// it keeps every U and V of a frame far inside 64 bits.
constexpr double kMapLimit = 70368744177664.0;  // 2^46

bool Finite(float v) { return std::isfinite(v); }

// Sine and cosine of a clockwise turn; exact on the quarter turns so a
// picture turned upside down lands on whole pixels.
void TurnOf(double degrees, double& c, double& s) {
  const double reduced = std::fmod(degrees, 360.0);
  if (std::fmod(reduced, 90.0) == 0) {
    const int quarter = static_cast<int>(reduced / 90.0) & 3;  // -90 is the third quarter
    static constexpr double kCos[4] = {1, 0, -1, 0};
    static constexpr double kSin[4] = {0, 1, 0, -1};
    c = kCos[quarter];
    s = kSin[quarter];
    return;
  }
  const double radians = reduced * (kPi / 180.0);
  c = std::cos(radians);
  s = std::sin(radians);
}

// The limit applies to the rounded number: just below 2^46 can round onto it.
bool Fixed(double value, int64_t& out) {
  const double scaled = std::round(value * 65536.0);
  if (!(std::fabs(scaled) < kMapLimit)) return false;  // also NaN
  out = static_cast<int64_t>(scaled);
  return true;
}

}  // namespace

DrawMap MapDraw(const ImageDraw& d, int pictureWidth, int pictureHeight) {
  DrawMap m;
  for (float v : {d.x, d.y, d.sourceWidth, d.sourceHeight, d.angle, d.sourceX, d.sourceY,
                  d.drawnWidth, d.drawnHeight, d.pivotX, d.pivotY}) {
    if (!Finite(v)) return m;
  }
  const double sx = std::round(double(d.sourceX));
  const double sy = std::round(double(d.sourceY));
  const double sw = std::round(double(d.sourceWidth));
  const double sh = std::round(double(d.sourceHeight));
  if (sw <= 0 || sh <= 0 || d.drawnWidth < 0 || d.drawnHeight < 0) return m;
  const double dw = d.drawnWidth == 0 ? sw : double(d.drawnWidth);
  const double dh = d.drawnHeight == 0 ? sh : double(d.drawnHeight);

  const double x = d.x, y = d.y;
  const bool centred = d.pivotX == -1 && d.pivotY == -1;
  const double px = centred ? x + dw / 2 : x + double(d.pivotX) * dw / sw;
  const double py = centred ? y + dh / 2 : y + double(d.pivotY) * dh / sh;

  // Source rectangles and pictures are far below 2^31 pixels on any side
  // the engine accepts; the clamps only keep the conversions defined.
  const double left = std::max(sx, 0.0);
  const double top = std::max(sy, 0.0);
  const double right = std::min(sx + sw, double(pictureWidth));
  const double bottom = std::min(sy + sh, double(pictureHeight));
  if (right <= left || bottom <= top) return m;

  double c = 1, s = 0;
  TurnOf(d.angle, c, s);
  const double kx = sw / dw, ky = sh / dh;
  if (!Fixed(sx + kx * (c * (0.5 - px) + s * (0.5 - py) + px - x), m.uo) || !Fixed(kx * c, m.ui) ||
      !Fixed(kx * s, m.uj) || !Fixed(sy + ky * (-s * (0.5 - px) + c * (0.5 - py) + py - y), m.vo) ||
      !Fixed(-ky * s, m.vi) || !Fixed(ky * c, m.vj)) {
    return m;
  }
  m.left = static_cast<int>(left);
  m.top = static_cast<int>(top);
  m.right = static_cast<int>(right);
  m.bottom = static_cast<int>(bottom);
  m.drawn = true;
  return m;
}

uint8_t OpacityByte(int32_t percent) {
  const int32_t clamped = std::clamp<int32_t>(percent, 0, 100);
  return static_cast<uint8_t>(std::lround(clamped * 255.0 / 100.0));
}

uint8_t TintByte(double value) {
  if (!(value > 0)) return 0;  // also NaN
  if (value >= 255) return 255;
  return static_cast<uint8_t>(std::lround(value));
}
