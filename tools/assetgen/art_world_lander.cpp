// The probe: lander.dds (four 64 x 64 cells, closed pod on the right to the
// unfolded lander on the left) and lander_broke.dds (the wreck).
//
// Fixed points of a cell that the game relies on:
//   - the craft turns about (32, 25) and the pads line up with x 32, so the
//     body is symmetric about x 32;
//   - the unfolded lander's feet touch row 63;
//   - main exhaust puffs appear at x 13..45 and 33..65 from y 45 down, so the
//     two engine bells sit under the body at x 24 and 40, exits at y 49;
//   - side exhaust leaves at about y 40 closed (nozzles on the shell's rim)
//     and y 51 open (nozzles on the descent stage).
#include <algorithm>
#include <cmath>

#include "art_world_common.h"
#include "asset_registry.h"
#include "file_writers.h"

namespace artworld {
namespace {

constexpr double kCx = 32;  // the body's axis

void Outline(cairo_t* cr, double width = 0.8, double alpha = 0.75) {
  SetColour(cr, ink::kOutline, alpha);
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
}

// The back shell's left half, closed position: the cone from the parachute
// cap down to the rim at y 39.
void LeftShellPath(cairo_t* cr) {
  cairo_move_to(cr, kCx, 9);
  cairo_line_to(cr, 24, 9);
  cairo_curve_to(cr, 18, 16, 12, 28, 9.5, 39);
  cairo_line_to(cr, kCx, 39);
  cairo_close_path(cr);
}

// One half of the shell with its share of the orange band and the RCS nozzle
// on the rim. `mirror` draws the right half.
void ShellHalf(cairo_t* cr, bool mirror) {
  cairo_save(cr);
  if (mirror) {
    cairo_translate(cr, 2 * kCx, 0);
    cairo_scale(cr, -1, 1);
  }
  // Light comes from the upper left: the right half is the shaded one.
  const Colour outer = mirror ? ink::kShellShadow : ink::kShellWhite;
  const Colour inner = mirror ? Mix(ink::kShellWhite, ink::kShellShadow, 0.35) : ink::kShellWhite;
  LeftShellPath(cr);
  FillAcross(cr, 9.5, kCx, outer, Mix(outer, inner, 0.6), inner, true);
  cairo_new_path(cr);

  // The orange band round the shell's waist, clipped to the shell.
  cairo_save(cr);
  LeftShellPath(cr);
  cairo_clip(cr);
  cairo_rectangle(cr, 0, 25, kCx, 5);
  SetColour(cr, mirror ? ink::kOrangeShadow : ink::kProbeOrange);
  cairo_fill(cr);
  cairo_rectangle(cr, 0, 25, kCx, 0.8);
  SetColour(cr, ink::kCream, mirror ? 0.25 : 0.55);
  cairo_fill(cr);
  // Panel seams.
  cairo_move_to(cr, 0, 17.5);
  cairo_line_to(cr, kCx, 17.5);
  cairo_move_to(cr, 0, 35);
  cairo_line_to(cr, kCx, 35);
  SetColour(cr, ink::kOutline, 0.22);
  cairo_set_line_width(cr, 0.6);
  cairo_stroke(cr);
  cairo_restore(cr);

  LeftShellPath(cr);
  Outline(cr);

  // Side thruster block on the rim; its nozzle points outward at y 40.
  RoundedRectPath(cr, 7.5, 36.5, 5, 5, 1);
  SetColour(cr, ink::kMetalDark);
  cairo_fill_preserve(cr);
  Outline(cr, 0.6);
  cairo_rectangle(cr, 5.5, 37.8, 2.2, 2.6);
  SetColour(cr, ink::kMetalLight);
  cairo_fill(cr);
  cairo_restore(cr);
}

void ParachuteCap(cairo_t* cr) {
  RoundedRectPath(cr, 26.5, 5, 11, 5, 1.5);
  FillAcross(cr, 26.5, 37.5, ink::kMetalLight, ink::kShellWhite, ink::kShellShadow, true);
  Outline(cr, 0.7);
  // The riser's eye, where the shroud lines are tied.
  cairo_arc(cr, kCx, 4.3, 1.4, 0, 2 * M_PI);
  SetColour(cr, ink::kMetalDark);
  cairo_fill(cr);
}

void Porthole(cairo_t* cr, double x, double y, double r) {
  cairo_arc(cr, x, y, r + 0.8, 0, 2 * M_PI);
  SetColour(cr, ink::kMetalDark);
  cairo_fill(cr);
  cairo_arc(cr, x, y, r, 0, 2 * M_PI);
  SetColour(cr, ink::kGlassDark);
  cairo_fill(cr);
  cairo_arc(cr, x - r * 0.35, y - r * 0.35, r * 0.4, 0, 2 * M_PI);
  SetColour(cr, ink::kGlassLight, 0.9);
  cairo_fill(cr);
}

// The scorched ablative dome under the pod, its rim at `rimY`.
void HeatShield(cairo_t* cr, double rimY) {
  cairo_move_to(cr, 7, rimY);
  cairo_line_to(cr, 57, rimY);
  cairo_curve_to(cr, 55, rimY + 7, 44, rimY + 11, kCx, rimY + 11);
  cairo_curve_to(cr, 20, rimY + 11, 9, rimY + 7, 7, rimY);
  cairo_close_path(cr);
  cairo_pattern_t* p = cairo_pattern_create_radial(24, rimY - 2, 2, kCx, rimY, 30);
  AddStop(p, 0, Mix(ink::kHeatShield, ink::kProbeOrange, 0.45));
  AddStop(p, 0.55, ink::kHeatShield);
  AddStop(p, 1, ink::kHeatShieldDark);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
  Outline(cr);
  // Ablative tile seams, curving with the dome.
  cairo_save(cr);
  cairo_move_to(cr, 7, rimY);
  cairo_line_to(cr, 57, rimY);
  cairo_curve_to(cr, 55, rimY + 7, 44, rimY + 11, kCx, rimY + 11);
  cairo_curve_to(cr, 20, rimY + 11, 9, rimY + 7, 7, rimY);
  cairo_clip(cr);
  for (int i = -3; i <= 3; ++i) {
    cairo_move_to(cr, kCx + i * 7.5, rimY);
    cairo_line_to(cr, kCx + i * 6.2, rimY + 12);
  }
  cairo_move_to(cr, 8, rimY + 4.5);
  cairo_curve_to(cr, 20, rimY + 8, 44, rimY + 8, 56, rimY + 4.5);
  SetColour(cr, ink::kHeatShieldDark, 0.55);
  cairo_set_line_width(cr, 0.6);
  cairo_stroke(cr);
  cairo_restore(cr);
  // The bright rim ring where shield and shell meet.
  cairo_rectangle(cr, 7, rimY - 0.5, 50, 1.6);
  SetColour(cr, ink::kMetalLight);
  cairo_fill(cr);
}

// One solar wing on the left, `open` 0 (stowed against the body) to 1.
void SolarWing(cairo_t* cr, double open, bool mirror) {
  if (open <= 0.02) return;
  cairo_save(cr);
  if (mirror) {
    cairo_translate(cr, 2 * kCx, 0);
    cairo_scale(cr, -1, 1);
  }
  const double length = 15.5 * open;
  // Hinged on the body's side at (19, 21), lifted a little like wings.
  cairo_translate(cr, 19.5, 21.5);
  cairo_rotate(cr, -(1 - open) * 1.2 + 0.12);
  cairo_rectangle(cr, -length - 0.8, -0.6, length + 0.8, 1.2);  // the boom
  SetColour(cr, ink::kMetalDark);
  cairo_fill(cr);
  cairo_rectangle(cr, -length, -3.4, length - 1.2, 6.8);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, -3.4, 0, 3.4);
  AddStop(p, 0, Mix(ink::kSolarBlue, ink::kSolarLine, mirror ? 0.25 : 0.6));
  AddStop(p, 1, Mix(ink::kSolarBlue, ink::kGlassDark, 0.5));
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
  SetColour(cr, ink::kMetalLight);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);
  // Cell grid.
  for (double x = -length + 3.4; x < -1.5; x += 3.4) {
    cairo_move_to(cr, x, -3.2);
    cairo_line_to(cr, x, 3.2);
  }
  cairo_move_to(cr, -length, 0);
  cairo_line_to(cr, -1.2, 0);
  SetColour(cr, ink::kSolarLine, 0.7);
  cairo_set_line_width(cr, 0.5);
  cairo_stroke(cr);
  cairo_restore(cr);
}

