// The scaling of the finished frame into a window without a GPU, against a
// plain per-pixel working of the same sampling rules.
#include "components/media/frame_scaler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <tuple>
#include <vector>

namespace {

constexpr int kW = 64, kH = 48;  // a small frame keeps the reference quick

uint32_t Channel(uint32_t p, int shift) { return (p >> shift) & 0xFF; }

// Pixel centres onto pixel centres, in 256ths, held inside the frame.
void Tap(int i, int length, int frameLength, int& first, uint32_t& weight) {
  const long long at = ((2LL * i + 1) * frameLength * 256) / (2LL * length) - 128;
  first = at <= 0 ? 0 : int(at >> 8) >= frameLength - 1 ? frameLength - 1 : int(at >> 8);
  weight = (at <= 0 || int(at >> 8) >= frameLength - 1) ? 0 : uint32_t(at & 255);
}

uint32_t Lerp(uint32_t a, uint32_t b, uint32_t w) {
  uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8)
    out |= ((Channel(a, shift) * (256 - w) + Channel(b, shift) * w) >> 8) << shift;
  return out;
}

uint32_t Expected(const std::vector<uint32_t>& f, const ScreenRect& r, int x, int y, bool smooth) {
  if (x < r.x || y < r.y || x >= r.x + r.width || y >= r.y + r.height) return 0xFF000000u;
  const int px = x - r.x, py = y - r.y;
  if (!smooth) {
    const int sx = int((2LL * px + 1) * kW / (2LL * r.width));
    const int sy = int((2LL * py + 1) * kH / (2LL * r.height));
    return f[size_t(sy) * kW + sx];
  }
  int cx = 0, cy = 0;
  uint32_t wx = 0, wy = 0;
  Tap(px, r.width, kW, cx, wx);
  Tap(py, r.height, kH, cy, wy);
  auto widened = [&](int row) {
    const uint32_t a = f[size_t(row) * kW + cx];
    return wx == 0 ? a : Lerp(a, f[size_t(row) * kW + cx + 1], wx);
  };
  return wy == 0 ? widened(cy) : Lerp(widened(cy), widened(cy + 1), wy);
}

TEST(FrameScaler, EveryWindowPixelIsTheFramesPixelOrItsBlendAndTheBarsAreBlack) {
  std::mt19937 rng(5);
  std::vector<uint32_t> frame(size_t(kW) * kH);
  for (uint32_t& p : frame) p = 0xFF000000u | (rng() & 0xFFFFFFu);
  // Full screen's 2.25, a whole-number 3, an odd size, a shrink, the frame's own size.
  const std::tuple<int, int, bool> windows[] = {
      {144, 108, false}, {200, 150, true}, {131, 97, false}, {40, 30, false}, {64, 48, false}};
  for (const auto& [width, height, whole] : windows) {
    for (bool smooth : {false, true}) {
      const int pitch = width + 3;  // rows padded, as window surfaces may be
      std::vector<uint32_t> out(size_t(pitch) * height, 0x12345678u);
      const ScreenRect r = Letterbox(width, height, kW, kH, whole);
      FrameScaler scaler;
      // Twice: the second frame reuses the tables and the bars of the first.
      for (int pass = 0; pass < 2; ++pass) {
        for (uint32_t& p : frame) p ^= pass * 0x00010203u;
        scaler.Scale(frame.data(), kW, kH, out.data(), pitch, width, height, r, smooth);
        for (int y = 0; y < height; ++y) {
          for (int x = 0; x < width; ++x) {
            const uint32_t want = Expected(frame, r, x, y, smooth);
            const uint32_t got = out[size_t(y) * pitch + x];
            if (got != want) {
              FAIL() << width << "x" << height << (smooth ? " smooth" : " sharp") << " pass "
                     << pass << " at (" << x << ", " << y << "): " << std::hex << got
                     << " != " << want;
            }
          }
          // The padding past the row belongs to nobody.
          for (int x = width; x < pitch; ++x) ASSERT_EQ(out[size_t(y) * pitch + x], 0x12345678u);
        }
      }
    }
  }
}

}  // namespace
