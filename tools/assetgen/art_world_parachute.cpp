// parachute.dds, 128 x 180: the canopy at the top, its shroud lines meeting
// at the bottom centre (64, 180), the point the game hangs it from and swings
// it about. The game squashes the whole picture to 20..200 px high while it
// unfolds, so the canopy is a bold shape of few large parts that reads at
// any height, and the lines stay thin.
#include <cmath>

#include "art_world_common.h"
#include "asset_registry.h"
#include "file_writers.h"

namespace artworld {
namespace {

constexpr double kCx = 64;
constexpr double kRadius = 59;    // half the canopy's width
constexpr double kRimY = 58;      // the skirt
constexpr double kDomeRise = 55;  // apex at y 3
constexpr int kGores = 8;

// A point of the dome seen from the side: longitude lon (-pi/2 .. pi/2,
// 0 facing us), latitude lat (0 at the skirt, pi/2 at the apex).
void DomePoint(double lon, double lat, double& x, double& y) {
  x = kCx + kRadius * std::cos(lat) * std::sin(lon);
  y = kRimY - kDomeRise * std::sin(lat);
}

void GorePath(cairo_t* cr, double lon0, double lon1) {
  double x, y;
  DomePoint(lon0, 0, x, y);
  cairo_move_to(cr, x, y);
  for (int i = 1; i <= 24; ++i) {
    DomePoint(lon0, i * (M_PI / 2) / 24, x, y);
    cairo_line_to(cr, x, y);
  }
  for (int i = 24; i >= 0; --i) {
    DomePoint(lon1, i * (M_PI / 2) / 24, x, y);
    cairo_line_to(cr, x, y);
  }
  // The skirt between two seams billows down a little.
  double x1, x0, y0;
  DomePoint(lon0, 0, x0, y0);
  DomePoint(lon1, 0, x1, y);
  const double sag = 2.0 + 3.5 * (std::abs(x1 - x0) / 20.0);
  cairo_curve_to(cr, x1 - (x1 - x0) * 0.25, y + sag, x0 + (x1 - x0) * 0.25, y0 + sag, x0, y0);
  cairo_close_path(cr);
}

double Seam(int i) { return -M_PI / 2 + i * M_PI / kGores; }

void DomeOutlinePath(cairo_t* cr) {
  for (int i = 0; i < kGores; ++i) GorePath(cr, Seam(i), Seam(i + 1));
}

// The canopy's edge alone: up the left side, down the right, back along the
// billowing skirt.
void SilhouettePath(cairo_t* cr) {
  double x, y;
  DomePoint(-M_PI / 2, 0, x, y);
  cairo_move_to(cr, x, y);
  for (int k = 1; k <= 48; ++k) {
    const double lat = k * M_PI / 48;  // over the top and down again
    x = kCx - kRadius * std::cos(lat);
    y = kRimY - kDomeRise * std::sin(lat);
    cairo_line_to(cr, x, y);
  }
  for (int i = kGores; i > 0; --i) {
    double x0, y0, x1, y1;
    DomePoint(Seam(i), 0, x1, y1);
    DomePoint(Seam(i - 1), 0, x0, y0);
    const double sag = 2.0 + 3.5 * (std::abs(x1 - x0) / 20.0);
    cairo_curve_to(cr, x1 - (x1 - x0) * 0.25, y1 + sag, x0 + (x1 - x0) * 0.25, y0 + sag, x0, y0);
  }
  cairo_close_path(cr);
}

Image ParachutePicture() {
  Canvas canvas(128, 180);
  cairo_t* cr = canvas.Cr();
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);

  // The canopy's open mouth, seen a little from below: its dark inside.
  cairo_save(cr);
  cairo_translate(cr, kCx, kRimY + 1.5);
  cairo_scale(cr, kRadius - 1, 6);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  SetColour(cr, Mix(ink::kOrangeShadow, ink::kOutline, 0.55));
  cairo_fill(cr);