// One landing leg on the left: hip at (19, 41), foot from tucked (18, 50) to
// spread (7.5, 62); the foot pad's sole ends at y 64 when fully out.
void Leg(cairo_t* cr, double deploy, bool mirror) {
  cairo_save(cr);
  if (mirror) {
    cairo_translate(cr, 2 * kCx, 0);
    cairo_scale(cr, -1, 1);
  }
  const double footX = 18 + (7.5 - 18) * deploy;
  const double footY = 50 + (62 - 50) * deploy;
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  // Brace from the descent stage's belly to the knee.
  const double kneeX = footX + (19 - footX) * 0.45, kneeY = footY + (41 - footY) * 0.45;
  cairo_move_to(cr, 25, 46);
  cairo_line_to(cr, kneeX, kneeY);
  SetColour(cr, ink::kMetalDark);
  cairo_set_line_width(cr, 1.3);
  cairo_stroke(cr);
  // The main strut, bright on its upper side.
  cairo_move_to(cr, 19, 41);
  cairo_line_to(cr, footX, footY);
  SetColour(cr, ink::kOutline, 0.85);
  cairo_set_line_width(cr, 2.6);
  cairo_stroke(cr);
  cairo_move_to(cr, 19, 41);
  cairo_line_to(cr, footX, footY);
  SetColour(cr, mirror ? Mix(ink::kMetalLight, ink::kMetalDark, 0.35) : ink::kMetalLight);
  cairo_set_line_width(cr, 1.4);
  cairo_stroke(cr);
  // Shock absorber sleeve, orange like the probe's trim.
  cairo_move_to(cr, footX + (19 - footX) * 0.15, footY + (41 - footY) * 0.15);
  cairo_line_to(cr, footX + (19 - footX) * 0.35, footY + (41 - footY) * 0.35);
  SetColour(cr, mirror ? ink::kOrangeShadow : ink::kProbeOrange);
  cairo_set_line_width(cr, 2.2);
  cairo_stroke(cr);
  // Foot pad: a flat dish whose sole is the lowest row of the cell.
  cairo_save(cr);
  cairo_translate(cr, footX, footY);
  cairo_move_to(cr, -4.5, 2);
  cairo_line_to(cr, 4.5, 2);
  cairo_line_to(cr, 3, -0.6);
  cairo_line_to(cr, -3, -0.6);
  cairo_close_path(cr);
  FillAcross(cr, -4.5, 4.5, ink::kMetalLight, ink::kMetalLight, ink::kMetalDark, true);
  Outline(cr, 0.6, 0.8);
  cairo_restore(cr);
  cairo_restore(cr);
}

