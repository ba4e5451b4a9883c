// The window and desktop icon: the probe under its canopy, coming down over
// the desert at dusk, on a rounded tile. Big simple shapes so it still reads
// at 32 px.
#include <cmath>
#include <string>

#include "art_screens_common.h"
#include "asset_registry.h"
#include "file_writers.h"

namespace artscreens {
namespace {

constexpr int kSize = 256;

void WriteIcon(const std::string& path) {
  Canvas canvas(kSize, kSize);
  cairo_t* cr = canvas.Cr();
  constexpr double kInset = 8, kRadius = 46, kHorizon = 200;
  RoundedRectPath(cr, kInset, kInset, kSize - 2 * kInset, kSize - 2 * kInset, kRadius);
  cairo_save(cr);
  cairo_clip_preserve(cr);
  PaintSky(cr, kSize, kHorizon);
  ArtRandom rnd(5);
  PaintStars(cr, rnd, 40, 0, 0, kSize, kHorizon, kHorizon * 0.8);
  PaintDesert(cr, rnd, kSize, kSize, kHorizon);
  PaintProbe(cr, 128, 200, 1.1, true);
  cairo_restore(cr);
  // A bright rim and a thin dark outline keep the tile crisp on any desktop.
  SetRgb(cr, palette::kSpace, 0.9);
  cairo_set_line_width(cr, 3);
  cairo_stroke_preserve(cr);
  SetRgb(cr, palette::kHaze, 0.5);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  WritePng(path, canvas.ToImage());
}

const RegisterAsset kIcon("icon.png", WriteIcon);

}  // namespace
}  // namespace artscreens
