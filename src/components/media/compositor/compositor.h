#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "components/media/compositor/blend.h"
#include "components/media/compositor/draw_map.h"
#include "components/media/compositor/picture.h"

// The one writer of a frame: a width x height framebuffer of opaque
// 0xFFRRGGBB pixels and the drawing operations of the media engine, with
// the pixel rules of docs/drawing.md. No platform code: the window, the
// headless runs, the screenshots and the browser all take these pixels.
class Compositor {
 public:
  Compositor(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Rows top to bottom, Width() pixels each.
  const uint32_t* Pixels() const { return pixels_.data(); }

  void BeginFrame(double red, double green, double blue);
  // The tint of every later DrawImage (not of text, which brings its own).
  void SetDrawColor(double red, double green, double blue);
  void DrawImage(const Picture& picture, const ImageDraw& draw);
  void DrawText(const Picture& font, std::string_view text, float x, float y, float scale,
                int32_t opacity, double red, double green, double blue);

 private:
  void Draw(const Picture& picture, const ImageDraw& draw, const Modulation& modulation);
  void DrawUnturned(const Picture& picture, const DrawMap& map, int rowFirst, int rowLast,
                    const Modulation& modulation);
  void DrawTurned(const Picture& picture, const DrawMap& map, int rowFirst, int rowLast,
                  const Modulation& modulation);

  int width_;
  int height_;
  std::vector<uint32_t> pixels_;
  Modulation tint_;
  // Scratch for one row of looked-up source pixels, and for the source
  // column of each frame column of an unturned stretch.
  std::vector<uint32_t> line_;
  std::vector<int32_t> columns_;
};
