// The sky layers: back_sky.dds (the horizon seen near the ground, fading in
// from the clear colour at its top), stars.dds (stars on transparent, fixed
// to the screen high up) and cloud.dds (one soft cloud on transparent).
#include <algorithm>
#include <cmath>
#include <vector>

#include "art_world_common.h"
#include "asset_registry.h"
#include "file_writers.h"

namespace artworld {
namespace {

uint8_t Byte(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

double SmoothStep(double e0, double e1, double x) {
  const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// Back sky, 640 x 480. With the camera at its lowest the picture fills the
// screen and the landscape strip starts at row 430 (its ground at 467), so
// the horizon sits at row 440, where the far plain begins.
constexpr double kHorizon = 440;

Colour SkyAt(double x, double y) {
  // Clear lavender at the top, hazy pink lower down, warm at the horizon,
  // warmest towards the low sun on the left.
  Colour c = ink::kSkyAtGround;
  c = Mix(c, FromBytes(170, 158, 214), SmoothStep(150, 340, y));
  c = Mix(c, FromBytes(214, 184, 206), SmoothStep(300, 420, y));
  c = Mix(c, ink::kHorizonWarm, SmoothStep(395, kHorizon, y) * 0.8);
  const double sun = std::exp(-std::pow(std::hypot((x - 140) / 260, (y - kHorizon) / 120), 2));
  return Mix(c, FromBytes(255, 222, 180), sun * 0.45);
}

// Profile of the distant range: jagged, rising to the right.
double RangeTop(const ValueNoise& n, double x) {
  return 412 - 26 * n.Fractal(x / 90.0, 3.3, 4) - 10 * std::sin(x / 210.0 + 1.0);
}

// Nearer mesas in front of the range, flat-topped.
double MesaTop(const ValueNoise& n, double x) {
  const double v = n.Fractal(x / 70.0, 7.7, 2);
  const double step = SmoothStep(0.48, 0.56, v);  // flat tops with steep sides
  return kHorizon - 2 - step * (16 + 8 * n.At(x / 30.0, 2.0));
}

void PaintMoon(Image& image, double cx, double cy, double r, double strength) {
  ValueNoise maria(71);
  for (int y = static_cast<int>(cy - r - 2); y <= cy + r + 2; ++y) {
    for (int x = static_cast<int>(cx - r - 2); x <= cx + r + 2; ++x) {
      const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      const double cover = std::clamp(r - d + 0.5, 0.0, 1.0);
      if (cover <= 0) continue;
      // A gibbous moon lit from the low sun on the left: the terminator is
      // an ellipse across the disc, its dark side lost in the sky's haze.
      const double u = (x + 0.5 - cx) / r, v = (y + 0.5 - cy) / r;
      const double rim = std::sqrt(std::max(0.0, 1 - v * v));
      const double lit = SmoothStep(0.55 * rim + 0.12, 0.55 * rim - 0.12, u) * 0.85 + 0.15;
      const double sea = SmoothStep(0.5, 0.68, maria.Fractal(x / 7.0, y / 7.0, 3)) * 0.35;
      uint8_t* p = image.At(x, y);
      const double a = cover * strength * lit * (1 - sea);
      for (int i = 0; i < 3; ++i) {
        const double moon = i == 2 ? 1.0 : 0.96;
        p[i] = Byte((p[i] / 255.0) * (1 - a) + moon * a);
      }
    }
  }
}

Image BackSkyPicture() {
  Image image(640, 480);
  ValueNoise range(61), mesa(62), haze(63);
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      uint8_t* p = image.At(x, y);
      const Colour sky = SkyAt(x, y);
      p[0] = Byte(sky.r);
      p[1] = Byte(sky.g);
      p[2] = Byte(sky.b);
      // Transparent at the top so it melts into the clear colour.
      p[3] = Byte(SmoothStep(0, 170, y));
    }
  }
  PaintMoon(image, 468, 236, 34, 0.62);
  PaintMoon(image, 544, 176, 8, 0.5);
  // Far range, mesas and the plain, each hazier than the one in front.
  for (int x = 0; x < 640; ++x) {
    const double rangeTop = RangeTop(range, x + 0.5);
    const double mesaTop = MesaTop(mesa, x + 0.5);
    for (int y = 360; y < 480; ++y) {
      const double cy = y + 0.5;
      Colour c;
      double cover = 0;
      if (cy > kHorizon) {
        // The plain: hazy at the horizon, ochre nearer, with faint dune lines.
        const double t = SmoothStep(kHorizon, 480, cy);
        c = Mix(Mix(ink::kHorizonWarm, ink::kHorizonHaze, 0.3), ink::kOchre, t * 0.8);
        const double dunes = haze.Fractal(x / 50.0, cy / 2.0, 3);
        c = Mix(c, Mix(c, ink::kRust, 0.5), (dunes - 0.4) * 0.5 * t);
        cover = 1;
      } else if (cy > mesaTop - 0.5) {
        cover = std::clamp(cy - mesaTop + 0.5, 0.0, 1.0);
        const double lit =
            mesa.At((x + 2) / 70.0 * 4, 7.7) > mesa.At(x / 70.0 * 4, 7.7) ? 0.9 : 1.0;
        c = Mix(FromBytes(170, 118, 140), ink::kHorizonHaze, 0.35 + 0.25 * (cy - mesaTop) / 24);
        c = Colour{c.r * lit, c.g * lit, c.b * lit};
      } else if (cy > rangeTop - 0.5) {
        cover = std::clamp(cy - rangeTop + 0.5, 0.0, 1.0);
        // Sunlit slopes face left: compare with the profile a step to the left.
        const double slope = RangeTop(range, x - 1.5) - rangeTop;
        const Colour base = FromBytes(150, 134, 196);
        c = Mix(base, FromBytes(196, 170, 210), std::clamp(0.5 + slope * 0.35, 0.0, 1.0));
        c = Mix(c, ink::kHorizonHaze, SmoothStep(rangeTop, kHorizon, cy) * 0.55);
      } else {
        continue;
      }
      uint8_t* p = image.At(x, y);
      p[0] = Byte(p[0] / 255.0 * (1 - cover) + c.r * cover);
      p[1] = Byte(p[1] / 255.0 * (1 - cover) + c.g * cover);
      p[2] = Byte(p[2] / 255.0 * (1 - cover) + c.b * cover);
    }
  }
  return image;
}

// Stars, 640 x 480 on transparent: many faint points, a few bright ones with
// a glint, and the faint band of the galaxy across.
Image StarsPicture() {
  Canvas canvas(640, 480);
  cairo_t* cr = canvas.Cr();
  // The galaxy: a soft diagonal band of light dust.
  {
    Image band(640, 480);
    ValueNoise dust(81);
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) {
        const double across = (y - 60 - x * 0.42) / 90.0;
        const double d = std::exp(-across * across);
        const double n = dust.Fractal(x / 40.0, y / 40.0, 4);
        const double a = d * SmoothStep(0.35, 0.8, n) * 0.13;
        uint8_t* p = band.At(x, y);
        p[0] = 176;
        p[1] = 168;
        p[2] = 255;
        p[3] = Byte(a);
      }
    }
    canvas.Paint(band, 0, 0);
  }
  ArtRandom rnd(91);
  const Colour tints[] = {{1, 1, 1}, {0.78, 0.85, 1.0}, {1.0, 0.88, 0.72}, {1, 1, 1}};
  for (int i = 0; i < 700; ++i) {
    double x = rnd.Uniform() * 640, y = rnd.Uniform() * 480;
    // A third of the stars crowd into the galaxy's band.
    if (i % 3 == 0) y = 60 + x * 0.42 + (rnd.Uniform() - 0.5) * 120;
    if (y < 1 || y > 479) continue;
    const double size = rnd.Uniform();
    const Colour tint = tints[rnd.Next32() % 4];
    const double bright = 0.35 + 0.65 * rnd.Uniform();
    // Centred on pixel middles so the small ones stay sharp points.
    x = std::floor(x) + 0.5;
    y = std::floor(y) + 0.5;
    const double radius = size > 0.978 ? 1.5 : (size > 0.88 ? 1.0 : 0.6);
    SetColour(cr, tint, bright);
    cairo_arc(cr, x, y, radius, 0, 2 * M_PI);
    cairo_fill(cr);
    if (size > 0.978) {
      cairo_pattern_t* halo = cairo_pattern_create_radial(x, y, 0, x, y, 7);
      AddStop(halo, 0, tint, 0.45);
      AddStop(halo, 1, tint, 0);
      cairo_set_source(cr, halo);
      cairo_arc(cr, x, y, 7, 0, 2 * M_PI);
      cairo_fill(cr);
      cairo_pattern_destroy(halo);
      for (int k = 0; k < 2; ++k) {
        cairo_pattern_t* glint = k == 0 ? cairo_pattern_create_linear(x - 9, y, x + 9, y)
                                        : cairo_pattern_create_linear(x, y - 9, x, y + 9);
        AddStop(glint, 0, tint, 0);
        AddStop(glint, 0.5, tint, 0.8);
        AddStop(glint, 1, tint, 0);
        cairo_set_source(cr, glint);
        if (k == 0)
          cairo_rectangle(cr, x - 9, y - 0.5, 18, 1);
        else
          cairo_rectangle(cr, x - 0.5, y - 9, 1, 18);
        cairo_fill(cr);
        cairo_pattern_destroy(glint);
      }
    }
  }
  return canvas.ToImage();
}