// The descent stage under the body: tanks, engine bells and side thrusters.
void DescentStage(cairo_t* cr) {
  // Two spherical tanks peeking out on either side.
  for (int side = -1; side <= 1; side += 2) {
    const double x = kCx + side * 10.5;
    cairo_arc(cr, x, 41.5, 4.2, 0, 2 * M_PI);
    cairo_pattern_t* p = cairo_pattern_create_radial(x - 1.5, 40, 0.5, x, 41.5, 4.5);
    AddStop(p, 0, ink::kCream);
    AddStop(p, 1, side < 0 ? ink::kMetalLight : ink::kMetalDark);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    Outline(cr, 0.6);
  }
  // The deck: a dark girder frame.
  RoundedRectPath(cr, 14, 43, 36, 5, 1.2);
  FillVertical(cr, 43, ink::kMetalLight, 48, ink::kMetalDark, true);
  Outline(cr, 0.7);
  cairo_rectangle(cr, 15, 45, 34, 1);
  SetColour(cr, ink::kProbeOrange);
  cairo_fill(cr);
  // Engine bells: throats at y 47, exits at y 49.5.
  for (int side = -1; side <= 1; side += 2) {
    const double x = kCx + side * 8;
    cairo_move_to(cr, x - 1.6, 47);
    cairo_line_to(cr, x + 1.6, 47);
    cairo_line_to(cr, x + 3.2, 50);
    cairo_line_to(cr, x - 3.2, 50);
    cairo_close_path(cr);
    FillAcross(cr, x - 3.2, x + 3.2, ink::kMetalLight, ink::kMetalDark, ink::kOutline, true);
    Outline(cr, 0.5);
  }
  // Side thruster quads at the ends of the deck; the exhaust leaves at y 51.
  for (int side = -1; side <= 1; side += 2) {
    const double x = kCx + side * 19.5;
    RoundedRectPath(cr, x - 2.5, 48.5, 5, 4, 0.8);
    SetColour(cr, ink::kMetalDark);
    cairo_fill_preserve(cr);
    Outline(cr, 0.5);
    cairo_rectangle(cr, side < 0 ? x - 4.2 : x + 2.5, 49.6, 1.7, 1.9);
    SetColour(cr, ink::kMetalLight);
    cairo_fill(cr);
  }
}

