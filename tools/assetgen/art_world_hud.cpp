// The flight's status display: shade.dds (the dark panel behind the texts),
// lights.dds (five landing-readiness lamps), status.dds (the health bar's
// fill) and signal_line.dds (the band at the 100 m sending height).
// Everything the game tints is drawn in neutral greys.
#include <algorithm>
#include <cmath>

#include "art_world_common.h"
#include "asset_registry.h"
#include "file_writers.h"

namespace artworld {
namespace {

// 88 x 46. The game draws it at 40 % opacity only, so the darkest it can
// make the ground behind the orange texts is 40 % black: the body is pure
// black and fully opaque to get all of that, with nothing lighter (no rim, no
// highlight) for the eye to read instead of the text. The edge fades out over
// a few pixels, and the lower corners are rounded wide: the bottom panels'
// inner lower corners meet the ends of pads 1 and 3, which stay clear.
// Stretched to 195 x 46 the soft edge and corners just widen.
constexpr int kShadeW = 88, kShadeH = 46;
constexpr double kShadeTopRadius = 8, kShadeBottomRadius = 18, kShadeFeather = 4;

// How far a pixel centre lies inside the panel's outline (negative outside).
double InsideShade(double px, double py) {
  const double left = 0.5, right = kShadeW - 0.5, top = 0.5, bottom = kShadeH - 0.5;
  const double radius = py < kShadeH / 2.0 ? kShadeTopRadius : kShadeBottomRadius;
  const double cy = py < kShadeH / 2.0 ? top + radius : bottom - radius;
  const double cx = px < kShadeW / 2.0 ? left + radius : right - radius;
  const bool inCorner =
      (px < kShadeW / 2.0 ? px < cx : px > cx) && (py < kShadeH / 2.0 ? py < cy : py > cy);
  if (inCorner) return radius - std::hypot(px - cx, py - cy);
  return std::min(std::min(px - left, right - px), std::min(py - top, bottom - py));
}

Image ShadePicture() {
  Image image(kShadeW, kShadeH);
  for (int y = 0; y < kShadeH; ++y) {
    for (int x = 0; x < kShadeW; ++x) {
      const double t = std::clamp(InsideShade(x + 0.5, y + 0.5) / kShadeFeather, 0.0, 1.0);
      image.At(x, y)[3] = static_cast<uint8_t>(std::lround(t * t * (3 - 2 * t) * 255));
    }
  }
  return image;
}

// 32 x 134: five lamps 27 px apart, the first centred on row 13. The game
// lights the strip from the top in 27-px steps, so each lamp keeps to its
// own 27-row slot. The housing is darker than the lamps so a tint colours
// mostly the glass.
Image LightsPicture() {
  Canvas canvas(32, 134);
  cairo_t* cr = canvas.Cr();
  RoundedRectPath(cr, 3.5, 0.5, 25, 133, 6);
  FillAcross(cr, 3.5, 28.5, FromBytes(120, 120, 124), FromBytes(88, 88, 92), FromBytes(52, 52, 56),
             true);
  SetColour(cr, FromBytes(20, 20, 24), 0.9);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  for (int i = 0; i < 5; ++i) {
    const double cy = 13.5 + 27 * i;
    // Bezel.
    cairo_arc(cr, 16, cy, 10.5, 0, 2 * M_PI);
    FillAcross(cr, 5, 27, FromBytes(210, 210, 214), FromBytes(140, 140, 144), FromBytes(60, 60, 64),
               false);
    cairo_arc(cr, 16, cy, 9, 0, 2 * M_PI);
    SetColour(cr, FromBytes(26, 26, 30));
    cairo_fill(cr);
    // The lens: bright in the middle, a rim of shadow.
    cairo_arc(cr, 16, cy, 8, 0, 2 * M_PI);
    cairo_pattern_t* lens = cairo_pattern_create_radial(16, cy, 0.5, 16, cy, 8);
    AddStop(lens, 0, FromBytes(255, 255, 255));
    AddStop(lens, 0.55, FromBytes(226, 226, 226));
    AddStop(lens, 1, FromBytes(150, 150, 150));
    cairo_set_source(cr, lens);
    cairo_fill(cr);
    cairo_pattern_destroy(lens);
    // Glass glint.
    cairo_save(cr);
    cairo_translate(cr, 13, cy - 3.5);
    cairo_rotate(cr, -0.6);
    cairo_scale(cr, 3.2, 1.6);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    SetColour(cr, FromBytes(255, 255, 255), 0.8);
    cairo_fill(cr);
  }
  return canvas.ToImage();
}

// 32 x 360: the health bar's fill. The game turns it by 180 degrees and cuts
// it at any row, so it is the same all the way down: a rounded glass tube of
// 20 segments (5 % of health each), lit from what ends up the upper left.
Image StatusPicture() {
  Canvas canvas(32, 360);
  cairo_t* cr = canvas.Cr();
  for (int i = 0; i < 20; ++i) {
    const double y = i * 18 + 1;
    RoundedRectPath(cr, 7, y, 18, 16, 3);
    // Turned by 180 degrees on screen, so the bright side is drawn on the right.
    FillAcross(cr, 7, 25, FromBytes(150, 150, 150), FromBytes(222, 222, 222),
               FromBytes(255, 255, 255), false);
    cairo_rectangle(cr, 20, y + 2, 2.5, 12);
    SetColour(cr, FromBytes(255, 255, 255), 0.7);
    cairo_fill(cr);
  }
  // The tube's frame, drawn over the segments' ends.
  cairo_rectangle(cr, 4.5, 0, 1.5, 360);
  cairo_rectangle(cr, 26, 0, 1.5, 360);
  SetColour(cr, FromBytes(200, 200, 200));
  cairo_fill(cr);
  return canvas.ToImage();
}

// 640 x 50, drawn at 30 %: a bright core line at row 25 pulsing in dashes,
// with a soft glow above and below and tick marks like a radio scale.
Image SignalLinePicture() {
  Image image(640, 50);
  const Colour core{0.70, 1.0, 0.95};
  for (int y = 0; y < 50; ++y) {
    const double d = std::abs(y + 0.5 - 25) / 25.0;
    const double glow = std::pow(1 - d, 2.5) * 0.55;
    for (int x = 0; x < 640; ++x) {
      // Dashes 24 px long with 8 px gaps, softened at their ends.
      const double phase = std::fmod(x + 4, 32.0);
      const double dash = std::clamp(std::min(phase, 24 - phase) / 2.0, 0.0, 1.0);
      const double line = std::abs(y + 0.5 - 25) <= 1.5 ? (0.55 + 0.45 * dash) : 0.0;
      const bool tick = (x % 32 == 12) && std::abs(y + 0.5 - 25) <= 6.5;
      const bool bigTick = (x % 160 == 12) && std::abs(y + 0.5 - 25) <= 11.5;
      const double a = std::clamp(glow + line + ((tick || bigTick) ? 0.8 : 0.0), 0.0, 1.0);
      uint8_t* p = image.At(x, y);
      const double white = line > 0 ? 0.5 : 0.0;
      p[0] = static_cast<uint8_t>(std::lround((core.r + (1 - core.r) * white) * 255));
      p[1] = static_cast<uint8_t>(std::lround(core.g * 255));
      p[2] = static_cast<uint8_t>(std::lround((core.b + (1 - core.b) * white) * 255));
      p[3] = static_cast<uint8_t>(std::lround(a * 255));
    }
  }
  return image;
}

// Small pictures with gradients and thin lines: stored exactly.
const RegisterAsset kShade("shade.dds", [](const std::string& path) {
  const Image shade = ShadePicture();
  // Every HUD text (HEIGHT, FUEL, TIME and, stretched, DATA COLLECTED with
  // their numbers) falls in columns 9..71, rows 11..36 of the picture.
  Require(MinAlpha(shade, 9, 11, 63, 26) == 255, "shade.dds",
          "the texts must sit on the panel's full darkness");
  // On the ground, FUEL at x 557 covers pad 3's last two columns (screen
  // 557..558, rows 466..473) and HEIGHT at x -4 pad 1's first four (80..83).
  Require(MaxAlpha(shade, 0, 36, 2, 8) < 16 && MaxAlpha(shade, 84, 36, 4, 8) < 16, "shade.dds",
          "the pads' ends must show through the lower corners");
  WriteDds(path, shade, DdsFormat::kArgb8888);
});
const RegisterAsset kLights("lights.dds", [](const std::string& path) {
  Image lights = LightsPicture();
  // The strip lights in 27-row steps: a slot boundary must fall between
  // two lamps, on the dark housing, never across a lens.
  for (int k = 1; k <= 4; ++k)
    for (int y = 27 * k - 1; y <= 27 * k; ++y)
      Require(lights.At(16, y)[0] < 140, "lights.dds", "lamps must be 27 px apart, one per slot");
  for (int k = 0; k < 5; ++k)
    Require(lights.At(16, 13 + 27 * k)[0] > 240, "lights.dds", "each slot needs a bright lamp");
  WriteDds(path, lights, DdsFormat::kArgb8888);
});
const RegisterAsset kStatus("status.dds", [](const std::string& path) {
  WriteDds(path, StatusPicture(), DdsFormat::kArgb8888);
});
// Wide, soft and one colour: DXT5 loses nothing visible.
const RegisterAsset kSignalLine("signal_line.dds", [](const std::string& path) {
  WriteDds(path, SignalLinePicture(), DdsFormat::kDxt5);
});

}  // namespace
}  // namespace artworld
