// The three menu buttons. Each file is a whole 512 x 512 layer drawn at the
// screen's top-left corner, so each button's artwork sits at its own place
// in a column on the left of the menu picture. The menu draws the chosen one
// at full strength and the others at 60 %, so the artwork is bright and
// saturated: dimmed, it clearly recedes.
#include <cmath>
#include <string>

#include "art_screens_common.h"
#include "asset_registry.h"
#include "file_writers.h"

namespace artscreens {
namespace {

constexpr int kSize = 512;
constexpr double kLeft = 58;
constexpr double kWidth = 322;
constexpr double kHeight = 54;
constexpr double kTop = 174;
constexpr double kPitch = 70;
constexpr double kTab = 50;  // the orange block that holds the icon

enum class Icon { kLaunch, kTable, kExit };

void PaintIcon(cairo_t* cr, Icon icon, double cx, double cy) {
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  SetRgb(cr, palette::kCream);
  switch (icon) {
    case Icon::kLaunch:  // a chevron pointing on
      cairo_move_to(cr, cx - 6, cy - 11);
      cairo_line_to(cr, cx + 9, cy);
      cairo_line_to(cr, cx - 6, cy + 11);
      cairo_close_path(cr);
      cairo_fill(cr);
      break;
    case Icon::kTable:  // ranked rows, longest first
      for (int i = 0; i < 3; ++i) {
        cairo_rectangle(cr, cx - 10, cy - 10 + i * 8, 4, 4);
        cairo_rectangle(cr, cx - 3, cy - 10 + i * 8, 14 - i * 3, 4);
      }
      cairo_fill(cr);
      break;
    case Icon::kExit:  // the power symbol
      cairo_set_line_width(cr, 3.2);
      cairo_arc(cr, cx, cy + 1, 9, -M_PI / 2 + 0.75, -M_PI / 2 - 0.75 + 2 * M_PI);
      cairo_stroke(cr);
      cairo_move_to(cr, cx, cy - 11);
      cairo_line_to(cr, cx, cy - 1);
      cairo_stroke(cr);
      break;
  }
}

void PaintButton(Canvas& canvas, int index, const std::string& label, Icon icon) {
  cairo_t* cr = canvas.Cr();
  const double x = kLeft, y = kTop + index * kPitch;

  // A warm halo, so the chosen button glows over the dusk.
  {
    constexpr int kMargin = 24;
    Canvas halo(static_cast<int>(kWidth) + 2 * kMargin, static_cast<int>(kHeight) + 2 * kMargin);
    RoundedRectPath(halo.Cr(), kMargin, kMargin, kWidth, kHeight, 10);
    SetRgb(halo.Cr(), palette::kProbeOrange, 0.55);
    cairo_fill(halo.Cr());
    canvas.Paint(Blurred(halo.ToImage(), 7), x - kMargin, y - kMargin);
  }

  // The plate: deep navy glass with a lavender rim.
  RoundedRectPath(cr, x, y, kWidth, kHeight, 10);
  cairo_pattern_t* plate = cairo_pattern_create_linear(0, y, 0, y + kHeight);
  AddStop(plate, 0, Rgb{0.16, 0.15, 0.34}, 0.95);
  AddStop(plate, 0.5, Rgb{0.06, 0.06, 0.17}, 0.95);
  AddStop(plate, 1, Rgb{0.10, 0.07, 0.20}, 0.95);
  cairo_set_source(cr, plate);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(plate);
  SetRgb(cr, palette::kLavender, 0.9);
  cairo_set_line_width(cr, 1.6);
  cairo_stroke(cr);

  // The orange tab with the icon, cut on a slant towards the label.
  cairo_save(cr);
  RoundedRectPath(cr, x, y, kWidth, kHeight, 10);
  cairo_clip(cr);
  cairo_move_to(cr, x, y);
  cairo_line_to(cr, x + kTab + 10, y);
  cairo_line_to(cr, x + kTab - 4, y + kHeight);
  cairo_line_to(cr, x, y + kHeight);
  cairo_close_path(cr);
  cairo_pattern_t* tab = cairo_pattern_create_linear(0, y, 0, y + kHeight);
  AddStop(tab, 0, Rgb{1.0, 0.66, 0.30});
  AddStop(tab, 0.5, palette::kProbeOrange);
  AddStop(tab, 1, Rgb{0.80, 0.30, 0.08});
  cairo_set_source(cr, tab);
  cairo_fill(cr);
  cairo_pattern_destroy(tab);
  // Glassy sheen over the top half.
  cairo_rectangle(cr, x, y, kWidth, kHeight * 0.45);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.07);
  cairo_fill(cr);
  cairo_restore(cr);
  PaintIcon(cr, icon, x + kTab / 2 + 1, y + kHeight / 2);

  // The label.
  SelectFont(cr, 21, true);
  const double baseline = y + kHeight / 2 + 7.5;
  TrackedTextPath(cr, label, x + kTab + 22, baseline + 1.5, 3);
  SetRgb(cr, palette::kSpace, 0.8);
  cairo_fill(cr);
  TrackedTextPath(cr, label, x + kTab + 22, baseline, 3);
  SetRgb(cr, palette::kCream);
  cairo_fill(cr);

  // Three slanted stripes at the right end, in the probe's colours.
  for (int i = 0; i < 3; ++i) {
    const double sx = x + kWidth - 40 + i * 9;
    cairo_move_to(cr, sx + 6, y + 14);
    cairo_line_to(cr, sx + 11, y + 14);
    cairo_line_to(cr, sx + 5, y + kHeight - 14);
    cairo_line_to(cr, sx, y + kHeight - 14);
    cairo_close_path(cr);
    SetRgb(cr, i == 2 ? palette::kLavender : palette::kProbeOrange, 0.9 - i * 0.15);
    cairo_fill(cr);
  }
}

void WriteButton(const std::string& path, int index, const std::string& label, Icon icon) {
  Canvas canvas(kSize, kSize);
  PaintButton(canvas, index, label, icon);
  WriteDds(path, canvas.ToImage(), DdsFormat::kDxt5);
}

const RegisterAsset kNewGame("b_newgame.dds", [](const std::string& path) {
  WriteButton(path, 0, "NEW GAME", Icon::kLaunch);
});
const RegisterAsset kHighScores("b_highscores.dds", [](const std::string& path) {
  WriteButton(path, 1, "HIGH SCORES", Icon::kTable);
});
const RegisterAsset kExit("b_exit.dds", [](const std::string& path) {
  WriteButton(path, 2, "EXIT", Icon::kExit);
});

}  // namespace
}  // namespace artscreens
