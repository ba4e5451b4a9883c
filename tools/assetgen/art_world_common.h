#pragma once
#include <cairo.h>

#include <cstdint>
#include <string>

#include "canvas.h"

// Palette and small drawing helpers shared by the flight scene's pictures:
// the probe, its canopy, the desert strips, the sky layers and the HUD parts.
// Everything lives in its own namespace so it never collides with the menu
// screens' helpers in the same program.
namespace artworld {

struct Colour {
  double r, g, b;  // 0..1
};

// Straight 0..255 channels, as the composite pixels are stored.
Colour FromBytes(int r, int g, int b);

namespace ink {
// The clear colour the game reaches at the ground; the back sky must meet it.
const Colour kSkyAtGround{128 / 255.0, 126 / 255.0, 206 / 255.0};
const Colour kHorizonHaze{0.86, 0.74, 0.80};
const Colour kHorizonWarm{0.95, 0.78, 0.62};
const Colour kShellWhite{0.97, 0.97, 0.99};
const Colour kShellShadow{0.60, 0.61, 0.70};
const Colour kProbeOrange{0.98, 0.50, 0.12};
const Colour kOrangeShadow{0.70, 0.29, 0.07};
const Colour kHeatShield{0.62, 0.27, 0.12};
const Colour kHeatShieldDark{0.30, 0.12, 0.07};
const Colour kGlassDark{0.08, 0.10, 0.22};
const Colour kGlassLight{0.55, 0.70, 1.0};
const Colour kMetalLight{0.82, 0.83, 0.86};
const Colour kMetalDark{0.30, 0.31, 0.36};
const Colour kSolarBlue{0.13, 0.20, 0.48};
const Colour kSolarLine{0.40, 0.52, 0.86};
const Colour kOutline{0.12, 0.10, 0.20};
const Colour kOchre{0.84, 0.58, 0.28};
const Colour kSand{0.90, 0.68, 0.42};
const Colour kRust{0.55, 0.24, 0.13};
const Colour kDeepRust{0.30, 0.12, 0.09};
const Colour kCream{1.0, 0.96, 0.88};
}  // namespace ink

void SetColour(cairo_t* cr, Colour c, double alpha = 1.0);
void AddStop(cairo_pattern_t* p, double offset, Colour c, double alpha = 1.0);
Colour Mix(Colour a, Colour b, double t);
// Fills the current path with a vertical (top to bottom) two-colour gradient.
void FillVertical(cairo_t* cr, double y0, Colour top, double y1, Colour bottom, bool preserve);
// Fills the current path with a horizontal (left to right) three-colour gradient.
void FillAcross(cairo_t* cr, double x0, double x1, Colour left, Colour middle, Colour right,
                bool preserve);

// Adds a fixed, fine noise of +-`amount` levels to the colour channels where
// alpha > 0, so a smooth gradient survives 16-bit block compression without
// visible bands.
void Dither(Image& image, uint64_t seed, double amount);

// DXT5 like WriteDds, but with libsquish's range fit: for large, dithered,
// smooth pictures, where cluster fit costs ten times as much for no visible
// gain (every block holds 16 different colours).
void WriteDxt5Quick(const std::string& path, const Image& image);

// The generator stops with `what` when a picture breaks one of the rules the
// game's drawing relies on, so a careless edit of the art fails the build.
void Require(bool ok, const std::string& picture, const std::string& what);
// The highest alpha in a rectangle of the image (clipped to it).
int MaxAlpha(const Image& image, int x, int y, int w, int h);
int MinAlpha(const Image& image, int x, int y, int w, int h);

// Smooth, tileable-free value noise in 0..1 with a fixed lattice per seed, so
// textures are the same on every build.
class ValueNoise {
 public:
  explicit ValueNoise(uint64_t seed);
  double At(double x, double y) const;
  // Several octaves, each half the size and half the weight of the last.
  double Fractal(double x, double y, int octaves) const;

 private:
  double Lattice(int x, int y) const;
  uint64_t seed_;
};

}  // namespace artworld
