#pragma once
#include <cstdint>

// One DrawImage call as the game makes it (the engine's argument order).
struct ImageDraw {
  float x = 0, y = 0;
  float sourceWidth = 0, sourceHeight = 0;
  float angle = 0;  // degrees, clockwise about the pivot
  int32_t opacity = 100;
  float sourceX = 0, sourceY = 0;
  float drawnWidth = 0, drawnHeight = 0;  // 0 = the source size
  float pivotX = -1, pivotY = -1;         // both -1 = the centre
};

// Where a draw lands (docs/drawing.md, "Which pixels a DrawImage covers"):
// frame pixel (i, j) looks up source point
//   U = uo + i*ui + j*uj,  V = vo + i*vi + j*vj   (in 1/65536 source pixels)
// and is covered when left <= U>>16 < right and top <= V>>16 < bottom.
struct DrawMap {
  bool drawn = false;                            // false: the draw covers nothing at all
  int left = 0, top = 0, right = 0, bottom = 0;  // source pixels, clipped to the picture
  int64_t uo = 0, ui = 0, uj = 0;
  int64_t vo = 0, vi = 0, vj = 0;
};

constexpr int kMapShift = 16;
constexpr int64_t kMapOne = int64_t{1} << kMapShift;

DrawMap MapDraw(const ImageDraw& draw, int pictureWidth, int pictureHeight);

// The drawing numbers as bytes: opacity percent to 0-255, a tint value to
// 0-255 (NaN and below 0 give 0).
uint8_t OpacityByte(int32_t percent);
uint8_t TintByte(double value);