void OctagonPath(cairo_t* cr) {
  cairo_move_to(cr, 23, 14);
  cairo_line_to(cr, 41, 14);
  cairo_line_to(cr, 46, 19);
  cairo_line_to(cr, 46, 35);
  cairo_line_to(cr, 42, 39.5);
  cairo_line_to(cr, 22, 39.5);
  cairo_line_to(cr, 18, 35);
  cairo_line_to(cr, 18, 19);
  cairo_close_path(cr);
}

// The lander's cabin: an octagonal white body with the orange band, the
// camera eye, the antenna mast and a beacon.
void Body(cairo_t* cr) {
  // Antenna mast and dish, leaning right.
  cairo_move_to(cr, 37, 15);
  cairo_line_to(cr, 40, 7.5);
  SetColour(cr, ink::kMetalDark);
  cairo_set_line_width(cr, 1.1);
  cairo_stroke(cr);
  cairo_save(cr);
  cairo_translate(cr, 40.5, 6.5);
  cairo_rotate(cr, 0.45);
  cairo_scale(cr, 1, 0.45);
  cairo_arc(cr, 0, 0, 5, 0, M_PI);
  cairo_close_path(cr);
  cairo_restore(cr);
  FillVertical(cr, 5, ink::kShellWhite, 9, ink::kShellShadow, true);
  Outline(cr, 0.6);
  // Whip antenna with the orange beacon.
  cairo_move_to(cr, 25, 15);
  cairo_line_to(cr, 23.5, 9.5);
  SetColour(cr, ink::kMetalDark);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);
  cairo_arc(cr, 23.4, 9, 1.4, 0, 2 * M_PI);
  SetColour(cr, ink::kProbeOrange);
  cairo_fill(cr);

  OctagonPath(cr);
  FillAcross(cr, 18, 46, ink::kShellWhite, Mix(ink::kShellWhite, ink::kShellShadow, 0.25),
             ink::kShellShadow, true);
  cairo_save(cr);
  cairo_clip(cr);
  // Orange band with a bright upper lip.
  cairo_rectangle(cr, 16, 29, 32, 5);
  FillAcross(cr, 18, 46, ink::kProbeOrange, ink::kProbeOrange, ink::kOrangeShadow, false);
  cairo_rectangle(cr, 16, 29, 32, 0.8);
  SetColour(cr, ink::kCream, 0.6);
  cairo_fill(cr);
  // A top bevel catching the light.
  cairo_rectangle(cr, 16, 14, 32, 1.2);
  SetColour(cr, ink::kCream, 0.9);
  cairo_fill(cr);
  // Panel seam and a hatch.
  cairo_move_to(cr, 35.5, 15);
  cairo_line_to(cr, 35.5, 29);
  SetColour(cr, ink::kOutline, 0.25);
  cairo_set_line_width(cr, 0.6);
  cairo_stroke(cr);
  RoundedRectPath(cr, 37.5, 18.5, 5, 7, 1);
  SetColour(cr, ink::kOutline, 0.2);
  cairo_set_line_width(cr, 0.6);
  cairo_stroke(cr);
  cairo_restore(cr);
  OctagonPath(cr);
  Outline(cr);
  // The camera eye.
  Porthole(cr, 27, 22, 3.3);
  // Hazard marks on the band: the probe's registration ticks.
  for (int i = 0; i < 3; ++i) {
    cairo_rectangle(cr, 38 + i * 2.2, 30.6, 1.1, 2.2);
  }
  SetColour(cr, ink::kCream, 0.75);
  cairo_fill(cr);
}

// The inner lander with legs and wings deployed by `deploy` (0 stowed, 1 out).
void Lander(cairo_t* cr, double deploy) {
  SolarWing(cr, deploy, false);
  SolarWing(cr, deploy, true);
  Leg(cr, deploy, true);  // the far-side leg first: the shaded one
  Leg(cr, deploy, false);
  DescentStage(cr);
  Body(cr);
}

// The closed pod: back shell and heat shield with the lander hidden inside.
void ClosedPod(cairo_t* cr) {
  HeatShield(cr, 39);
  ShellHalf(cr, false);
  ShellHalf(cr, true);
  // The shell's seam down the middle and the sensor window.
  cairo_move_to(cr, kCx, 10);
  cairo_line_to(cr, kCx, 39);
  SetColour(cr, ink::kOutline, 0.3);
  cairo_set_line_width(cr, 0.6);
  cairo_stroke(cr);
  Porthole(cr, 26, 18, 2.6);
  ParachuteCap(cr);
}

