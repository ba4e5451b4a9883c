// The two help pictures of the first rounds: the keys (drawn at 350, 10) and
// the hints on how to win (drawn at 20, 10). They fade out as the probe
// falls, over a sky that is still nearly black. The status panels in the top
// corners cover the pictures' first 45 rows or so, so both panels start
// below them; the probe falls between the two pictures.
#include <cmath>
#include <string>

#include "art_screens_common.h"
#include "asset_registry.h"
#include "file_writers.h"

namespace artscreens {
namespace {

constexpr int kSize = 256;
constexpr double kPanelTop = 50;

void PaintPanel(cairo_t* cr, const char* title) {
  RoundedRectPath(cr, 4, kPanelTop, 248, kSize - kPanelTop - 4, 10);
  SetRgb(cr, palette::kPanel, 0.62);
  cairo_fill_preserve(cr);
  SetRgb(cr, palette::kLavender, 0.55);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  // The title on an orange tab at the panel's top edge.
  SelectFont(cr, 11, true);
  const double width = TrackedTextWidth(cr, title, 2.5);
  RoundedRectPath(cr, 14, kPanelTop - 8, width + 20, 17, 4);
  SetRgb(cr, palette::kProbeOrange);
  cairo_fill(cr);
  TrackedTextPath(cr, title, 24, kPanelTop + 4.5, 2.5);
  SetRgb(cr, palette::kSpace);
  cairo_fill(cr);
}

// A keyboard key seen from slightly above: face, darker skirt, a soft
// highlight along the top.
void PaintKeycap(cairo_t* cr, double x, double y, double w, double h) {
  RoundedRectPath(cr, x, y + 2, w, h, 4);
  SetRgb(cr, Rgb{0.30, 0.29, 0.40});
  cairo_fill(cr);
  RoundedRectPath(cr, x, y, w, h - 1, 4);
  cairo_pattern_t* face = cairo_pattern_create_linear(0, y, 0, y + h);
  AddStop(face, 0, Rgb{0.97, 0.96, 0.99});
  AddStop(face, 1, Rgb{0.76, 0.75, 0.84});
  cairo_set_source(cr, face);
  cairo_fill(cr);
  cairo_pattern_destroy(face);
}

void PaintArrow(cairo_t* cr, double cx, double cy, double angle) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_rotate(cr, angle);
  cairo_move_to(cr, 0, -6);
  cairo_line_to(cr, 6, 1);
  cairo_line_to(cr, 2.2, 1);
  cairo_line_to(cr, 2.2, 6);
  cairo_line_to(cr, -2.2, 6);
  cairo_line_to(cr, -2.2, 1);
  cairo_line_to(cr, -6, 1);
  cairo_close_path(cr);
  SetRgb(cr, palette::kSpace);
  cairo_fill(cr);
  cairo_restore(cr);
}

void PaintKeyLabel(cairo_t* cr, const char* text, double x, double y, double w, double h) {
  SelectFont(cr, 9, true);
  const double width = TrackedTextWidth(cr, text, 0.8);
  TrackedTextPath(cr, text, x + (w - width) / 2, y + h / 2 + 3, 0.8);
  SetRgb(cr, palette::kSpace);
  cairo_fill(cr);
}

void PaintAction(cairo_t* cr, const char* text, double x, double baseline, Rgb colour) {
  SelectFont(cr, 11.5, true);
  TrackedTextPath(cr, text, x, baseline, 1.2);
  SetRgb(cr, colour);
  cairo_fill(cr);
}

void WriteKeys(const std::string& path) {
  Canvas canvas(kSize, kSize);
  cairo_t* cr = canvas.Cr();
  PaintPanel(cr, "CONTROLS");
  constexpr double kKey = 24;
  // Thrusters: the arrow keys in their usual inverted T; the down arrow is
  // the parachute's, so it stays dim here.
  const double tx = 18, ty = 68;
  PaintKeycap(cr, tx + kKey + 3, ty, kKey, kKey);
  PaintArrow(cr, tx + kKey * 1.5 + 3, ty + kKey / 2 - 1, 0);
  PaintKeycap(cr, tx, ty + kKey + 4, kKey, kKey);
  PaintArrow(cr, tx + kKey / 2, ty + kKey * 1.5 + 3, -M_PI / 2);
  RoundedRectPath(cr, tx + kKey + 3, ty + kKey + 4, kKey, kKey, 4);
  SetRgb(cr, palette::kLavender, 0.3);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  PaintKeycap(cr, tx + 2 * kKey + 6, ty + kKey + 4, kKey, kKey);
  PaintArrow(cr, tx + kKey * 2.5 + 6, ty + kKey * 1.5 + 3, M_PI / 2);
  PaintAction(cr, "MAIN ENGINE", 112, ty + 16, palette::kCream);
  PaintAction(cr, "SIDE JETS", 112, ty + kKey + 20, palette::kCream);
  SetRgb(cr, palette::kProbeOrange, 0.8);
  cairo_set_line_width(cr, 1);
  cairo_move_to(cr, tx + 2 * kKey + 8, ty + 12.5);
  cairo_line_to(cr, 106, ty + 12.5);
  cairo_move_to(cr, tx + 3 * kKey + 10, ty + kKey + 16.5);
  cairo_line_to(cr, 106, ty + kKey + 16.5);
  cairo_stroke(cr);

  // Parachute: Space or the down arrow.
  const double py = 134;
  PaintKeycap(cr, 18, py, 52, kKey);
  PaintKeyLabel(cr, "SPACE", 18, py - 1, 52, kKey);
  SelectFont(cr, 9, true);
  cairo_move_to(cr, 74, py + 16);
  SetRgb(cr, palette::kHaze);
  cairo_show_text(cr, "or");
  PaintKeycap(cr, 88, py, kKey, kKey);
  PaintArrow(cr, 88 + kKey / 2, py + kKey / 2 - 1, M_PI);
  PaintAction(cr, "PARACHUTE", 124, py + 11, palette::kCream);
  SelectFont(cr, 9.5, false);
  cairo_move_to(cr, 124, py + 24);
  SetRgb(cr, palette::kHaze);
  cairo_show_text(cr, "open, then cut loose");

  // Giving up and starting over.
  const double ey = 178;
  PaintKeycap(cr, 18, ey, 52, kKey);
  PaintKeyLabel(cr, "ESC", 18, ey - 1, 52, kKey);
  PaintAction(cr, "GIVE UP", 88, ey + 16, palette::kCream);
  const double ry = 212;
  PaintKeycap(cr, 18, ry, 52, kKey);
  PaintKeyLabel(cr, "RETURN", 18, ry - 1, 52, kKey);
  PaintAction(cr, "RESTART", 88, ry + 16, palette::kCream);
  WriteDds(path, canvas.ToImage(), DdsFormat::kArgb8888);
}

void WriteHints(const std::string& path) {
  Canvas canvas(kSize, kSize);
  cairo_t* cr = canvas.Cr();
  PaintPanel(cr, "MISSION");
  struct Step {
    const char* head;
    const char* detail;
  };
  const Step steps[] = {
      {"OPEN THE PARACHUTE", "before the heat burns you up"},
      {"CUT IT LOOSE LOW", "the probe unfolds and flies"},
      {"TOUCH ALL THREE PADS", "each refuels and repairs"},
      {"CLIMB TO 100 M", "and hold while the data is sent"},
  };
  double y = 76;
  int number = 1;
  for (const Step& step : steps) {
    cairo_arc(cr, 24, y - 4, 9, 0, 2 * M_PI);
    SetRgb(cr, palette::kProbeOrange);
    cairo_fill(cr);
    SelectFont(cr, 11, true);
    const std::string digit = std::to_string(number++);
    cairo_text_extents_t e;
    cairo_text_extents(cr, digit.c_str(), &e);
    cairo_move_to(cr, 24 - e.x_advance / 2, y);
    SetRgb(cr, palette::kSpace);
    cairo_show_text(cr, digit.c_str());
    PaintAction(cr, step.head, 42, y, palette::kCream);
    SelectFont(cr, 10, false);
    cairo_move_to(cr, 42, y + 14);
    SetRgb(cr, palette::kHaze);
    cairo_show_text(cr, step.detail);
    y += 42;
  }
  PaintCentredText(cr, "FASTEST FLIGHT WINS", 128, 244, 10, true, 2.5, palette::kHudOrange);
  WriteDds(path, canvas.ToImage(), DdsFormat::kArgb8888);
}

const RegisterAsset kKeys("keys.dds", WriteKeys);
const RegisterAsset kHints("hints.dds", WriteHints);

}  // namespace
}  // namespace artscreens
