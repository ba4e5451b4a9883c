#include "components/media/frame_scaler.h"

#include <algorithm>

#include "components/media/pixel_fill.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr uint32_t kBar = 0xFF000000u;

// Where picture pixel `i` of `length` samples the frame's `frameLength`
// pixels, in 256ths, measured between pixel centres: (i + 1/2) * scale - 1/2.
int64_t Sample256(int i, int length, int frameLength) {
  return (int64_t{2 * i + 1} * frameLength * 256) / (int64_t{2} * length) - 128;
}

// The left (or upper) of the two frame pixels blended, and the right one's
// weight, held inside the frame at its edges.
void LinearTap(int64_t at, int frameLength, int32_t& first, uint16_t& weight) {
  if (at <= 0) {
    first = 0;
    weight = 0;
  } else if ((at >> 8) >= frameLength - 1) {
    first = frameLength - 1;
    weight = 0;
  } else {
    first = static_cast<int32_t>(at >> 8);
    weight = static_cast<uint16_t>(at & 255);
  }
}

// (a * (256 - w) + b * w) / 256 per channel, two channels of a pixel at once.
inline uint32_t Mix(uint32_t a, uint32_t b, uint32_t w) {
  const uint32_t keep = 256 - w;
  const uint32_t rb = (((a & 0x00FF00FFu) * keep + (b & 0x00FF00FFu) * w) >> 8) & 0x00FF00FFu;
  const uint32_t g = (((a & 0x0000FF00u) * keep + (b & 0x0000FF00u) * w) >> 8) & 0x0000FF00u;
  return kBar | rb | g;
}

// One row of the picture between two widened frame rows.
void MixRows(const uint32_t* upper, const uint32_t* lower, uint32_t weight, uint32_t* out,
             int count) {
  int x = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i w = _mm_set1_epi16(static_cast<short>(weight));
  const __m128i keep = _mm_set1_epi16(static_cast<short>(256 - weight));
  const __m128i bar = _mm_set1_epi32(static_cast<int>(kBar));
  const bool aligned = (reinterpret_cast<uintptr_t>(out) & 15) == 0;
  for (; x + 4 <= count; x += 4) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + x));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + x));
    // At most 255 * 256 in a lane: the sums fit 16 bits.
    const __m128i low =
        _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), keep),
                                     _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), w)),
                       8);
    const __m128i high =
        _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), keep),
                                     _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), w)),
                       8);
    const __m128i mixed = _mm_or_si128(_mm_packus_epi16(low, high), bar);
    // The window's pixels are only written here, never read: streaming
    // them past the cache halves the memory traffic of a full screen.
    if (aligned) {
      _mm_stream_si128(reinterpret_cast<__m128i*>(out + x), mixed);
    } else {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), mixed);
    }
  }
  if (aligned) _mm_sfence();
#endif
  for (; x < count; ++x) out[x] = Mix(upper[x], lower[x], weight);
}

void FillBars(uint32_t* out, int pitch, int width, int height, const ScreenRect& r) {
  for (int y = 0; y < height; ++y) {
    uint32_t* row = out + static_cast<ptrdiff_t>(y) * pitch;
    if (y < r.y || y >= r.y + r.height) {
      FillPixels(row, static_cast<size_t>(width), kBar);
      continue;
    }
    FillPixels(row, static_cast<size_t>(r.x), kBar);
    FillPixels(row + r.x + r.width, static_cast<size_t>(width - r.x - r.width), kBar);
  }
}

}  // namespace

void FrameScaler::Prepare(int frameWidth, int frameHeight, const ScreenRect& where, bool smooth) {
  if (prepared_ && frameWidth == frameWidth_ && frameHeight == frameHeight_ && smooth == smooth_ &&
      where.width == where_.width && where.height == where_.height) {
    where_ = where;
    return;
  }
  frameWidth_ = frameWidth;
  frameHeight_ = frameHeight;
  where_ = where;
  smooth_ = smooth;
  prepared_ = true;
  columns_.assign(static_cast<size_t>(where.width), 0);
  weights_.assign(static_cast<size_t>(where.width), 0);
  rows_.assign(static_cast<size_t>(where.height), 0);
  rowWeights_.assign(static_cast<size_t>(where.height), 0);
  for (int x = 0; x < where.width; ++x) {
    if (smooth) {
      LinearTap(Sample256(x, where.width, frameWidth), frameWidth, columns_[size_t(x)],
                weights_[size_t(x)]);
    } else {
      columns_[size_t(x)] =
          static_cast<int32_t>((int64_t{2 * x + 1} * frameWidth) / (2 * int64_t{where.width}));
    }
  }
  channelWeights_.assign(static_cast<size_t>(where.width) * 4 + 16, 0);
  for (int x = 0; x < where.width; ++x)
    for (int c = 0; c < 4; ++c) channelWeights_[size_t(x) * 4 + size_t(c)] = weights_[size_t(x)];
  for (int y = 0; y < where.height; ++y) {
    if (smooth) {
      LinearTap(Sample256(y, where.height, frameHeight), frameHeight, rows_[size_t(y)],
                rowWeights_[size_t(y)]);
    } else {
      rows_[size_t(y)] =
          static_cast<int32_t>((int64_t{2 * y + 1} * frameHeight) / (2 * int64_t{where.height}));
    }
  }
  for (auto& wide : wide_) wide.assign(static_cast<size_t>(where.width), kBar);
  wideRow_[0] = wideRow_[1] = -1;
}

