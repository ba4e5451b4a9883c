#include "sdl_blend.h"

namespace {

// x / 255 rounded down, exact for every x below 65536 (all products of two
// bytes), without a division.
inline uint32_t Div255(uint32_t x) { return (x + 1 + ((x + 1) >> 8)) >> 8; }

}  // namespace

void BlendModulated(const uint32_t* source, int sourcePitch, uint32_t* target, int targetPitch,
                    int width, int height, const BlendModulation& m, bool targetHasAlpha) {
  const bool tinted = m.red != 255 || m.green != 255 || m.blue != 255;
  for (int y = 0; y < height; ++y) {
    const uint32_t* src = source + static_cast<long>(y) * sourcePitch;
    uint32_t* dst = target + static_cast<long>(y) * targetPitch;
    for (int x = 0; x < width; ++x) {
      const uint32_t s = src[x];
      uint32_t sa = Div255((s >> 24) * m.alpha);
      // Nothing of a transparent pixel reaches the frame: d * 255 / 255 = d
      // (an XRGB frame still gets its top byte cleared, as SDL does).
      if (sa == 0) {
        if (!targetHasAlpha) dst[x] &= 0x00FFFFFFu;
        continue;
      }
      uint32_t sr = (s >> 16) & 0xFF, sg = (s >> 8) & 0xFF, sb = s & 0xFF;
      if (tinted) {
        sr = Div255(sr * m.red);
        sg = Div255(sg * m.green);
        sb = Div255(sb * m.blue);
      }
      if (sa < 255) {
        sr = Div255(sr * sa);
        sg = Div255(sg * sa);
        sb = Div255(sb * sa);
      }
      const uint32_t d = dst[x];
      const uint32_t keep = 255 - sa;
      const uint32_t r = sr + Div255(keep * ((d >> 16) & 0xFF));
      const uint32_t g = sg + Div255(keep * ((d >> 8) & 0xFF));
      const uint32_t b = sb + Div255(keep * (d & 0xFF));
      const uint32_t a = targetHasAlpha ? sa + Div255(keep * (d >> 24)) : 0;
      dst[x] = (a << 24) | (r << 16) | (g << 8) | b;
    }
  }
}
