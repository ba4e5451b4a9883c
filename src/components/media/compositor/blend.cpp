#include "components/media/compositor/blend.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define KESTREVAN_AVX2 1
#endif

namespace {

// x / 255 to the nearest whole number, exact for every x up to 65535 (x/255
// is never exactly half-way), without a division.
inline uint32_t Div255Round(uint32_t x) { return (x + 128 + ((x + 128) >> 8)) >> 8; }

// Which numbers of the blend can change a pixel: a white tint multiplies by
// one exactly, and so does full opacity, so those steps are left out of the
// loops that do not need them. Every variant computes the same result.
enum class Steps { kPlain, kFaded, kTinted };

#if defined(__SSE2__)

inline __m128i Div255RoundX8(__m128i x) {
  const __m128i x1 = _mm_add_epi16(x, _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(x1, _mm_srli_epi16(x1, 8)), 8);
}

// Two pixels as eight 16-bit lanes, B G R A B G R A (memory order). What
// comes out of the alpha lanes is thrown away: the frame stays opaque.
template <Steps kSteps>
inline __m128i BlendTwo(__m128i s, __m128i d, __m128i tint, __m128i opacity) {
  if constexpr (kSteps == Steps::kTinted) s = Div255RoundX8(_mm_mullo_epi16(s, tint));
  __m128i a = _mm_shufflelo_epi16(s, _MM_SHUFFLE(3, 3, 3, 3));
  a = _mm_shufflehi_epi16(a, _MM_SHUFFLE(3, 3, 3, 3));
  if constexpr (kSteps != Steps::kPlain) a = Div255RoundX8(_mm_mullo_epi16(a, opacity));
  const __m128i keep = _mm_sub_epi16(_mm_set1_epi16(255), a);
  // C*a + (255 - a)*d is at most 255*255: it fits a 16-bit lane.
  return Div255RoundX8(_mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(keep, d)));
}

#endif

template <Steps kSteps>
inline uint32_t BlendOne(uint32_t s, uint32_t d, const Modulation& m) {
  uint32_t r = (s >> 16) & 0xFF, g = (s >> 8) & 0xFF, b = s & 0xFF, a = s >> 24;
  if constexpr (kSteps == Steps::kTinted) {
    r = Div255Round(r * m.red);
    g = Div255Round(g * m.green);
    b = Div255Round(b * m.blue);
  }
  if constexpr (kSteps != Steps::kPlain) a = Div255Round(a * m.alpha);
  const uint32_t keep = 255 - a;
  r = Div255Round(r * a + keep * ((d >> 16) & 0xFF));
  g = Div255Round(g * a + keep * ((d >> 8) & 0xFF));
  b = Div255Round(b * a + keep * (d & 0xFF));
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

// The smallest source alpha that still shows at this opacity: below it the
// blend's alpha rounds to 0 and the frame is left as it was, so whole groups
// of such pixels (a faint haze faded further) are skipped like transparent
// ones.
inline uint32_t FirstVisibleAlpha(uint32_t opacity) {
  // The blend's alpha rounds up to 1 from A*O >= 128 on.
  return opacity == 0 ? 256 : (128 + opacity - 1) / opacity;
}

#if defined(KESTREVAN_AVX2)

__attribute__((target("avx2"))) inline __m256i Div255RoundX16(__m256i x) {
  const __m256i x1 = _mm256_add_epi16(x, _mm256_set1_epi16(128));
  return _mm256_srli_epi16(_mm256_add_epi16(x1, _mm256_srli_epi16(x1, 8)), 8);
}

template <Steps kSteps>
__attribute__((target("avx2"))) inline __m256i BlendFour(__m256i s, __m256i d, __m256i tint,
                                                         __m256i opacity) {
  if constexpr (kSteps == Steps::kTinted) s = Div255RoundX16(_mm256_mullo_epi16(s, tint));
  __m256i a = _mm256_shufflelo_epi16(s, _MM_SHUFFLE(3, 3, 3, 3));
  a = _mm256_shufflehi_epi16(a, _MM_SHUFFLE(3, 3, 3, 3));
  if constexpr (kSteps != Steps::kPlain) a = Div255RoundX16(_mm256_mullo_epi16(a, opacity));
  const __m256i keep = _mm256_sub_epi16(_mm256_set1_epi16(255), a);
  return Div255RoundX16(_mm256_add_epi16(_mm256_mullo_epi16(s, a), _mm256_mullo_epi16(keep, d)));
}

// The same blend eight pixels at a time, on processors that have it.
template <Steps kSteps>
__attribute__((target("avx2"))) int BlendWide(const uint32_t* src, uint32_t* dst, int count,
                                              const Modulation& m) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i tint =
      _mm256_set_epi16(255, short(m.red), short(m.green), short(m.blue), 255, short(m.red),
                       short(m.green), short(m.blue), 255, short(m.red), short(m.green),
                       short(m.blue), 255, short(m.red), short(m.green), short(m.blue));
  const __m256i opacity = _mm256_set1_epi16(static_cast<short>(m.alpha));
  const __m256i alphaBytes = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  const __m256i belowVisible =
      _mm256_set1_epi32(static_cast<int>((FirstVisibleAlpha(m.alpha) - 1) << 24));
  int x = 0;
  for (; x + 8 <= count; x += 8) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + x));
    __m256i* out = reinterpret_cast<__m256i*>(dst + x);
    const __m256i a = _mm256_and_si256(s, alphaBytes);
    if (_mm256_testz_si256(_mm256_subs_epu8(a, belowVisible), alphaBytes)) continue;
    if (kSteps == Steps::kPlain && _mm256_movemask_epi8(_mm256_cmpeq_epi32(a, alphaBytes)) == -1) {
      _mm256_storeu_si256(out, s);
      continue;
    }
    const __m256i d = _mm256_loadu_si256(out);
    const __m256i low = BlendFour<kSteps>(_mm256_unpacklo_epi8(s, zero),
                                          _mm256_unpacklo_epi8(d, zero), tint, opacity);
    const __m256i high = BlendFour<kSteps>(_mm256_unpackhi_epi8(s, zero),
                                           _mm256_unpackhi_epi8(d, zero), tint, opacity);
    _mm256_storeu_si256(out, _mm256_or_si256(_mm256_packus_epi16(low, high), alphaBytes));
  }
  return x;
}