// One soft cumulus, 512 x 128: puffy lit top, flatter shaded base, ragged
// soft rim that dies out well inside the picture. Built from many round
// billows that melt into one another, with the sample point warped by noise
// so the rim frays.
Image CloudPicture() {
  Image image(512, 128);
  struct Blob {
    double x, y, r;
  };
  std::vector<Blob> blobs;
  ArtRandom rnd(101);
  // The body: big billows along a gently humped line.
  for (int i = 0; i < 11; ++i) {
    const double t = i / 10.0;
    const double hump = std::sin(t * M_PI);
    const double r = 16 + 20 * hump * rnd.Range(0.8, 1.1);
    blobs.push_back(Blob{82 + t * 348 + rnd.Range(-10, 10), 86 - r * 0.6, r});
  }
  // Smaller turrets crowning the body, most near the middle.
  for (int i = 0; i < 16; ++i) {
    const double t = 0.12 + 0.76 * rnd.Uniform();
    const double hump = std::sin(t * M_PI);
    const double r = 7 + 12 * hump * rnd.Range(0.6, 1.0);
    blobs.push_back(
        Blob{82 + t * 348, 86 - 1.15 * (16 + 20 * hump) - rnd.Range(-4, 8) + r * 0.4, r});
  }
  ValueNoise noise(102), warp(103);
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 512; ++x) {
      const double wx = x + 0.5 + (warp.Fractal(x / 18.0, y / 18.0, 3) - 0.5) * 14;
      const double wy = y + 0.5 + (warp.Fractal(x / 18.0 + 40, y / 18.0, 3) - 0.5) * 10;
      double density = 0;
      for (const Blob& b : blobs) {
        const double d2 = (std::pow(wx - b.x, 2) + std::pow((wy - b.y) * 1.15, 2)) / (b.r * b.r);
        density += std::exp(-d2 * 1.6);
      }
      const double n = noise.Fractal(wx / 16.0, wy / 10.0, 4);
      // A flat base: density falls off below row 86.
      density *= 1 - SmoothStep(78, 96, wy);
      density *= 0.75 + 0.5 * n;
      // Nothing may reach the picture's edges.
      density *= SmoothStep(0, 24, x) * SmoothStep(0, 24, 511 - x) * SmoothStep(0, 10, y) *
                 SmoothStep(0, 14, 127 - y);
      const double alpha = SmoothStep(0.18, 0.75, density);
      if (alpha <= 0) continue;
      // Lit from above: white on top, lavender grey at the base, a warm
      // touch on the thin rims where the sun shines through.
      const double up = SmoothStep(92, 30, wy + (n - 0.5) * 20);
      Colour c = Mix(FromBytes(170, 164, 208), FromBytes(255, 252, 250), up);
      c = Mix(c, FromBytes(255, 238, 224), (1 - SmoothStep(0.18, 0.5, density)) * 0.4);
      uint8_t* p = image.At(x, y);
      p[0] = Byte(c.r);
      p[1] = Byte(c.g);
      p[2] = Byte(c.b);
      p[3] = Byte(alpha);
    }
  }
  return image;
}

