// The two help pictures of the first rounds: the keys (drawn at 350, 10) and
// the hints on how to win (drawn at 20, 10). They fade out as the probe
// falls, over a sky that is still nearly black.
//
// Both stay inside one band of rows: the status panels in the top corners
// cover the pictures' first 36 rows, and the camera holds the falling probe
// at screen rows 200..264, right under the pictures' rows 190..254. So the
// bottom third stays empty and the backdrop is only a faint wash: the
// lettering carries its own dark outline, and whatever drifts behind the
// pictures still shows through.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "art_screens_common.h"
#include "asset_registry.h"
#include "file_writers.h"

namespace artscreens {
namespace {

constexpr int kSize = 256;
// The band the content lives in, rows inclusive.
constexpr int kBandTop = 36;
constexpr int kBandBottom = 178;
// The wash stays well below opaque so the sky, the clouds and a probe that
// strays under it keep showing.
constexpr double kWashTopAlpha = 0.30;
constexpr double kWashBottomAlpha = 0.20;
// The small print: a paler haze than the screens' own, since it no longer
// sits on a dark panel of its own.
constexpr Rgb kSmallPrint{0.88, 0.84, 0.95};

void PaintWash(cairo_t* cr) {
  const double top = kBandTop + 2.5, height = kBandBottom - kBandTop - 2;
  RoundedRectPath(cr, 4.5, top, kSize - 9, height, 9);
  cairo_pattern_t* wash = cairo_pattern_create_linear(0, top, 0, top + height);
  AddStop(wash, 0, palette::kPanel, kWashTopAlpha);
  AddStop(wash, 1, palette::kPanel, kWashBottomAlpha);
  cairo_set_source(cr, wash);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(wash);
  SetRgb(cr, palette::kLavender, 0.30);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

// The title on a small orange tab inside the wash's top edge.
void PaintTitle(cairo_t* cr, const char* title) {
  SelectFont(cr, 10, true);
  const double width = TrackedTextWidth(cr, title, 2.4);
  RoundedRectPath(cr, 12, kBandTop + 6, width + 18, 15, 4);
  SetRgb(cr, palette::kProbeOrange);
  cairo_fill(cr);
  TrackedTextPath(cr, title, 21, kBandTop + 17.5, 2.4);
  SetRgb(cr, palette::kSpace);
  cairo_fill(cr);
}

// A dark rim around everything drawn so far, so the lettering reads over
// black space, bright stars and pale clouds alike.
Image DarkRim(const Image& ink) {
  Image silhouette(ink.width, ink.height);
  const uint8_t dark[3] = {static_cast<uint8_t>(palette::kSpace.r * 255),
                           static_cast<uint8_t>(palette::kSpace.g * 255),
                           static_cast<uint8_t>(palette::kSpace.b * 255)};
  for (size_t i = 0; i < ink.rgba.size(); i += 4) {
    std::memcpy(&silhouette.rgba[i], dark, 3);
    silhouette.rgba[i + 3] = ink.rgba[i + 3];
  }
  // A tight rim keeps even the thin small print crisp over pale cloud; a
  // wider, fainter one softens it into a shadow. The blur thins the alpha
  // out, so both are lifted, but never to fully opaque.
  Image rim = Blurred(silhouette, 1);
  const Image soft = Blurred(silhouette, 3);
  for (size_t i = 3; i < rim.rgba.size(); i += 4) {
    const double tight = std::min(230.0, rim.rgba[i] * 3.0);
    const double wide = std::min(150.0, soft.rgba[i] * 1.8);
    rim.rgba[i] = static_cast<uint8_t>(std::max(tight, wide));
  }
  return rim;
}

// Wash, then the rim, then the content; rows outside the band are cleared
// to be sure nothing bleeds over the probe or under the status panels.
void WriteHelp(const std::string& path, void (*paintContent)(cairo_t*)) {
  Canvas content(kSize, kSize);
  paintContent(content.Cr());
  const Image ink = content.ToImage();

  Canvas canvas(kSize, kSize);
  PaintWash(canvas.Cr());
  canvas.Paint(DarkRim(ink), 0, 0);
  canvas.Paint(ink, 0, 0);
  Image image = canvas.ToImage();
  for (int y = 0; y < kSize; ++y) {
    if (y >= kBandTop && y <= kBandBottom) continue;
    std::memset(image.At(0, y), 0, static_cast<size_t>(kSize) * 4);
  }
  WriteDds(path, image, DdsFormat::kArgb8888);
}

// A keyboard key seen from slightly above: face, darker skirt, a soft
// highlight along the top.
void PaintKeycap(cairo_t* cr, double x, double y, double w, double h) {
  RoundedRectPath(cr, x, y + 2, w, h, 3.5);
  SetRgb(cr, Rgb{0.30, 0.29, 0.40});
  cairo_fill(cr);
  RoundedRectPath(cr, x, y, w, h - 1, 3.5);
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
  cairo_scale(cr, 0.85, 0.85);
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
  SelectFont(cr, 8.5, true);
  const double width = TrackedTextWidth(cr, text, 0.7);
  TrackedTextPath(cr, text, x + (w - width) / 2, y + h / 2 + 3, 0.7);
  SetRgb(cr, palette::kSpace);
  cairo_fill(cr);
}

void PaintAction(cairo_t* cr, const char* text, double x, double baseline, Rgb colour,
                 double size = 11.5) {
  SelectFont(cr, size, true);
  TrackedTextPath(cr, text, x, baseline, 1.1);
  SetRgb(cr, colour);
  cairo_fill(cr);
}

void PaintNote(cairo_t* cr, const char* text, double x, double baseline) {
  SelectFont(cr, 9.5, false);
  cairo_move_to(cr, x, baseline);
  cairo_text_path(cr, text);
  SetRgb(cr, kSmallPrint);
  cairo_fill(cr);
}

void PaintKeysContent(cairo_t* cr) {
  PaintTitle(cr, "CONTROLS");
  constexpr double kKey = 20, kGap = 3;
  // Thrusters: the arrow keys in their usual inverted T; the down arrow is
  // the parachute's, so only its outline shows here.
  const double tx = 14, ty = 63;
  const double by = ty + kKey + kGap;
  PaintKeycap(cr, tx + kKey + kGap, ty, kKey, kKey);
  PaintArrow(cr, tx + kKey * 1.5 + kGap, ty + kKey / 2 - 0.5, 0);
  PaintKeycap(cr, tx, by, kKey, kKey);
  PaintArrow(cr, tx + kKey / 2, by + kKey / 2 - 0.5, -M_PI / 2);
  RoundedRectPath(cr, tx + kKey + kGap + 0.5, by + 0.5, kKey - 1, kKey - 1, 3.5);
  SetRgb(cr, palette::kLavender, 0.45);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  PaintKeycap(cr, tx + 2 * (kKey + kGap), by, kKey, kKey);
  PaintArrow(cr, tx + kKey * 2.5 + 2 * kGap, by + kKey / 2 - 0.5, M_PI / 2);
  constexpr double kActionX = 104;
  PaintAction(cr, "MAIN ENGINE", kActionX, ty + 14, palette::kCream);
  PaintAction(cr, "SIDE JETS", kActionX, by + 14, palette::kCream);
  SetRgb(cr, palette::kProbeOrange, 0.85);
  cairo_set_line_width(cr, 1);
  cairo_move_to(cr, tx + 2 * kKey + kGap + 4, ty + 9.5);
  cairo_line_to(cr, kActionX - 6, ty + 9.5);
  cairo_move_to(cr, tx + 3 * kKey + 2 * kGap + 4, by + 9.5);
  cairo_line_to(cr, kActionX - 6, by + 9.5);
  cairo_stroke(cr);

  // Parachute: Space or the down arrow.
  const double py = 114;
  PaintKeycap(cr, tx, py, 42, kKey);
  PaintKeyLabel(cr, "SPACE", tx, py - 1, 42, kKey);
  SelectFont(cr, 9, true);
  cairo_move_to(cr, tx + 46, py + 13);
  cairo_text_path(cr, "or");
  SetRgb(cr, kSmallPrint);
  cairo_fill(cr);
  const double downX = tx + 59;
  PaintKeycap(cr, downX, py, kKey, kKey);
  PaintArrow(cr, downX + kKey / 2, py + kKey / 2 - 0.5, M_PI);
  PaintAction(cr, "PARACHUTE", kActionX, py + 9, palette::kCream);
  PaintNote(cr, "open, then cut loose", kActionX, py + 21.5);

  // Giving up and starting over, side by side.
  const double ey = 148;
  PaintKeycap(cr, tx, ey, 32, kKey);
  PaintKeyLabel(cr, "ESC", tx, ey - 1, 32, kKey);
  PaintAction(cr, "GIVE UP", tx + 38, ey + 14, palette::kCream, 10.5);
  const double rx = 122;
  PaintKeycap(cr, rx, ey, 46, kKey);
  PaintKeyLabel(cr, "RETURN", rx, ey - 1, 46, kKey);
  PaintAction(cr, "RESTART", rx + 52, ey + 14, palette::kCream, 10.5);
}

void PaintHintsContent(cairo_t* cr) {
  PaintTitle(cr, "MISSION");
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
  // The goal rides on the title's line, right-aligned, so the four steps
  // get room to breathe.
  SelectFont(cr, 8.5, true);
  const char* goal = "FASTEST FLIGHT WINS";
  const double goalWidth = TrackedTextWidth(cr, goal, 1.3);
  TrackedTextPath(cr, goal, kSize - 13 - goalWidth, kBandTop + 17, 1.3);
  SetRgb(cr, palette::kHudOrange);
  cairo_fill(cr);
  double y = 74;
  int number = 1;
  for (const Step& step : steps) {
    cairo_arc(cr, 22, y - 4, 7.5, 0, 2 * M_PI);
    SetRgb(cr, palette::kProbeOrange);
    cairo_fill(cr);
    SelectFont(cr, 10, true);
    const std::string digit = std::to_string(number++);
    cairo_text_extents_t e;
    cairo_text_extents(cr, digit.c_str(), &e);
    cairo_move_to(cr, 22 - e.x_advance / 2, y);
    cairo_text_path(cr, digit.c_str());
    SetRgb(cr, palette::kSpace);
    cairo_fill(cr);
    PaintAction(cr, step.head, 38, y, palette::kCream, 11);
    PaintNote(cr, step.detail, 38, y + 11.5);
    y += 27;
  }
}

void WriteKeys(const std::string& path) { WriteHelp(path, PaintKeysContent); }
void WriteHints(const std::string& path) { WriteHelp(path, PaintHintsContent); }

const RegisterAsset kKeys("keys.dds", WriteKeys);
const RegisterAsset kHints("hints.dds", WriteHints);

}  // namespace
}  // namespace artscreens
