#pragma once
#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

// Straight (not premultiplied) 8-bit RGBA pixels, rows top to bottom.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;

  Image() = default;
  Image(int w, int h) : width(w), height(h), rgba(static_cast<size_t>(w) * h * 4, 0) {}
  uint8_t* At(int x, int y) { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
  const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

// A Cairo drawing surface (ARGB32, anti-aliased) that hands its pixels back
// as an Image.
class Canvas {
 public:
  Canvas(int width, int height);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  cairo_t* Cr() { return cr_; }
  cairo_surface_t* Surface() { return surface_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Un-premultiplies Cairo's pixels.
  Image ToImage();
  // Draws an Image onto the canvas at (x, y).
  void Paint(const Image& image, double x, double y, double alpha = 1.0);

 private:
  int width_, height_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

// A rectangle with rounded corners as the current path (the radius shrinks
// to fit a small rectangle).
void RoundedRectPath(cairo_t* cr, double x, double y, double w, double h, double radius);

// Text in DejaVu Sans through Cairo's font machinery.
void SelectFont(cairo_t* cr, double size, bool bold = false);

// Deterministic pseudo-random numbers for art and sound: the same seed gives
// the same bytes on every build.
class ArtRandom {
 public:
  explicit ArtRandom(uint64_t seed) : state_(seed * 2862933555777941757ULL + 3037000493ULL) {}
  uint32_t Next32() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<uint32_t>(state_ >> 16);
  }
  double Uniform() { return Next32() / 4294967296.0; }  // [0, 1)
  double Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

 private:
  uint64_t state_;
};