// Smooth gradients and alpha everywhere: DXT5.
const RegisterAsset kBackSky("back_sky.dds", [](const std::string& path) {
  Image sky = BackSkyPicture();
  Require(MaxAlpha(sky, 0, 0, 640, 2) == 0, "back_sky.dds",
          "the top rows must be clear to melt into the clear colour");
  Require(MinAlpha(sky, 0, 200, 640, 280) == 255, "back_sky.dds", "the horizon must be opaque");
  // The sky's long gradients would band in 16-bit colour blocks.
  Dither(sky, 64, 2.5);
  WriteDxt5Quick(path, sky);
});
const RegisterAsset kStars("stars.dds", [](const std::string& path) {
  WriteDds(path, StarsPicture(), DdsFormat::kDxt5);
});
const RegisterAsset kCloud("cloud.dds", [](const std::string& path) {
  Image cloud = CloudPicture();
  // The game draws it anywhere across the screen: a cut edge would show.
  Require(MaxAlpha(cloud, 0, 0, 512, 1) == 0 && MaxAlpha(cloud, 0, 127, 512, 1) == 0 &&
              MaxAlpha(cloud, 0, 0, 1, 128) == 0 && MaxAlpha(cloud, 511, 0, 1, 128) == 0,
          "cloud.dds", "the cloud must fade out before the picture's edges");
  WriteDds(path, cloud, DdsFormat::kDxt5);
});

}  // namespace
}  // namespace artworld