bool HasAvx2() {
  static const bool kHas = __builtin_cpu_supports("avx2");
  return kHas;
}

#endif

template <Steps kSteps>
void Blend(const uint32_t* src, uint32_t* dst, int count, const Modulation& m) {
  int x = 0;
#if defined(KESTREVAN_AVX2)
  if (HasAvx2()) x = BlendWide<kSteps>(src, dst, count, m);
#endif
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i tint = _mm_set_epi16(255, static_cast<short>(m.red), static_cast<short>(m.green),
                                     static_cast<short>(m.blue), 255, static_cast<short>(m.red),
                                     static_cast<short>(m.green), static_cast<short>(m.blue));
  const __m128i opacity = _mm_set1_epi16(static_cast<short>(m.alpha));
  const __m128i alphaBytes = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i belowVisible =
      _mm_set1_epi32(static_cast<int>((FirstVisibleAlpha(m.alpha) - 1) << 24));
  for (; x + 4 <= count; x += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
    __m128i* out = reinterpret_cast<__m128i*>(dst + x);
    const __m128i a = _mm_and_si128(s, alphaBytes);
    // Four pixels too faint to show change nothing: the common case in skies
    // of sparse stars and in the empty corners of sprites.
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_subs_epu8(a, belowVisible), zero)) == 0xFFFF)
      continue;
    // Four opaque pixels drawn plainly are their own colours.
    if (kSteps == Steps::kPlain && _mm_movemask_epi8(_mm_cmpeq_epi32(a, alphaBytes)) == 0xFFFF) {
      _mm_storeu_si128(out, s);
      continue;
    }
    const __m128i d = _mm_loadu_si128(out);
    const __m128i low =
        BlendTwo<kSteps>(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero), tint, opacity);
    const __m128i high =
        BlendTwo<kSteps>(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero), tint, opacity);
    _mm_storeu_si128(out, _mm_or_si128(_mm_packus_epi16(low, high), alphaBytes));
  }
#endif
  const uint32_t firstVisible = FirstVisibleAlpha(m.alpha);
  for (; x < count; ++x) {
    const uint32_t s = src[x];
    const uint32_t alpha = s >> 24;
    if (alpha < firstVisible) continue;
    dst[x] = kSteps == Steps::kPlain && alpha == 255 ? s : BlendOne<kSteps>(s, dst[x], m);
  }
}

}  // namespace

uint32_t BlendPixel(uint32_t s, uint32_t d, const Modulation& m) {
  return BlendOne<Steps::kTinted>(s, d, m);
}

void BlendRun(const uint32_t* src, uint32_t* dst, int count, const Modulation& m) {
  if ((m.red & m.green & m.blue) != 255) {
    Blend<Steps::kTinted>(src, dst, count, m);
  } else if (m.alpha != 255) {
    Blend<Steps::kFaded>(src, dst, count, m);
  } else {
    Blend<Steps::kPlain>(src, dst, count, m);
  }
}
