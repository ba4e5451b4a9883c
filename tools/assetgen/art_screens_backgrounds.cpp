// The four full-screen pictures: the title, the menu, the score table and
// the name entry. They share one world: space above, the lavender horizon,
// the ochre desert, the probe.
#include <algorithm>
#include <cmath>

#include "art_screens_common.h"
#include "art_world_common.h"
#include "asset_registry.h"
#include "file_writers.h"

namespace artscreens {
namespace {

constexpr int kW = 640;
constexpr int kH = 480;

// The planet seen from orbit: a huge ochre limb with a lavender atmosphere.
void PaintPlanetLimb(cairo_t* cr, double cx, double cy, double radius) {
  cairo_pattern_t* air = cairo_pattern_create_radial(cx, cy, radius, cx, cy, radius + 40);
  AddStop(air, 0, palette::kHaze, 0.9);
  AddStop(air, 0.25, palette::kLavender, 0.5);
  AddStop(air, 1, palette::kLavender, 0);
  cairo_set_source(cr, air);
  cairo_arc(cr, cx, cy, radius + 40, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(air);

  cairo_save(cr);
  cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
  cairo_clip(cr);
  cairo_pattern_t* ground = cairo_pattern_create_linear(0, cy - radius, 0, cy - radius + 160);
  AddStop(ground, 0, Rgb{0.93, 0.72, 0.50});
  AddStop(ground, 0.3, palette::kOchre);
  AddStop(ground, 1, palette::kRust);
  cairo_set_source(cr, ground);
  cairo_paint(cr);
  cairo_pattern_destroy(ground);
  // Wind-drawn bands and dark basins, following the curve of the limb.
  ArtRandom rnd(41);
  for (int i = 0; i < 9; ++i) {
    const double r = radius - 10 - i * 13 - rnd.Range(0, 9);
    const double a0 = M_PI * rnd.Range(1.0, 1.3), a1 = M_PI * rnd.Range(1.6, 2.0);
    cairo_arc(cr, cx + rnd.Range(-40, 40), cy, r, a0, a1);
    SetRgb(cr, i % 3 ? palette::kDeepRust : Rgb{1.0, 0.85, 0.6}, 0.05 + rnd.Range(0, 0.08));
    cairo_set_line_width(cr, rnd.Range(3, 12));
    cairo_stroke(cr);
  }
  for (int i = 0; i < 9; ++i) {
    const double a = M_PI * rnd.Range(1.15, 1.85);
    const double d = radius - rnd.Range(15, 110);
    cairo_save(cr);
    cairo_translate(cr, cx + d * std::cos(a), cy + d * std::sin(a));
    cairo_scale(cr, rnd.Range(14, 40), rnd.Range(3, 7));
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    SetRgb(cr, palette::kDeepRust, 0.25);
    cairo_fill(cr);
  }
  // Night side: the lower right falls into shadow.
  cairo_pattern_t* night = cairo_pattern_create_linear(cx - radius * 0.3, 0, cx + radius * 0.6, 0);
  cairo_pattern_add_color_stop_rgba(night, 0, 0, 0, 0, 0);
  cairo_pattern_add_color_stop_rgba(night, 1, 0.02, 0.01, 0.06, 0.75);
  cairo_set_source(cr, night);
  cairo_paint(cr);
  cairo_pattern_destroy(night);
  cairo_restore(cr);
}

// Two thin rules either side of a subtitle, in the probe's orange.
void PaintRules(cairo_t* cr, double cx, double y, double gap, double length) {
  for (int side = -1; side <= 1; side += 2) {
    const double inner = cx + side * gap, outer = cx + side * (gap + length);
    cairo_pattern_t* rule = cairo_pattern_create_linear(inner, 0, outer, 0);
    AddStop(rule, 0, palette::kProbeOrange, 0.9);
    AddStop(rule, 1, palette::kProbeOrange, 0);
    cairo_set_source(cr, rule);
    cairo_rectangle(cr, std::min(inner, outer), y - 1, length, 2);
    cairo_fill(cr);
    cairo_pattern_destroy(rule);
  }
}

// The menu picture's title and probe, in the picture's own pixels; the logo
// puts the same lettering and probe where the menu shows them.
constexpr const char* kTitle = "KESTREVAN";
constexpr double kMenuTitleX = 320, kMenuTitleBaseline = 100, kMenuTitleSize = 56;
constexpr double kMenuTitleTracking = 4;
constexpr double kMenuProbeX = 505, kMenuProbeY = 258, kMenuProbeScale = 0.85;

// Where the drifting menu picture lies on the screen at one menu frame, as
// DrawDriftingBackground puts it: its top left corner, drawn size and turn
// (degrees, clockwise about its centre), each a single as the game passes
// them. A test holds the logo to the game's own drift.
struct MenuDrift {
  double x, y, width, height, angle;
};
MenuDrift MenuDriftAt(double frame) {
  const double f = frame;
  return {float(std::cos(f / 20) / 3 - 3 * std::sin(f / 30) - 10),
          float(std::sin(f / 20) / 3 - 1.5 * std::cos(f / 30) - 10),
          float(660 + 6 * std::sin(f / 30)), float(500 + 3 * std::cos(f / 30)),
          float(std::cos(f / 20) / 5)};
}
// The logo fades out over menu frames 1 to 19 while the menu drifts about a
// pixel each way; at frame 10, halfway, both titles show at half strength,
// which is where a misfit would show most.
constexpr double kLogoFadeMiddle = 10;

// Makes user space the menu picture's pixels as the menu shows them.
void FollowMenuDrift(cairo_t* cr, const MenuDrift& d) {
  cairo_translate(cr, d.x + d.width / 2, d.y + d.height / 2);
  cairo_rotate(cr, d.angle * M_PI / 180);
  cairo_translate(cr, -d.width / 2, -d.height / 2);
  cairo_scale(cr, d.width / kW, d.height / kH);
}

// A point of the menu picture on the screen, worked out the way the draw
// does it rather than through Cairo, so the two can check each other.
void MenuPointOnScreen(const MenuDrift& d, double u, double v, double& sx, double& sy) {
  const double a = d.angle * M_PI / 180;
  const double lx = u * d.width / kW - d.width / 2, ly = v * d.height / kH - d.height / 2;
  sx = d.x + d.width / 2 + std::cos(a) * lx - std::sin(a) * ly;
  sy = d.y + d.height / 2 + std::sin(a) * lx + std::cos(a) * ly;
}

void PaintMenuTitle(Canvas& canvas) {
  PaintChromeTitle(canvas, kTitle, kMenuTitleX, kMenuTitleBaseline, kMenuTitleSize,
                   kMenuTitleTracking);
}

// The box of the pixels at least half covered (left, top, right, bottom).
struct InkBox {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
};
InkBox BoxOfInk(const Image& image) {
  InkBox box;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      if (image.At(x, y)[3] >= 128) {
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::max(box.bottom, y + 1);
      }
  return box;
}

// The logo's title, on its own: it must cover on the screen what the menu
// picture's title covers there.
void RequireTitleOnMenuTitle(const Image& logoTitle, const MenuDrift& d) {
  Canvas menu(kW, kH);
  PaintMenuTitle(menu);
  const InkBox m = BoxOfInk(menu.ToImage()), l = BoxOfInk(logoTitle);
  double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
  for (double u : {double(m.left), double(m.right)})
    for (double v : {double(m.top), double(m.bottom)}) {
      double sx, sy;
      MenuPointOnScreen(d, u, v, sx, sy);
      left = std::min(left, sx), right = std::max(right, sx);
      top = std::min(top, sy), bottom = std::max(bottom, sy);
    }
  artworld::Require(std::abs(l.left - left) <= 1.5 && std::abs(l.right - right) <= 1.5 &&
                        std::abs(l.top - top) <= 1.5 && std::abs(l.bottom - bottom) <= 1.5,
                    "logo.jpg",
                    "its title must lie where the menu shows its own as the logo fades");
}

void WriteLogo(const std::string& path) {
  const MenuDrift drift = MenuDriftAt(kLogoFadeMiddle);
  Canvas canvas(kW, kH);
  cairo_t* cr = canvas.Cr();
  SetRgb(cr, palette::kSpace);
  cairo_paint(cr);
  ArtRandom rnd(7);
  PaintStars(cr, rnd, 420, 0, 0, kW, kH, kH * 1.2);
  PaintPlanetLimb(cr, 250, 1530, 1180);
  // The title and the probe lie on the menu's own, so as the logo fades
  // they stay put while the world around them changes.
  cairo_save(cr);
  FollowMenuDrift(cr, drift);
  PaintProbe(cr, kMenuProbeX, kMenuProbeY, kMenuProbeScale, true);
  cairo_restore(cr);
  Canvas title(kW, kH);
  FollowMenuDrift(title.Cr(), drift);
  PaintMenuTitle(title);
  const Image titleLayer = title.ToImage();
  RequireTitleOnMenuTitle(titleLayer, drift);
  canvas.Paint(titleLayer, 0, 0);
  // The line under a title would meet the canopy: it goes above instead.
  const char* subtitle = "A PLANETARY PROBE DESCENT";
  PaintCentredText(cr, subtitle, 320, 30, 12, true, 5, palette::kHaze);
  SelectFont(cr, 12, true);
  PaintRules(cr, 320, 26, TrackedTextWidth(cr, subtitle, 5) / 2 + 12, 80);
  WriteJpeg(path, Flatten(canvas.ToImage(), palette::kSpace), 93);
}

// The menu's world: dusk over the desert, the probe coming down on the right.
void WriteMainMenu(const std::string& path) {
  Canvas canvas(kW, kH);
  cairo_t* cr = canvas.Cr();
  constexpr double kHorizon = 368;
  PaintSky(cr, kW, kHorizon);
  ArtRandom rnd(11);
  PaintStars(cr, rnd, 260, 0, 0, kW, kHorizon, kHorizon * 0.8);
  // A pale moon high on the right.
  cairo_pattern_t* moon = cairo_pattern_create_radial(62, 46, 0, 68, 52, 22);
  AddStop(moon, 0, Rgb{0.97, 0.93, 0.98});
  AddStop(moon, 1, Rgb{0.72, 0.66, 0.86});
  cairo_set_source(cr, moon);
  cairo_arc(cr, 68, 52, 20, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(moon);
  SetRgb(cr, palette::kSpace, 0.88);
  cairo_arc(cr, 77, 47, 18, 0, 2 * M_PI);
  cairo_fill(cr);
  PaintDesert(cr, rnd, kW, kH, kHorizon);
  PaintProbe(cr, kMenuProbeX, kMenuProbeY, kMenuProbeScale, true);
  // The menu column sits on the left: a soft shadow keeps it readable.
  cairo_save(cr);
  cairo_translate(cr, 200, 268);
  cairo_scale(cr, 1.5, 1.0);
  cairo_pattern_t* shadow = cairo_pattern_create_radial(0, 0, 0, 0, 0, 170);
  AddStop(shadow, 0, palette::kSpace, 0.55);
  AddStop(shadow, 0.6, palette::kSpace, 0.4);
  AddStop(shadow, 1, palette::kSpace, 0);
  cairo_set_source(cr, shadow);
  cairo_paint(cr);
  cairo_pattern_destroy(shadow);
  cairo_restore(cr);
  PaintMenuTitle(canvas);
  WriteJpeg(path, Flatten(canvas.ToImage(), palette::kSpace), 92);
}

// A dark console over the dusk: the score screen draws its rows on it.
void PaintConsole(cairo_t* cr, double x, double y, double w, double h) {
  RoundedRectPath(cr, x, y, w, h, 14);
  cairo_pattern_t* fill = cairo_pattern_create_linear(0, y, 0, y + h);
  AddStop(fill, 0, palette::kPanel, 0.80);
  AddStop(fill, 1, Rgb{0.06, 0.04, 0.10}, 0.86);
  cairo_set_source(cr, fill);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(fill);
  SetRgb(cr, palette::kLavender, 0.55);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  // Orange brackets on the corners.
  SetRgb(cr, palette::kProbeOrange, 0.95);
  cairo_set_line_width(cr, 3);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  const double arm = 22;
  const double xs[2] = {x + 4, x + w - 4}, ys[2] = {y + 4, y + h - 4};
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 2; ++j) {
      const double sx = i ? -1 : 1, sy = j ? -1 : 1;
      cairo_move_to(cr, xs[i], ys[j] + sy * arm);
      cairo_line_to(cr, xs[i], ys[j]);
      cairo_line_to(cr, xs[i] + sx * arm, ys[j]);
    }
  }
  cairo_stroke(cr);
}

void PaintLabel(cairo_t* cr, const char* text, double x, double baseline, double size, Rgb c,
                double alpha = 1.0) {
  SelectFont(cr, size, true);
  TrackedTextPath(cr, text, x, baseline, size * 0.25);
  SetRgb(cr, c, alpha);
  cairo_fill(cr);
}

void WriteMenuHs(const std::string& path) {
  Canvas canvas(kW, kH);
  cairo_t* cr = canvas.Cr();
  constexpr double kHorizon = 420;
  PaintSky(cr, kW, kHorizon);
  ArtRandom rnd(23);
  PaintStars(cr, rnd, 300, 0, 0, kW, kHorizon, kHorizon * 0.9);
  PaintDesert(cr, rnd, kW, kH, kHorizon);
  PaintChromeTitle(canvas, "HIGH SCORES", 320, 66, 44, 4);
  // The picture is drawn about 3 % larger from (-10, -10), so the console
  // (picture x 28..612, y 86..468) covers the screen's rows (x 50..600,
  // y 120..372) and both lines under them whatever the sway.
  PaintConsole(cr, 28, 86, 584, 382);
  // Column heads over the rank, the time and the pilot's name.
  PaintLabel(cr, "NO", 57, 114, 10, palette::kHudOrange, 0.9);
  PaintLabel(cr, "TIME", 114, 114, 10, palette::kHudOrange, 0.9);
  PaintLabel(cr, "PILOT", 211, 114, 10, palette::kHudOrange, 0.9);
  SetRgb(cr, palette::kLavender, 0.35);
  cairo_rectangle(cr, 50, 119, 540, 1);
  cairo_rectangle(cr, 50, 384, 540, 1);
  cairo_fill(cr);
  WriteJpeg(path, Flatten(canvas.ToImage(), palette::kSpace), 92);
}

// The probe at rest on its pad, legs out, sending its data up.
void PaintLandedProbe(cairo_t* cr, double cx, double groundY) {
  // Uplink rings rising from the antenna.
  for (int i = 0; i < 5; ++i) {
    const double y = groundY - 52 - i * 26;
    cairo_save(cr);
    cairo_translate(cr, cx + 12, y);
    cairo_scale(cr, 1, 0.28);
    cairo_arc(cr, 0, 0, 10 + i * 7, 0, 2 * M_PI);
    cairo_restore(cr);
    SetRgb(cr, palette::kHaze, 0.55 - i * 0.1);
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
  }
  // The pad plate and its lamps.
  RoundedRectPath(cr, cx - 44, groundY - 4, 88, 8, 3);
  SetRgb(cr, Rgb{0.32, 0.31, 0.38});
  cairo_fill(cr);
  for (int i = 0; i < 4; ++i) {
    cairo_arc(cr, cx - 33 + i * 22, groundY, 1.8, 0, 2 * M_PI);
    SetRgb(cr, Rgb{0.4, 1.0, 0.45});
    cairo_fill(cr);
  }
  // Legs.
  SetRgb(cr, Rgb{0.82, 0.82, 0.88});
  cairo_set_line_width(cr, 2.6);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (int side = -1; side <= 1; side += 2) {
    cairo_move_to(cr, cx + side * 14, groundY - 30);
    cairo_line_to(cr, cx + side * 34, groundY - 6);
    cairo_stroke(cr);
    cairo_move_to(cr, cx + side * 40, groundY - 5);
    cairo_line_to(cr, cx + side * 28, groundY - 5);
    cairo_stroke(cr);
  }
  PaintProbe(cr, cx, groundY - 36, 1.0, false);
}

void WriteEnterName(const std::string& path) {
  Canvas canvas(kW, kH);
  cairo_t* cr = canvas.Cr();
  constexpr double kHorizon = 392;
  PaintSky(cr, kW, kHorizon);
  ArtRandom rnd(31);
  PaintStars(cr, rnd, 320, 0, 0, kW, kHorizon, kHorizon);
  PaintDesert(cr, rnd, kW, kH, kHorizon);
  PaintLandedProbe(cr, 500, 440);
  PaintChromeTitle(canvas, "NEW HIGH SCORE", 320, 92, 50, 3);
  PaintCentredText(cr, "ENTER YOUR NAME, PILOT", 300, 146, 14, true, 4, palette::kHaze);
  // The name field: the game draws the name at y 180, centred near x 300.
  RoundedRectPath(cr, 60, 168, 480, 48, 10);
  SetRgb(cr, palette::kPanel, 0.82);
  cairo_fill_preserve(cr);
  SetRgb(cr, palette::kProbeOrange, 0.9);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  RoundedRectPath(cr, 64, 172, 472, 40, 7);
  SetRgb(cr, palette::kLavender, 0.3);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  PaintCentredText(cr, "RETURN TO SIGN THE LOG", 300, 244, 11, true, 3, palette::kCream, 0.75);
  WriteJpeg(path, Flatten(canvas.ToImage(), palette::kSpace), 92);
}

const RegisterAsset kLogo("logo.jpg", WriteLogo);
const RegisterAsset kMainMenu("main_menu.jpg", WriteMainMenu);
const RegisterAsset kMenuHs("menu_hs.jpg", WriteMenuHs);
const RegisterAsset kEnterName("entername.jpg", WriteEnterName);

}  // namespace
}  // namespace artscreens
