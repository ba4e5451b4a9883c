#include "sdl_turn.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double kPi = 3.14159265358979323846;

void Rotate(double x, double y, double sine, double cosine, float centerX, float centerY,
            double& outX, double& outY) {
  x -= centerX;
  y -= centerY;
  outX = cosine * x - sine * y + centerX;
  outY = sine * x + cosine * y + centerY;
}

}  // namespace

bool IsGeneralTurn(double angle) {
  if (!std::isfinite(angle)) return false;
  // The same test SDL makes, on a value that fits an int.
  if (std::fabs(angle / 90) >= 2147483647.0) return false;
  return static_cast<int>(angle / 90) != angle / 90;
}

TurnBox PlaceTurn(int width, int height, double angle, float centerX, float centerY) {
  const double radians = angle * (kPi / 180.0);
  const double sine = std::sin(radians);
  const double cosine = std::cos(radians);
  // The corners' pixel centres, turned: the box is what holds them.
  double xs[4], ys[4];
  Rotate(0.5, 0.5, sine, cosine, centerX, centerY, xs[0], ys[0]);
  Rotate(width - 0.5, 0.5, sine, cosine, centerX, centerY, xs[1], ys[1]);
  Rotate(0.5, height - 0.5, sine, cosine, centerX, centerY, xs[2], ys[2]);
  Rotate(width - 0.5, height - 0.5, sine, cosine, centerX, centerY, xs[3], ys[3]);
  const int minX = static_cast<int>(std::floor(std::min(std::min(xs[0], xs[1]), std::min(xs[2], xs[3]))));
  const int maxX = static_cast<int>(std::ceil(std::max(std::max(xs[0], xs[1]), std::max(xs[2], xs[3]))));
  const int minY = static_cast<int>(std::floor(std::min(std::min(ys[0], ys[1]), std::min(ys[2], ys[3]))));
  const int maxY = static_cast<int>(std::ceil(std::max(std::max(ys[0], ys[1]), std::max(ys[2], ys[3]))));
  TurnBox box;
  box.x = minX;
  box.y = minY;
  box.width = maxX - minX;
  box.height = maxY - minY;
  box.sine = static_cast<int>(-sine * 65536.0);
  box.cosine = static_cast<int>(cosine * 65536.0);
  return box;
}

std::vector<int> StretchIndex(int sourceLength, int drawnLength) {
  std::vector<int> index(static_cast<size_t>(std::max(drawnLength, 0)));
  if (drawnLength <= 0) return index;
  if (sourceLength == drawnLength) {
    for (int i = 0; i < drawnLength; ++i) index[static_cast<size_t>(i)] = i;
    return index;
  }
  const uint32_t step = (static_cast<uint32_t>(sourceLength) << 16) / static_cast<uint32_t>(drawnLength);
  uint32_t position = step / 2;
  for (int i = 0; i < drawnLength; ++i) {
    index[static_cast<size_t>(i)] = static_cast<int>(position >> 16);
    position += step;
  }
  return index;
}

void TurnPicture(const uint32_t* source, int sourcePitch, int sourceWidth, int sourceHeight,
                 int drawnWidth, int drawnHeight, const TurnBox& box, float centerX, float centerY,
                 uint32_t* out, int outPitch) {
  const std::vector<int> columns = StretchIndex(sourceWidth, drawnWidth);
  const std::vector<int> rows = StretchIndex(sourceHeight, drawnHeight);
  // The expressions and their types are SDL's: the rounding of each step
  // decides which pixel lands where.
  const int isin = box.sine, icos = box.cosine;
  const int cx = static_cast<int>(centerX * 65536.0);
  const int cy = static_cast<int>(centerY * 65536.0);
  constexpr int kHalf = 1 << 15;
  for (int y = 0; y < box.height; ++y) {
    uint32_t* line = out + static_cast<long>(y) * outPitch;
    std::memset(line, 0, static_cast<size_t>(box.width) * sizeof(uint32_t));
    const double srcX = box.x + 0 + 0.5 - centerX;
    const double srcY = box.y + y + 0.5 - centerY;
    int sdx = static_cast<int>((icos * srcX - isin * srcY) + cx - kHalf);
    int sdy = static_cast<int>((isin * srcX + icos * srcY) + cy - kHalf);
    for (int x = 0; x < box.width; ++x) {
      const int dx = sdx >> 16;
      const int dy = sdy >> 16;
      if (static_cast<unsigned>(dx) < static_cast<unsigned>(drawnWidth) &&
          static_cast<unsigned>(dy) < static_cast<unsigned>(drawnHeight)) {
        line[x] = source[static_cast<long>(rows[static_cast<size_t>(dy)]) * sourcePitch +
                         columns[static_cast<size_t>(dx)]];
      }
      sdx += icos;
      sdy += isin;
    }
  }
}
