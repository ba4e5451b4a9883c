#pragma once
#include <cstdint>

// The blend of docs/drawing.md over one run of pixels: `count` straight
// 0xAARRGGBB source pixels onto as many opaque frame pixels.
struct Modulation {
  uint32_t red = 255, green = 255, blue = 255, alpha = 255;  // tint and opacity bytes
  bool Plain() const { return (red & green & blue & alpha) == 255; }
};

void BlendRun(const uint32_t* source, uint32_t* frame, int count, const Modulation& m);

// One pixel, the arithmetic of the page written out plainly; what BlendRun
// must equal everywhere.
uint32_t BlendPixel(uint32_t source, uint32_t frame, const Modulation& m);
