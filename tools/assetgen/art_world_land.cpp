// The desert at the bottom of the world: land.dds (the far layer: mesas and
// the ground), land2.dds (the near layer drawn over the lander: clear above
// the ground line but for a few low rocks, the ground below it) and
// landing.dds (a landing pad's plate).
//
// Both strips are 1025 x 64 with their top edge at world y 8102, so the
// ground line, world y 8139, is row 37. The lander's feet stand on row 36
// and the pads' plates start there too (world 8138), at x 80, 290 and 495,
// 64 px wide: no rock of the near layer may stand on them.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "art_world_common.h"
#include "asset_registry.h"
#include "file_writers.h"

namespace artworld {
namespace {

constexpr int kWidth = 1025;
constexpr int kHeight = 64;
constexpr int kGroundRow = 37;

uint8_t Byte(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

void Put(Image& image, int x, int y, Colour c, double alpha) {
  uint8_t* p = image.At(x, y);
  p[0] = Byte(c.r);
  p[1] = Byte(c.g);
  p[2] = Byte(c.b);
  p[3] = Byte(alpha);
}

// The ground from the ground line down: a sunlit lip of pale sand, ochre
// drifts, then rust-red bedrock in faint layers.
void PaintGround(Image& image) {
  ValueNoise grain(11), strata(12);
  for (int y = kGroundRow; y < kHeight; ++y) {
    const double depth = (y - kGroundRow) / static_cast<double>(kHeight - kGroundRow);
    for (int x = 0; x < kWidth; ++x) {
      const double n = grain.Fractal(x / 5.0, y / 2.5, 3);
      const double layer = strata.Fractal(x / 60.0, y / 1.7, 2);
      Colour c = Mix(ink::kSand, ink::kOchre, std::min(1.0, depth * 3.0));
      c = Mix(c, ink::kRust, std::clamp((depth - 0.25) * 1.6, 0.0, 1.0));
      c = Mix(c, ink::kDeepRust, std::clamp((depth - 0.7) * 1.5, 0.0, 0.8));
      double light = 0.88 + 0.24 * n + 0.10 * (layer - 0.5);
      if (y == kGroundRow) light = 1.16;  // the lit edge of the surface
      if (y == kGroundRow + 1) light *= 1.06;
      c = Colour{c.r * light, c.g * light, c.b * light};
      Put(image, x, y, c, 1.0);
    }
  }
  // Pebbles half buried in the sand: a dark dot with a lit top.
  ArtRandom rnd(31);
  for (int i = 0; i < 260; ++i) {
    const int x = static_cast<int>(rnd.Uniform() * (kWidth - 2));
    const int y = kGroundRow + 3 + static_cast<int>(rnd.Uniform() * (kHeight - kGroundRow - 4));
    const double darkness = rnd.Range(0.55, 0.8);
    for (int k = 0; k < 2; ++k) {
      uint8_t* p = image.At(x + k, y);
      for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<uint8_t>(p[ch] * darkness);
      uint8_t* top = image.At(x + k, y - 1);
      for (int ch = 0; ch < 3; ++ch)
        top[ch] = static_cast<uint8_t>(std::min(255.0, top[ch] * 1.12));
    }
  }
}

// One mesa: flat top at `height` above the ground line, steep cliffs, and a
// gentler slope of fallen rubble round its foot.
struct Mesa {
  double left, right;  // the flat top's ends
  double height;       // above the ground line
  double slope;        // px outward per px down, for the cliffs
};

double CliffTopAt(const Mesa& m, double x) {
  const double spread = m.slope * m.height;
  if (x < m.left - spread || x > m.right + spread) return 0;
  if (x < m.left) return m.height * (1 - (m.left - x) / spread);
  if (x > m.right) return m.height * (1 - (x - m.right) / spread);
  return m.height;
}

double TalusTopAt(const Mesa& m, double x) {
  const double h = m.height * 0.42;
  const double reach = m.slope * m.height * 0.6 + h * 2.6;
  const double out = x < m.left ? m.left - x : (x > m.right ? x - m.right : 0);
  return std::max(0.0, h * (1 - out / reach));
}

// The far layer: hazy mesas and buttes of layered rust rock behind a low line
// of dunes, lit from the left.
Image FarLayer() {
  Image image(kWidth, kHeight);
  const std::vector<Mesa> mesas = {
      {-30, 38, 23, 0.45}, {150, 232, 30, 0.35}, {264, 276, 19, 0.5},
      {384, 466, 21, 0.4}, {566, 596, 31, 0.3},  {622, 652, 24, 0.45},
      {764, 846, 27, 0.4}, {934, 998, 19, 0.5},  {1012, 1060, 25, 0.4}};
  ValueNoise cliff(41), dune(42), rubble(43);
  const Colour haze = ink::kHorizonHaze;
  const Colour lit = Mix(FromBytes(214, 128, 80), haze, 0.22);
  const Colour shadow = Mix(FromBytes(128, 62, 58), haze, 0.2);
  const Colour capLight = Mix(FromBytes(246, 186, 124), haze, 0.15);
  const Colour scree = Mix(FromBytes(196, 120, 80), haze, 0.3);
  for (int x = 0; x < kWidth; ++x) {
    const double cx = x + 0.5;
    // The tallest cliff at this column, how its face is turned, and the
    // rubble slopes round the feet.
    double cliffTop = 0, talusTop = 0, faceLight = 0.5;
    for (const Mesa& m : mesas) {
      const double h = CliffTopAt(m, cx);
      if (h > cliffTop) {
        cliffTop = h;
        faceLight = cx < m.left ? 1.0 : (cx > m.right ? 0.0 : 0.6);
      }
      talusTop = std::max(talusTop, TalusTopAt(m, cx));
    }
    const double top = std::max(cliffTop, talusTop);
    // Low dunes in front, always a few px high.
    const double duneTop = 2.5 + 4.0 * dune.Fractal(cx / 45.0, 0.5, 3);
    for (int y = 0; y < kGroundRow; ++y) {
      const double above = kGroundRow - (y + 0.5);  // height of this pixel's middle
      // Dunes first: they hide the mesas' feet.
      if (above < duneTop + 0.5) {
        const double cover = std::clamp(duneTop - above + 0.5, 0.0, 1.0);
        const double n = dune.Fractal(cx / 4.0, y / 2.0, 2);
        Colour c = Mix(Mix(ink::kSand, haze, 0.22), ink::kOchre,
                       std::clamp(1 - above / duneTop, 0.0, 1.0) * 0.55);
        const double l = 0.95 + 0.1 * n + (duneTop - above < 1.2 ? 0.07 : 0.0);
        c = Colour{c.r * l, c.g * l, c.b * l};
        if (cover >= 1 || top < above) {
          Put(image, x, y, c, cover);
          continue;
        }
        // The dune's soft rim over the rock behind it: handled below by
        // painting the rock, then the dune's share over it.
      }
      if (above > top + 0.5) continue;
      const double rockCover = std::clamp(top - above + 0.5, 0.0, 1.0);
      Colour c;
      if (above <= cliffTop + 0.5 && cliffTop >= talusTop - 0.5) {
        // Cliff: horizontal strata with a wobble, and vertical gullies.
        const double band = std::sin((above + 1.5 * cliff.At(cx / 14.0, 1)) * 1.4);
        const double gully = cliff.Fractal(cx / 2.2, y / 10.0, 2);
        c = Mix(shadow, lit, faceLight);
        c = Mix(c, band > 0.3 ? Mix(c, capLight, 0.35) : Mix(c, shadow, 0.45),
                std::abs(band) * 0.5);
        const double l = 0.88 + 0.24 * gully;
        c = Colour{c.r * l, c.g * l, c.b * l};
        if (cliffTop - above < 1.4 && faceLight > 0.3) c = capLight;  // the sunlit rim
      } else {
        // Rubble: lighter, grainier, a shade more ochre.
        const double n = rubble.Fractal(cx / 2.0, y / 1.5, 3);
        c = Mix(scree, shadow, 0.4 - 0.4 * faceLight + (0.5 - n) * 0.5);
      }
      // Lower down, the rock sinks into the haze over the plain.
      c = Mix(c, Mix(haze, ink::kSand, 0.4), std::clamp((9 - above) / 16.0, 0.0, 0.35));
      Put(image, x, y, c, rockCover);
      if (above < duneTop + 0.5) {
        // Lay the dune's rim over the rock.
        const double cover = std::clamp(duneTop - above + 0.5, 0.0, 1.0);
        Colour d = Mix(Mix(ink::kSand, haze, 0.22), ink::kOchre, 0.1);
        uint8_t* p = image.At(x, y);
        p[0] = Byte(p[0] / 255.0 * (1 - cover) + d.r * cover);
        p[1] = Byte(p[1] / 255.0 * (1 - cover) + d.g * cover);
        p[2] = Byte(p[2] / 255.0 * (1 - cover) + d.b * cover);
        p[3] = Byte(std::max(p[3] / 255.0, cover));
      }
    }
  }
  PaintGround(image);
  return image;
}

// Low rocks of the near layer: x of the middle, width and height in px.
struct Rock {
  double x, width, height;
};

bool OverPad(double left, double right) {
  const double pads[] = {80, 290, 495};
  for (double pad : pads) {
    if (right > pad - 6 && left < pad + 64 + 6) return true;
  }
  return false;
}

Image NearLayer() {
  Image ground(kWidth, kHeight);
  PaintGround(ground);
  Canvas canvas(kWidth, kHeight);
  canvas.Paint(ground, 0, 0);
  cairo_t* cr = canvas.Cr();
  const Rock rocks[] = {{22, 13, 5},  {41, 6, 3},   {196, 16, 6}, {219, 7, 3},
                        {400, 11, 4}, {452, 17, 6}, {612, 12, 5}, {700, 8, 3},
                        {758, 19, 7}, {781, 7, 3},  {893, 14, 5}, {985, 10, 4}};
  for (const Rock& r : rocks) {
    const double left = r.x - r.width / 2, right = r.x + r.width / 2;
    if (OverPad(left, right)) continue;  // keep the pads clear
    const double base = kGroundRow + 0.8;
    cairo_move_to(cr, left, base);
    cairo_curve_to(cr, left + r.width * 0.05, base - r.height * 0.8, left + r.width * 0.3,
                   base - r.height, r.x, base - r.height);
    cairo_curve_to(cr, right - r.width * 0.2, base - r.height, right, base - r.height * 0.55, right,
                   base);
    cairo_close_path(cr);
    FillAcross(cr, left, right, FromBytes(214, 150, 100), FromBytes(160, 86, 56),
               FromBytes(86, 40, 30), true);
    SetColour(cr, ink::kDeepRust, 0.6);
    cairo_set_line_width(cr, 0.7);
    cairo_stroke(cr);
    // A crack across the face.
    cairo_move_to(cr, r.x - r.width * 0.1, base - r.height * 0.8);
    cairo_line_to(cr, r.x + r.width * 0.05, base - r.height * 0.4);
    cairo_line_to(cr, r.x + r.width * 0.2, base - r.height * 0.3);
    SetColour(cr, ink::kDeepRust, 0.45);
    cairo_set_line_width(cr, 0.6);
    cairo_stroke(cr);
  }
  return canvas.ToImage();
}

// 64 x 8: a metal landing plate whose deck is row 0, with five lamps along
// its face. Neutral greys: the game tints it green once visited.
Image PadPicture() {
  Canvas canvas(64, 8);
  cairo_t* cr = canvas.Cr();
  // The plate, a little narrower at its foot.
  cairo_move_to(cr, 0, 0);
  cairo_line_to(cr, 64, 0);
  cairo_line_to(cr, 62, 8);
  cairo_line_to(cr, 2, 8);
  cairo_close_path(cr);
  FillVertical(cr, 0, FromBytes(200, 200, 204), 8, FromBytes(86, 86, 92), false);
  // The deck's bright top edge.
  cairo_rectangle(cr, 0, 0, 64, 1.4);
  SetColour(cr, FromBytes(250, 250, 252));
  cairo_fill(cr);
  cairo_rectangle(cr, 1, 1.4, 62, 0.8);
  SetColour(cr, FromBytes(70, 70, 76), 0.9);
  cairo_fill(cr);
  // Lamps with a small halo, and dark bolts between them.
  for (int i = 0; i < 5; ++i) {
    const double x = 6.5 + i * 12.75;
    cairo_pattern_t* halo = cairo_pattern_create_radial(x, 4.5, 0, x, 4.5, 3.6);
    cairo_pattern_add_color_stop_rgba(halo, 0, 1, 1, 1, 1);
    cairo_pattern_add_color_stop_rgba(halo, 0.45, 1, 1, 1, 0.9);
    cairo_pattern_add_color_stop_rgba(halo, 1, 1, 1, 1, 0);
    cairo_set_source(cr, halo);
    cairo_arc(cr, x, 4.5, 3.6, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(halo);
    if (i < 4) {
      cairo_rectangle(cr, x + 5.6, 4, 1.6, 1.6);
      SetColour(cr, FromBytes(50, 50, 56));
      cairo_fill(cr);
    }
  }
  return canvas.ToImage();
}

// Wide and soft-edged: DXT5. The pad is tiny and crisp: exact.
void RequireSolidGround(const Image& strip, const std::string& name) {
  Require(MinAlpha(strip, 0, kGroundRow, kWidth, kHeight - kGroundRow) == 255, name,
          "the ground from row 37 down must be opaque");
}

const RegisterAsset kLand("land.dds", [](const std::string& path) {
  Image far = FarLayer();
  RequireSolidGround(far, "land.dds");
  WriteDds(path, far, DdsFormat::kDxt5);
});
const RegisterAsset kLand2("land2.dds", [](const std::string& path) {
  Image near = NearLayer();
  RequireSolidGround(near, "land2.dds");
  // Drawn over the lander: nothing may stand on the pads, and only low
  // rocks elsewhere.
  for (int pad : {80, 290, 495})
    Require(MaxAlpha(near, pad, 0, 64, kGroundRow) == 0, "land2.dds",
            "no rock may stand over a landing pad");
  Require(MaxAlpha(near, 0, 0, kWidth, kGroundRow - 9) == 0, "land2.dds",
          "rocks must stay low (under 9 px)");
  WriteDds(path, near, DdsFormat::kDxt5);
});
const RegisterAsset kLanding("landing.dds", [](const std::string& path) {
  WriteDds(path, PadPicture(), DdsFormat::kArgb8888);
});

}  // namespace
}  // namespace artworld
