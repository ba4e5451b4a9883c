#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "components/media/compositor/draw_map.h"

// A picture as the page has it: all of it, keyed, straight 0xAARRGGBB.
struct ReferencePicture {
  ReferencePicture(int width, int height, std::vector<uint32_t> argb, int32_t colorKey);
  uint32_t At(int x, int y) const { return argb[size_t(y) * width + size_t(x)]; }
  int width, height;
  std::vector<uint32_t> argb;
};

// A slow frame written line by line from docs/drawing.md and sharing no code
// with the compositor: every pixel of the frame is worked out on its own for
// every draw, so no shortcut of the compositor has anything to hide behind.
class ReferenceFrame {
 public:
  static constexpr int kWidth = 640, kHeight = 480;

  const std::vector<uint32_t>& Pixels() const { return pixels_; }

  void BeginFrame(double red, double green, double blue);
  void SetDrawColor(double red, double green, double blue);
  void DrawImage(const ReferencePicture& picture, const ImageDraw& draw);
  void DrawText(const ReferencePicture& font, std::string_view text, float x, float y, float scale,
                int32_t opacity, double red, double green, double blue);

 private:
  void Draw(const ReferencePicture& picture, const ImageDraw& draw, const uint32_t tint[3]);

  std::vector<uint32_t> pixels_ = std::vector<uint32_t>(kWidth * kHeight, 0xFF000000u);
  uint32_t tint_[3] = {255, 255, 255};
};
