#pragma once
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Sets `count` pixels to `colour`. Written out by hand: a plain fill loop is
// not always turned into wide stores, and the library's copy of one row
// into the next is slow on some processors at exactly a row's size.
inline void FillPixels(uint32_t* out, size_t count, uint32_t colour) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i four = _mm_set1_epi32(static_cast<int>(colour));
  for (; i + 16 <= count; i += 16) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), four);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 4), four);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), four);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 12), four);
  }
#endif
  for (; i < count; ++i) out[i] = colour;
}

// Copies `count` pixels; by hand for the same reason as FillPixels.
inline void CopyPixels(uint32_t* out, const uint32_t* from, size_t count) {
  size_t i = 0;
#if defined(__SSE2__)
  for (; i + 8 <= count; i += 8) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i + 4));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), a);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 4), b);
  }
#endif
  for (; i < count; ++i) out[i] = from[i];
}
