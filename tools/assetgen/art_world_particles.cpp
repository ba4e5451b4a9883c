// particles.png, 64 x 32: the left cell a soft glow (sparks, the heat trail
// of a fast fall), the right cell a puff of flame going to smoke at its edge
// (the thrusters' exhaust, the wreck's fire and, tinted grey, its smoke). The
// game draws them at half opacity at most, turned at random, squashed to
// half height for some kinds and tinted by most: they are round and soft,
// with nothing that would show the turning or a cell edge.
#include <algorithm>
#include <cmath>
#include <iterator>

#include "art_world_common.h"
#include "asset_registry.h"
#include "file_writers.h"

namespace artworld {
namespace {

uint8_t Byte(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

// A white-hot core cooling to orange at the rim. Kind 0 shows it untinted
// as the glow of re-entry; the other kinds tint it pale yellow.
void Glow(Image& image) {
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const double d = std::hypot(x + 0.5 - 16, y + 0.5 - 16) / 15.0;
      uint8_t* p = image.At(x, y);
      if (d >= 1) continue;
      const double core = std::exp(-d * d * 9.0);
      const double body = std::pow(1 - d, 1.6);
      p[0] = Byte(1.0);
      p[1] = Byte(0.55 + 0.45 * core);
      p[2] = Byte(0.22 + 0.78 * core);
      p[3] = Byte(std::min(1.0, body * 0.85 + core * 0.4));
    }
  }
}

// The colour of burning gas by how hot it is (1 at the heart of a puff, 0
// at its rim): white, pale yellow, orange, then a warm grey smoke. Kind 7
// (the main and side thrusters' exhaust, the wreck's burst) tints it pale
// yellow, which takes the blue out and leaves a white-yellow heart in an
// orange flame. The orange stays light because the smoke kinds draw this
// same cell tinted grey: a deeper one turns the wreck's smoke brown.
struct Heat {
  double at, r, g, b;
};
constexpr Heat kFlameRamp[] = {
    {0.00, 0.77, 0.71, 0.67},
    {0.45, 1.00, 0.74, 0.48},
    {0.80, 1.00, 0.94, 0.79},
    {1.00, 1.00, 1.00, 0.92},
};

void FlameColour(double heat, uint8_t* p) {
  heat = std::clamp(heat, 0.0, 1.0);
  size_t i = 1;
  while (i + 1 < std::size(kFlameRamp) && heat > kFlameRamp[i].at) ++i;
  const Heat& lo = kFlameRamp[i - 1];
  const Heat& hi = kFlameRamp[i];
  const double t = (heat - lo.at) / (hi.at - lo.at);
  p[0] = Byte(lo.r + (hi.r - lo.r) * t);
  p[1] = Byte(lo.g + (hi.g - lo.g) * t);
  p[2] = Byte(lo.b + (hi.b - lo.b) * t);
}

// A lumpy, round-ish puff of flame: noise breaks up its rim and the border
// between its hot heart and its smoky edge.
void Puff(Image& image) {
  ValueNoise noise(2024);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const double dx = x + 0.5 - 16, dy = y + 0.5 - 16;
      const double angle = std::atan2(dy, dx);
      // The rim wobbles with the angle, using noise on a circle so it closes.
      const double wobble = noise.At(std::cos(angle) * 2.2 + 5, std::sin(angle) * 2.2 + 5);
      const double radius = 11.0 + 3.5 * wobble;
      const double d = std::hypot(dx, dy) / radius;
      uint8_t* p = image.At(32 + x, y);
      if (d >= 1 || std::hypot(dx, dy) > 15.2) continue;
      const double lumps = noise.Fractal(x / 5.0, y / 5.0, 3);
      const double density = std::pow(1 - d, 1.3) * (0.65 + 0.55 * lumps);
      FlameColour(1.05 - 1.15 * d + 0.1 * (lumps - 0.5), p);
      p[3] = Byte(std::min(1.0, density));
    }
  }
}

Image ParticleSheet() {
  Image image(64, 32);
  Glow(image);
  Puff(image);
  return image;
}

const RegisterAsset kParticles("particles.png", [](const std::string& path) {
  Image sheet = ParticleSheet();
  // Turned at random: any paint on a cell's border would show as a square.
  for (int cell = 0; cell < 2; ++cell) {
    const int x0 = cell * 32;
    Require(MaxAlpha(sheet, x0, 0, 32, 1) == 0 && MaxAlpha(sheet, x0, 31, 32, 1) == 0 &&
                MaxAlpha(sheet, x0, 0, 1, 32) == 0 && MaxAlpha(sheet, x0 + 31, 0, 1, 32) == 0,
            "particles.png", "each sprite must fade out inside its cell");
  }
  WritePng(path, sheet);
});

}  // namespace
}  // namespace artworld