// The shell halves swung apart by `angle` (radians) about their rims, and
// pushed `drift` pixels outward and down as they fall away.
void OpeningShell(cairo_t* cr, double angle, double drift, double alpha) {
  for (int side = 0; side < 2; ++side) {
    const bool right = side == 1;
    cairo_push_group(cr);
    const double hingeX = right ? 54.5 : 9.5;
    cairo_translate(cr, hingeX + (right ? drift : -drift), 39 + drift * 0.6);
    cairo_rotate(cr, right ? angle : -angle);
    cairo_translate(cr, -hingeX, -39);
    ShellHalf(cr, right);
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, alpha);
  }
}

void DrawCell(cairo_t* cr, int openFrame) {
  switch (openFrame) {
    case 3: ClosedPod(cr); break;
    case 2:
      // The shield drops away, the shell cracks open, the legs stir.
      cairo_save(cr);
      cairo_translate(cr, kCx, 50);
      cairo_rotate(cr, 0.10);
      cairo_translate(cr, -kCx, -50);
      cairo_translate(cr, 1, 8);
      HeatShield(cr, 39);
      cairo_restore(cr);
      Lander(cr, 0.25);
      OpeningShell(cr, 0.38, 1.0, 1.0);
      break;
    case 1:
      Lander(cr, 0.65);
      OpeningShell(cr, 0.95, 5.0, 0.7);
      break;
    default: Lander(cr, 1.0); break;
  }
}

Image LanderSheet() {
  Canvas canvas(256, 64);
  cairo_t* cr = canvas.Cr();
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  for (int frame = 0; frame < 4; ++frame) {
    cairo_save(cr);
    cairo_rectangle(cr, frame * 64, 0, 64, 64);
    cairo_clip(cr);
    cairo_translate(cr, frame * 64, 0);
    DrawCell(cr, frame);
    cairo_restore(cr);
  }
  return canvas.ToImage();
}

// Soot over the wreck: dark blotches from value noise, only where there is
// already paint.
void Scorch(Image& image, uint64_t seed) {
  ValueNoise noise(seed);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      uint8_t* p = image.At(x, y);
      if (p[3] == 0) continue;
      // Burnt hardest from below, where the fire was, in ragged patches.
      const double n = noise.Fractal(x / 6.0, y / 6.0, 3);
      const double low = std::clamp((y - 30) / 30.0, 0.0, 1.0);
      const double soot = std::clamp(0.18 + (n - 0.45) * 2.0 + low * 0.45, 0.0, 0.85);
      for (int i = 0; i < 3; ++i) {
        const double burnt = i == 0 ? 34 : (i == 1 ? 24 : 22);
        p[i] = static_cast<uint8_t>(std::lround(p[i] * (1 - soot) + burnt * soot));
      }
    }
  }
}

