#include "art_world_common.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

#include <squish.h>

namespace artworld {

Colour FromBytes(int r, int g, int b) { return Colour{r / 255.0, g / 255.0, b / 255.0}; }

void SetColour(cairo_t* cr, Colour c, double alpha) {
  cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

void AddStop(cairo_pattern_t* p, double offset, Colour c, double alpha) {
  cairo_pattern_add_color_stop_rgba(p, offset, c.r, c.g, c.b, alpha);
}

Colour Mix(Colour a, Colour b, double t) {
  return Colour{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Fills the current path with the pattern, then lets the pattern go.
void FillWith(cairo_t* cr, cairo_pattern_t* p, bool preserve) {
  cairo_set_source(cr, p);
  if (preserve)
    cairo_fill_preserve(cr);
  else
    cairo_fill(cr);
  cairo_pattern_destroy(p);
}

void FillVertical(cairo_t* cr, double y0, Colour top, double y1, Colour bottom, bool preserve) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  AddStop(p, 0, top);
  AddStop(p, 1, bottom);
  FillWith(cr, p, preserve);
}

void FillAcross(cairo_t* cr, double x0, double x1, Colour left, Colour middle, Colour right,
                bool preserve) {
  cairo_pattern_t* p = cairo_pattern_create_linear(x0, 0, x1, 0);
  AddStop(p, 0, left);
  AddStop(p, 0.45, middle);
  AddStop(p, 1, right);
  FillWith(cr, p, preserve);
}

void Dither(Image& image, uint64_t seed, double amount) {
  ArtRandom rnd(seed);
  for (size_t i = 0; i < image.rgba.size(); i += 4) {
    if (image.rgba[i + 3] == 0) continue;
    for (int c = 0; c < 3; ++c) {
      const double v = image.rgba[i + c] + (rnd.Uniform() * 2 - 1) * amount;
      image.rgba[i + c] = static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
    }
  }
}

void WriteDxt5Quick(const std::string& path, const Image& image) {
  const int flags = squish::kDxt5 | squish::kColourRangeFit | squish::kWeightColourByAlpha;
  const size_t blocks = static_cast<size_t>((image.width + 3) / 4) * ((image.height + 3) / 4);
  std::vector<uint8_t> bytes(128 + blocks * 16, 0);
  auto put32 = [&bytes](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  bytes[0] = 'D';
  bytes[1] = 'D';
  bytes[2] = 'S';
  bytes[3] = ' ';
  put32(4, 124);
  put32(8, 0x1007 | 0x80000);  // CAPS | HEIGHT | WIDTH | PIXELFORMAT | LINEARSIZE
  put32(12, static_cast<uint32_t>(image.height));
  put32(16, static_cast<uint32_t>(image.width));
  put32(20, static_cast<uint32_t>(blocks * 16));
  put32(76, 32);
  put32(80, 0x4);  // FOURCC
  bytes[84] = 'D';
  bytes[85] = 'X';
  bytes[86] = 'T';
  bytes[87] = '5';
  put32(108, 0x1000);  // TEXTURE
  squish::CompressImage(image.rgba.data(), image.width, image.height, bytes.data() + 128, flags);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size())
    throw std::runtime_error(path + ": cannot write");
}

void Require(bool ok, const std::string& picture, const std::string& what) {
  if (!ok) throw std::runtime_error(picture + " breaks a drawing rule: " + what);
}

int MaxAlpha(const Image& image, int x, int y, int w, int h) {
  int best = 0;
  for (int yy = std::max(0, y); yy < std::min(image.height, y + h); ++yy)
    for (int xx = std::max(0, x); xx < std::min(image.width, x + w); ++xx)
      best = std::max<int>(best, image.At(xx, yy)[3]);
  return best;
}

int MinAlpha(const Image& image, int x, int y, int w, int h) {
  int least = 255;
  for (int yy = std::max(0, y); yy < std::min(image.height, y + h); ++yy)
    for (int xx = std::max(0, x); xx < std::min(image.width, x + w); ++xx)
      least = std::min<int>(least, image.At(xx, yy)[3]);
  return least;
}

ValueNoise::ValueNoise(uint64_t seed)
    : seed_(seed * 0x9E3779B97F4A7C15ULL + 0x632BE59BD9B4E019ULL) {}

double ValueNoise::Lattice(int x, int y) const {
  // A small integer hash: the same lattice on every machine and compiler.
  uint64_t h = seed_ ^ (static_cast<uint64_t>(static_cast<uint32_t>(x)) * 0x85EBCA77ULL) ^
               (static_cast<uint64_t>(static_cast<uint32_t>(y)) * 0xC2B2AE3DULL << 17);
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDULL;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ULL;
  h ^= h >> 33;
  return static_cast<double>(h >> 11) / 9007199254740992.0;
}

double ValueNoise::At(double x, double y) const {
  const double fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  double tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  const double a = Lattice(ix, iy), b = Lattice(ix + 1, iy);
  const double c = Lattice(ix, iy + 1), d = Lattice(ix + 1, iy + 1);
  const double top = a + (b - a) * tx;
  const double bottom = c + (d - c) * tx;
  return top + (bottom - top) * ty;
}

double ValueNoise::Fractal(double x, double y, int octaves) const {
  double sum = 0, weight = 1, total = 0, scale = 1;
  for (int i = 0; i < octaves; ++i) {
    sum += At(x * scale + i * 17.31, y * scale - i * 9.77) * weight;
    total += weight;
    weight *= 0.5;
    scale *= 2;
  }
  return sum / total;
}

}  // namespace artworld