  // Shroud lines from every seam's foot to the riser at the bottom centre;
  // the outer ones a touch darker, being further round the canopy.
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (int i = 0; i <= kGores; ++i) {
    double x, y;
    DomePoint(Seam(i), 0, x, y);
    cairo_move_to(cr, x, y + 1);
    cairo_line_to(cr, kCx, 180);
    const double side = std::abs(x - kCx) / kRadius;
    SetColour(cr, Mix(ink::kCream, ink::kShellShadow, side * 0.6), 0.9);
    cairo_set_line_width(cr, 0.9);
    cairo_stroke(cr);
  }
  // The riser: a short strap gathering the lines just above the pod.
  cairo_move_to(cr, kCx, 164);
  cairo_line_to(cr, kCx, 180);
  SetColour(cr, ink::kMetalLight);
  cairo_set_line_width(cr, 1.6);
  cairo_stroke(cr);

  // Gores, orange and cream in turn.
  for (int i = 0; i < kGores; ++i) {
    GorePath(cr, Seam(i), Seam(i + 1));
    SetColour(cr, i % 2 == 0 ? ink::kProbeOrange : ink::kCream);
    cairo_fill(cr);
  }
  // Light from the upper left, shadow to the lower right, clipped to the dome.
  cairo_save(cr);
  DomeOutlinePath(cr);
  cairo_clip(cr);
  cairo_pattern_t* light = cairo_pattern_create_radial(kCx - 26, 14, 4, kCx - 10, 30, 80);
  cairo_pattern_add_color_stop_rgba(light, 0, 1, 1, 1, 0.45);
  cairo_pattern_add_color_stop_rgba(light, 0.35, 1, 1, 1, 0.0);
  cairo_pattern_add_color_stop_rgba(light, 0.7, 0.15, 0.08, 0.25, 0.25);
  cairo_pattern_add_color_stop_rgba(light, 1, 0.10, 0.05, 0.20, 0.55);
  cairo_set_source(cr, light);
  cairo_paint(cr);
  cairo_pattern_destroy(light);
  // The reinforcing band a little above the skirt.
  for (int i = 0; i < 2; ++i) {
    const double lat = i == 0 ? 0.16 : 0.95;
    double x, y;
    DomePoint(-M_PI / 2, lat, x, y);
    cairo_move_to(cr, x, y);
    for (int k = 1; k <= 32; ++k) {
      DomePoint(-M_PI / 2 + k * M_PI / 32, lat, x, y);
      // Seen a little from below, the band curves down at the middle.
      cairo_line_to(cr, x, y + 3.5 * std::cos(-M_PI / 2 + k * M_PI / 32) * std::cos(lat));
    }
    SetColour(cr, ink::kOutline, 0.28);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
  }
  cairo_restore(cr);
  // Seams.
  for (int i = 1; i < kGores; ++i) {
    double x, y;
    DomePoint(Seam(i), 0, x, y);
    cairo_move_to(cr, x, y);
    for (int k = 1; k <= 24; ++k) {
      DomePoint(Seam(i), k * (M_PI / 2) / 24, x, y);
      cairo_line_to(cr, x, y);
    }
  }
  SetColour(cr, ink::kOutline, 0.3);
  cairo_set_line_width(cr, 0.7);
  cairo_stroke(cr);
  // The vent at the apex.
  cairo_save(cr);
  cairo_translate(cr, kCx, 5.5);
  cairo_scale(cr, 7, 2.2);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  SetColour(cr, Mix(ink::kOrangeShadow, ink::kOutline, 0.5));
  cairo_fill(cr);
  // Outline of the whole canopy.
  SilhouettePath(cr);
  SetColour(cr, ink::kOutline, 0.7);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  return canvas.ToImage();
}

// Thin lines and the gores' crisp seams: 4 x 4 blocks would blur the lines
// into the sky and stain the cream gores orange, so it is stored exactly.
const RegisterAsset kParachute("parachute.dds", [](const std::string& path) {
  WriteDds(path, ParachutePicture(), DdsFormat::kArgb8888);
});

}  // namespace
}  // namespace artworld