void FrameScaler::Scale(const uint32_t* frame, int frameWidth, int frameHeight, uint32_t* out,
                        int outPitch, int outWidth, int outHeight, const ScreenRect& where,
                        bool smooth) {
  if (!frame || !out || frameWidth <= 0 || frameHeight <= 0 || where.width <= 0 ||
      where.height <= 0 || where.x < 0 || where.y < 0 || where.x + where.width > outWidth ||
      where.y + where.height > outHeight) {
    return;
  }
  if (out != barsDrawnOn_ || outWidth != barsWidth_ || outHeight != barsHeight_ ||
      outPitch != barsPitch_ || where.x != barsAround_.x || where.y != barsAround_.y ||
      where.width != barsAround_.width || where.height != barsAround_.height) {
    FillBars(out, outPitch, outWidth, outHeight, where);
    barsDrawnOn_ = out;
    barsWidth_ = outWidth;
    barsHeight_ = outHeight;
    barsPitch_ = outPitch;
    barsAround_ = where;
  }
  // At the frame's own size there is nothing to blend or pick.
  if (where.width == frameWidth && where.height == frameHeight) {
    for (int y = 0; y < frameHeight; ++y) {
      CopyPixels(out + static_cast<ptrdiff_t>(where.y + y) * outPitch + where.x,
                 frame + static_cast<ptrdiff_t>(y) * frameWidth, static_cast<size_t>(frameWidth));
    }
    return;
  }
  Prepare(frameWidth, frameHeight, where, smooth);
  if (smooth) {
    // The frame changes every frame: last frame's widened rows mean nothing.
    wideRow_[0] = wideRow_[1] = -1;
    ScaleLinear(frame, frameWidth, out, outPitch, where);
  } else {
    ScaleNearest(frame, frameWidth, out, outPitch, where);
  }
}

void FrameScaler::ScaleNearest(const uint32_t* frame, int frameWidth, uint32_t* out, int outPitch,
                               const ScreenRect& where) {
  const uint32_t* previous = nullptr;
  int previousRow = -1;
  for (int y = 0; y < where.height; ++y) {
    uint32_t* line = out + static_cast<ptrdiff_t>(where.y + y) * outPitch + where.x;
    const int row = rows_[size_t(y)];
    // A frame row shown on several screen rows is picked apart only once.
    if (row == previousRow) {
      CopyPixels(line, previous, static_cast<size_t>(where.width));
      continue;
    }
    const uint32_t* source = frame + static_cast<ptrdiff_t>(row) * frameWidth;
    for (int x = 0; x < where.width; ++x) line[x] = source[columns_[size_t(x)]];
    previous = line;
    previousRow = row;
  }
}

void FrameScaler::Widen(const uint32_t* row, uint32_t* into) const {
  int x = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i full = _mm_set1_epi16(256);
  const __m128i bar = _mm_set1_epi32(static_cast<int>(kBar));
  const int32_t* columns = columns_.data();
  for (; x + 4 <= where_.width; x += 4) {
    // The right-hand pixel of a pair with weight 0 is never seen; at the
    // frame's right edge it is the edge pixel itself.
    const int32_t c0 = columns[x], c1 = columns[x + 1], c2 = columns[x + 2], c3 = columns[x + 3];
    const int last = frameWidth_ - 1;
    const __m128i a = _mm_set_epi32(int(row[c3]), int(row[c2]), int(row[c1]), int(row[c0]));
    const __m128i b =
        _mm_set_epi32(int(row[std::min(c3 + 1, last)]), int(row[std::min(c2 + 1, last)]),
                      int(row[std::min(c1 + 1, last)]), int(row[std::min(c0 + 1, last)]));
    const __m128i wLow =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(&channelWeights_[size_t(x) * 4]));
    const __m128i wHigh =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(&channelWeights_[size_t(x) * 4 + 8]));
    const __m128i low = _mm_srli_epi16(
        _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), _mm_sub_epi16(full, wLow)),
                      _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), wLow)),
        8);
    const __m128i high = _mm_srli_epi16(
        _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), _mm_sub_epi16(full, wHigh)),
                      _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), wHigh)),
        8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(into + x),
                     _mm_or_si128(_mm_packus_epi16(low, high), bar));
  }
#endif
  for (; x < where_.width; ++x) {
    const int32_t c = columns_[size_t(x)];
    const uint32_t w = weights_[size_t(x)];
    into[x] = w == 0 ? row[c] : Mix(row[c], row[c + 1], w);
  }
}

void FrameScaler::ScaleLinear(const uint32_t* frame, int frameWidth, uint32_t* out, int outPitch,
                              const ScreenRect& where) {
  for (int y = 0; y < where.height; ++y) {
    const int upper = rows_[size_t(y)];
    const uint32_t weight = rowWeights_[size_t(y)];
    const int lower = weight == 0 ? upper : upper + 1;
    // Each frame row is widened once and kept while screen rows need it.
    const uint32_t* rows[2] = {nullptr, nullptr};
    const int wanted[2] = {upper, lower};
    for (int k = 0; k < 2; ++k) {
      int slot = wideRow_[0] == wanted[k] ? 0 : wideRow_[1] == wanted[k] ? 1 : -1;
      if (slot < 0) {
        // Replace the slot not holding the other row this screen row needs.
        slot = (k == 1 && wideRow_[0] == upper) ? 1 : (wideRow_[0] == lower ? 1 : 0);
        Widen(frame + static_cast<ptrdiff_t>(wanted[k]) * frameWidth, wide_[slot].data());
        wideRow_[slot] = wanted[k];
      }
      rows[k] = wide_[slot].data();
    }
    uint32_t* line = out + static_cast<ptrdiff_t>(where.y + y) * outPitch + where.x;
    if (weight == 0) {
      CopyPixels(line, rows[0], static_cast<size_t>(where.width));
    } else {
      MixRows(rows[0], rows[1], weight, line, where.width);
    }
  }
}