Image WreckPicture() {
  Canvas canvas(64, 64);
  cairo_t* cr = canvas.Cr();
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);

  // A torn solar wing flung to the left, lying on the ground.
  cairo_save(cr);
  cairo_translate(cr, 12, 60.5);
  cairo_rotate(cr, -0.22);
  cairo_rectangle(cr, -9, -2.5, 15, 5);
  SetColour(cr, ink::kSolarBlue);
  cairo_fill_preserve(cr);
  SetColour(cr, ink::kMetalDark);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);
  cairo_move_to(cr, -4, -2.5);
  cairo_line_to(cr, -4, 2.5);
  cairo_move_to(cr, 1, -2.5);
  cairo_line_to(cr, 1, 2.5);
  SetColour(cr, ink::kSolarLine, 0.6);
  cairo_set_line_width(cr, 0.5);
  cairo_stroke(cr);
  cairo_restore(cr);

  // The crumpled lander, tipped over to the right, resting on its side.
  cairo_save(cr);
  cairo_translate(cr, kCx - 1, 46);
  cairo_rotate(cr, 0.36);
  cairo_translate(cr, -kCx, -30);
  // A snapped leg pointing up in the air.
  cairo_move_to(cr, 19, 41);
  cairo_line_to(cr, 10, 47);
  cairo_line_to(cr, 6, 45);
  SetColour(cr, ink::kMetalDark);
  cairo_set_line_width(cr, 1.8);
  cairo_stroke(cr);
  DescentStage(cr);
  Body(cr);
  // Cracks and a caved-in corner where it hit.
  cairo_move_to(cr, 46, 24);
  cairo_line_to(cr, 41, 27);
  cairo_line_to(cr, 43, 31);
  cairo_line_to(cr, 39, 36);
  cairo_move_to(cr, 18, 30);
  cairo_line_to(cr, 23, 33);
  cairo_line_to(cr, 21, 37);
  SetColour(cr, ink::kOutline, 0.85);
  cairo_set_line_width(cr, 0.9);
  cairo_stroke(cr);
  cairo_move_to(cr, 46, 35);
  cairo_line_to(cr, 41, 35.5);
  cairo_line_to(cr, 42, 39.5);
  cairo_close_path(cr);
  SetColour(cr, ink::kOutline);
  cairo_fill(cr);
  cairo_restore(cr);

  // The other leg, bent flat under the wreck.
  cairo_move_to(cr, 42, 60);
  cairo_line_to(cr, 52, 61);
  cairo_line_to(cr, 58, 58.5);
  SetColour(cr, ink::kMetalLight);
  cairo_set_line_width(cr, 1.6);
  cairo_stroke(cr);
  // A shard of the shell and twisted debris at the foot of the wreck.
  cairo_move_to(cr, 20, 64);
  cairo_line_to(cr, 24, 57);
  cairo_line_to(cr, 31, 59);
  cairo_line_to(cr, 30, 64);
  cairo_close_path(cr);
  FillAcross(cr, 20, 31, ink::kShellWhite, ink::kShellShadow, ink::kMetalDark, true);
  Outline(cr, 0.6);
  cairo_move_to(cr, 47, 64);
  cairo_line_to(cr, 50, 60);
  cairo_line_to(cr, 56, 61.5);
  cairo_line_to(cr, 58, 64);
  cairo_close_path(cr);
  SetColour(cr, ink::kOrangeShadow);
  cairo_fill_preserve(cr);
  Outline(cr, 0.6);

  Image image = canvas.ToImage();
  Scorch(image, 77);
  // Embers still glowing in the deepest cracks.
  Canvas glow(64, 64);
  glow.Paint(image, 0, 0);
  cairo_t* g = glow.Cr();
  const double embers[][3] = {{27, 50, 3.2}, {39, 55, 2.6}, {33, 60, 2.2}, {21, 61, 1.6}};
  for (const auto& e : embers) {
    cairo_pattern_t* p = cairo_pattern_create_radial(e[0], e[1], 0, e[0], e[1], e[2]);
    cairo_pattern_add_color_stop_rgba(p, 0, 1.0, 0.85, 0.45, 0.95);
    cairo_pattern_add_color_stop_rgba(p, 0.5, 1.0, 0.42, 0.08, 0.6);
    cairo_pattern_add_color_stop_rgba(p, 1, 0.6, 0.1, 0.0, 0.0);
    cairo_set_source(g, p);
    cairo_arc(g, e[0], e[1], e[2], 0, 2 * M_PI);
    cairo_fill(g);
    cairo_pattern_destroy(p);
  }
  return glow.ToImage();
}

// Fine detail at 64 px: uncompressed keeps the white, orange and outline
// from bleeding into one another inside 4 x 4 blocks.
const RegisterAsset kLander("lander.dds", [](const std::string& path) {
  Image sheet = LanderSheet();
  // The unfolded lander stands on row 63: both feet must reach it, and
  // nothing may hang below the body's middle between them.
  Require(MinAlpha(sheet, 5, 63, 5, 1) == 255 && MinAlpha(sheet, 54, 63, 5, 1) == 255, "lander.dds",
          "the unfolded lander's feet must touch row 63");
  Require(MaxAlpha(sheet, 20, 58, 24, 6) == 0, "lander.dds",
          "the space between the legs must stay clear for the exhaust");
  // The body sits on x 32: the closed pod's silhouette is symmetric.
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 32; ++x)
      Require(std::abs(sheet.At(192 + x, y)[3] - sheet.At(192 + 63 - x, y)[3]) < 40 ||
                  (y > 34 && y < 44),  // the rim's thruster nozzles differ by a pixel
              "lander.dds", "the closed pod must be centred on x 32");
  WriteDds(path, sheet, DdsFormat::kArgb8888);
});
const RegisterAsset kLanderBroke("lander_broke.dds", [](const std::string& path) {
  WriteDds(path, WreckPicture(), DdsFormat::kArgb8888);
});

}  // namespace
}  // namespace artworld
