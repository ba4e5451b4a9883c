#pragma once
#include <cstdint>
#include <vector>

#include "components/media/letterbox.h"

// Scales the finished frame into a window's own pixels where no graphics
// processor does it: nearest (sharp) or linear (smooth), with black bars
// around it. The frame's 0xFFRRGGBB pixels are written as they are, so the
// target may be ARGB8888 or XRGB8888. Tables for the current sizes are kept
// between frames.
class FrameScaler {
 public:
  void Scale(const uint32_t* frame, int frameWidth, int frameHeight, uint32_t* out, int outPitch,
             int outWidth, int outHeight, const ScreenRect& where, bool smooth);

 private:
  void Prepare(int frameWidth, int frameHeight, const ScreenRect& where, bool smooth);
  void ScaleNearest(const uint32_t* frame, int frameWidth, uint32_t* out, int outPitch,
                    const ScreenRect& where);
  void ScaleLinear(const uint32_t* frame, int frameWidth, uint32_t* out, int outPitch,
                   const ScreenRect& where);
  // One row of the frame stretched across the picture's width.
  void Widen(const uint32_t* row, uint32_t* into) const;

  int frameWidth_ = 0, frameHeight_ = 0;
  ScreenRect where_;
  bool smooth_ = false;
  bool prepared_ = false;
  // Per picture column: the frame column (nearest), or the left one of the
  // two blended and the right one's weight in 256ths (linear).
  std::vector<int32_t> columns_;
  std::vector<uint16_t> weights_;
  // The same weights four times over, one per channel, for the wide loop.
  std::vector<uint16_t> channelWeights_;
  // Per picture row, the same along the other axis.
  std::vector<int32_t> rows_;
  std::vector<uint16_t> rowWeights_;
  // Two frame rows already widened (linear), and which rows they are.
  std::vector<uint32_t> wide_[2];
  int wideRow_[2] = {-1, -1};
  // The bars are drawn again only when the window or the picture moved.
  const uint32_t* barsDrawnOn_ = nullptr;
  int barsWidth_ = 0, barsHeight_ = 0, barsPitch_ = 0;
  ScreenRect barsAround_;
};
