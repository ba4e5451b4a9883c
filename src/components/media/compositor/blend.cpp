#include "components/media/compositor/blend.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// x / 255 rounded down, exact for every x below 65536 (all products of two
// bytes), without a division.
inline uint32_t Div255(uint32_t x) { return (x + 1 + ((x + 1) >> 8)) >> 8; }

#if defined(__SSE2__)

inline __m128i Div255x8(__m128i x) {
  const __m128i one = _mm_set1_epi16(1);
  const __m128i x1 = _mm_add_epi16(x, one);
  return _mm_srli_epi16(_mm_add_epi16(x1, _mm_srli_epi16(x1, 8)), 8);
}

// Two pixels as eight 16-bit lanes, B G R A B G R A (memory order). The
// alpha lane comes out as alpha + (255 - alpha) = 255: the frame stays opaque.
inline __m128i BlendTwo(__m128i s, __m128i d, __m128i modulation, __m128i alphaLanes) {
  const __m128i full = _mm_set1_epi16(255);
  const __m128i t = Div255x8(_mm_mullo_epi16(s, modulation));
  // Each pixel's alpha in all four of its lanes.
  __m128i sa = _mm_shufflelo_epi16(t, _MM_SHUFFLE(3, 3, 3, 3));
  sa = _mm_shufflehi_epi16(sa, _MM_SHUFFLE(3, 3, 3, 3));
  // Colours are multiplied by alpha; the alpha lane by 255, i.e. kept.
  const __m128i premultiplier =
      _mm_or_si128(_mm_andnot_si128(alphaLanes, sa), _mm_and_si128(alphaLanes, full));
  const __m128i p = Div255x8(_mm_mullo_epi16(t, premultiplier));
  const __m128i keep = _mm_sub_epi16(full, sa);
  return _mm_add_epi16(p, Div255x8(_mm_mullo_epi16(keep, d)));
}

#endif

}  // namespace

uint32_t BlendPixel(uint32_t s, uint32_t d, const Modulation& m) {
  const uint32_t sa = Div255((s >> 24) * m.alpha);
  const uint32_t sr = Div255(Div255(((s >> 16) & 0xFF) * m.red) * sa);
  const uint32_t sg = Div255(Div255(((s >> 8) & 0xFF) * m.green) * sa);
  const uint32_t sb = Div255(Div255((s & 0xFF) * m.blue) * sa);
  const uint32_t keep = 255 - sa;
  const uint32_t r = sr + Div255(keep * ((d >> 16) & 0xFF));
  const uint32_t g = sg + Div255(keep * ((d >> 8) & 0xFF));
  const uint32_t b = sb + Div255(keep * (d & 0xFF));
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

void BlendRun(const uint32_t* src, uint32_t* dst, int count, const Modulation& m) {
  const bool plain = m.Plain();
  int x = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i modulation = _mm_set_epi16(
      static_cast<short>(m.alpha), static_cast<short>(m.red), static_cast<short>(m.green),
      static_cast<short>(m.blue), static_cast<short>(m.alpha), static_cast<short>(m.red),
      static_cast<short>(m.green), static_cast<short>(m.blue));
  const __m128i alphaLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
  const __m128i alphaBytes = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  for (; x + 4 <= count; x += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
    __m128i* out = reinterpret_cast<__m128i*>(dst + x);
    const __m128i a = _mm_and_si128(s, alphaBytes);
    // Four transparent pixels change nothing: the common case in skies of
    // sparse stars and in the empty corners of sprites.
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, zero)) == 0xFFFF) continue;
    // Four opaque pixels drawn plainly are their own colours.
    if (plain && _mm_movemask_epi8(_mm_cmpeq_epi32(a, alphaBytes)) == 0xFFFF) {
      _mm_storeu_si128(out, s);
      continue;
    }
    const __m128i d = _mm_loadu_si128(out);
    const __m128i low =
        BlendTwo(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero), modulation, alphaLanes);
    const __m128i high =
        BlendTwo(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero), modulation, alphaLanes);
    _mm_storeu_si128(out, _mm_packus_epi16(low, high));
  }
#endif
  for (; x < count; ++x) {
    const uint32_t s = src[x];
    const uint32_t alpha = s >> 24;
    if (alpha == 0) continue;
    dst[x] = plain && alpha == 255 ? s : BlendPixel(s, dst[x], m);
  }
}
