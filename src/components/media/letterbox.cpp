#include "components/media/letterbox.h"

#include <algorithm>
#include <cmath>

ScreenRect Letterbox(int outputWidth, int outputHeight, int frameWidth, int frameHeight,
                     bool wholeNumbers) {
  ScreenRect r;
  if (outputWidth <= 0 || outputHeight <= 0 || frameWidth <= 0 || frameHeight <= 0) return r;
  // Compared as cross products, so a window of exactly the frame's shape
  // fills edge to edge without a stray bar from rounding.
  const bool widthLimits = static_cast<long long>(outputWidth) * frameHeight <=
                           static_cast<long long>(outputHeight) * frameWidth;
  if (wholeNumbers) {
    const int scale = std::min(outputWidth / frameWidth, outputHeight / frameHeight);
    if (scale >= 1) {
      r.width = frameWidth * scale;
      r.height = frameHeight * scale;
    }
  }
  if (r.width == 0) {
    if (widthLimits) {
      r.width = outputWidth;
      r.height = static_cast<int>(std::lround(double(outputWidth) * frameHeight / frameWidth));
    } else {
      r.height = outputHeight;
      r.width = static_cast<int>(std::lround(double(outputHeight) * frameWidth / frameHeight));
    }
    r.width = std::clamp(r.width, 1, outputWidth);
    r.height = std::clamp(r.height, 1, outputHeight);
  }
  r.x = (outputWidth - r.width) / 2;
  r.y = (outputHeight - r.height) / 2;
  return r;
}
