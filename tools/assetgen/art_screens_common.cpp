#include "art_screens_common.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace artscreens {

void SetRgb(cairo_t* cr, Rgb c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

void AddStop(cairo_pattern_t* p, double offset, Rgb c, double alpha) {
  cairo_pattern_add_color_stop_rgba(p, offset, c.r, c.g, c.b, alpha);
}

void PaintSky(cairo_t* cr, int width, double horizonY) {
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, horizonY);
  AddStop(sky, 0.0, palette::kSpace);
  AddStop(sky, 0.42, palette::kNight);
  AddStop(sky, 0.72, Rgb{0.22, 0.20, 0.45});
  AddStop(sky, 0.90, palette::kLavender);
  AddStop(sky, 1.0, palette::kHaze);
  cairo_set_source(cr, sky);
  cairo_rectangle(cr, 0, 0, width, horizonY + 2);
  cairo_fill(cr);
  cairo_pattern_destroy(sky);
}

void PaintStars(cairo_t* cr, ArtRandom& rnd, int count, double x, double y, double w, double h,
                double fadeToY) {
  for (int i = 0; i < count; ++i) {
    const double sx = x + rnd.Uniform() * w;
    const double sy = y + rnd.Uniform() * h;
    const double size = rnd.Uniform();
    const double warmth = rnd.Uniform();
    const double fade = std::clamp(1.0 - (sy - y) / std::max(1.0, fadeToY - y), 0.0, 1.0);
    const double alpha = (0.35 + 0.65 * rnd.Uniform()) * fade;
    if (alpha < 0.03) continue;
    const Rgb tint = warmth < 0.2   ? Rgb{1.0, 0.85, 0.7}
                     : warmth < 0.4 ? Rgb{0.75, 0.82, 1.0}
                                    : Rgb{1.0, 1.0, 1.0};
    const double radius = 0.45 + size * size * 1.1;
    SetRgb(cr, tint, alpha);
    cairo_arc(cr, sx, sy, radius, 0, 2 * M_PI);
    cairo_fill(cr);
    // A few of the brightest get a soft halo and a faint cross.
    if (size > 0.93 && fade > 0.5) {
      cairo_pattern_t* halo = cairo_pattern_create_radial(sx, sy, 0, sx, sy, radius * 5);
      AddStop(halo, 0, tint, 0.35 * alpha);
      AddStop(halo, 1, tint, 0);
      cairo_set_source(cr, halo);
      cairo_arc(cr, sx, sy, radius * 5, 0, 2 * M_PI);
      cairo_fill(cr);
      cairo_pattern_destroy(halo);
      SetRgb(cr, tint, 0.35 * alpha);
      cairo_set_line_width(cr, 0.8);
      cairo_move_to(cr, sx - radius * 6, sy);
      cairo_line_to(cr, sx + radius * 6, sy);
      cairo_move_to(cr, sx, sy - radius * 6);
      cairo_line_to(cr, sx, sy + radius * 6);
      cairo_stroke(cr);
    }
  }
}

namespace {

// One skyline of flat-topped mesas: heights along x, 0 where there is none.
std::vector<double> MesaProfile(ArtRandom& rnd, int width, double maxHeight, double density) {
  std::vector<double> height(static_cast<size_t>(width) + 1, 0.0);
  double x = -rnd.Range(0, 80);
  while (x < width) {
    const double w = rnd.Range(50, 170);
    const double h = maxHeight * rnd.Range(0.35, 1.0);
    const double slope = rnd.Range(6, 16);
    for (int px = std::max(0, static_cast<int>(x)); px <= width && px < x + w; ++px) {
      const double edge = std::min(px - x, x + w - px);
      const double top = h * std::min(1.0, edge / slope) * (1.0 - 0.04 * std::sin(px * 0.31));
      height[static_cast<size_t>(px)] = std::max(height[static_cast<size_t>(px)], top);
    }
    x += w * rnd.Range(0.5, 1.0) + rnd.Range(0, 1 - density) * 220;
  }
  return height;
}

void FillProfile(cairo_t* cr, const std::vector<double>& height, double baseY, double bottomY) {
  cairo_move_to(cr, 0, bottomY);
  for (size_t x = 0; x < height.size(); ++x) cairo_line_to(cr, x, baseY - height[x]);
  cairo_line_to(cr, static_cast<double>(height.size() - 1), bottomY);
  cairo_close_path(cr);
  cairo_fill(cr);
}

}  // namespace

void PaintDesert(cairo_t* cr, ArtRandom& rnd, int width, int height, double horizonY) {
  // The desert floor: pale, hazy ochre at the horizon, deep rust at our feet.
  cairo_pattern_t* ground = cairo_pattern_create_linear(0, horizonY + 4, 0, height);
  AddStop(ground, 0, Rgb{0.86, 0.64, 0.46});
  AddStop(ground, 0.25, palette::kOchre);
  AddStop(ground, 0.7, Rgb{0.66, 0.33, 0.16});
  AddStop(ground, 1, palette::kDeepRust);
  cairo_set_source(cr, ground);
  cairo_rectangle(cr, 0, horizonY - 1, width, height - horizonY + 1);
  cairo_fill(cr);
  cairo_pattern_destroy(ground);

  // Far mesas, hazed towards the sky's colour by the distance.
  const auto far = MesaProfile(rnd, width, 34, 0.35);
  cairo_pattern_t* farFill = cairo_pattern_create_linear(0, horizonY - 34, 0, horizonY);
  AddStop(farFill, 0, Rgb{0.60, 0.44, 0.58});
  AddStop(farFill, 1, Rgb{0.70, 0.55, 0.62});
  cairo_set_source(cr, farFill);
  FillProfile(cr, far, horizonY, horizonY + 2);
  cairo_pattern_destroy(farFill);

  const auto near = MesaProfile(rnd, width, 22, 0.6);
  cairo_pattern_t* nearFill = cairo_pattern_create_linear(0, horizonY - 22, 0, horizonY + 4);
  AddStop(nearFill, 0, Rgb{0.62, 0.33, 0.25});
  AddStop(nearFill, 1, Rgb{0.50, 0.27, 0.22});
  cairo_set_source(cr, nearFill);
  FillProfile(cr, near, horizonY + 4, horizonY + 6);
  cairo_pattern_destroy(nearFill);

  // Dune ridges: long soft bands, closer together near the horizon.
  const double depth = height - horizonY;
  for (int i = 0; i < 14; ++i) {
    const double t = (i + rnd.Uniform() * 0.6) / 14.0;
    const double y = horizonY + 6 + depth * t * t;
    const double amp = 1 + 5 * t;
    const double phase = rnd.Range(0, 2 * M_PI);
    cairo_move_to(cr, 0, y);
    for (int x = 0; x <= width; x += 8) cairo_line_to(cr, x, y + amp * std::sin(x * 0.012 + phase));
    SetRgb(cr, i % 2 ? Rgb{1.0, 0.82, 0.58} : palette::kDeepRust, 0.10 + 0.10 * t);
    cairo_set_line_width(cr, 0.8 + 2.5 * t);
    cairo_stroke(cr);
  }

  // Scattered rocks, bigger the nearer they lie, each with its shadow.
  for (int i = 0; i < 70; ++i) {
    const double t = std::sqrt(rnd.Uniform());
    const double y = horizonY + 8 + depth * t * 0.95;
    const double x = rnd.Uniform() * width;
    const double r = 0.6 + 5.0 * t * t * rnd.Range(0.4, 1.0);
    SetRgb(cr, palette::kDeepRust, 0.45);
    cairo_save(cr);
    cairo_translate(cr, x + r * 0.9, y + r * 0.35);
    cairo_scale(cr, 1.6, 0.45);
    cairo_arc(cr, 0, 0, r, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
    cairo_pattern_t* rock = cairo_pattern_create_linear(x, y - r, x, y + r * 0.3);
    AddStop(rock, 0, Rgb{0.80, 0.52, 0.33});
    AddStop(rock, 1, Rgb{0.36, 0.16, 0.10});
    cairo_set_source(cr, rock);
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, 1.3, 0.75);
    cairo_arc(cr, 0, 0, r, M_PI, 2 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
    cairo_pattern_destroy(rock);
  }
}

void PaintProbe(cairo_t* cr, double cx, double cy, double scale, bool withParachute) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, scale, scale);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);

  if (withParachute) {
    // Shroud lines from the canopy's rim to the pod's top.
    const double canopyY = -112;
    SetRgb(cr, palette::kCream, 0.75);
    cairo_set_line_width(cr, 0.9);
    for (int i = 0; i <= 6; ++i) {
      const double rimX = -58 + i * (116 / 6.0);
      cairo_move_to(cr, rimX, canopyY + 8 - std::abs(rimX) * 0.1);
      cairo_line_to(cr, 0, -20);
    }
    cairo_stroke(cr);
    // The canopy: orange and white gores, shaded from the light at the left.
    for (int i = 0; i < 6; ++i) {
      const double a0 = M_PI + i * M_PI / 6, a1 = M_PI + (i + 1) * M_PI / 6;
      cairo_move_to(cr, 0, canopyY + 8);
      cairo_arc(cr, 0, canopyY + 8, 60, a0, a1);
      cairo_close_path(cr);
      SetRgb(cr, i % 2 ? palette::kCream : palette::kProbeOrange);
      cairo_fill(cr);
    }
    // Billowing lower rim.
    for (int i = 0; i < 6; ++i) {
      const double x0 = -60 + i * 20;
      cairo_move_to(cr, x0, canopyY + 8);
      cairo_curve_to(cr, x0 + 5, canopyY + 15, x0 + 15, canopyY + 15, x0 + 20, canopyY + 8);
      cairo_line_to(cr, x0, canopyY + 8);
      SetRgb(cr, i % 2 ? Rgb{0.85, 0.80, 0.75} : Rgb{0.78, 0.36, 0.10});
      cairo_fill(cr);
    }
    cairo_pattern_t* shade = cairo_pattern_create_linear(-60, 0, 60, 0);
    cairo_pattern_add_color_stop_rgba(shade, 0, 1, 1, 1, 0.18);
    cairo_pattern_add_color_stop_rgba(shade, 0.5, 0, 0, 0, 0);
    cairo_pattern_add_color_stop_rgba(shade, 1, 0.1, 0.05, 0.2, 0.35);
    cairo_set_source(cr, shade);
    cairo_arc(cr, 0, canopyY + 8, 60, M_PI, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(shade);
  }

  // Antenna.
  SetRgb(cr, Rgb{0.75, 0.75, 0.8});
  cairo_set_line_width(cr, 1.4);
  cairo_move_to(cr, 9, -16);
  cairo_line_to(cr, 14, -27);
  cairo_stroke(cr);
  cairo_arc(cr, 14, -27, 1.8, 0, 2 * M_PI);
  SetRgb(cr, palette::kProbeOrange);
  cairo_fill(cr);

  // The pod: a white shell narrowing to the top.
  cairo_move_to(cr, -13, -18);
  cairo_line_to(cr, 13, -18);
  cairo_curve_to(cr, 17, -18, 20, -4, 20, 4);
  cairo_line_to(cr, -20, 4);
  cairo_curve_to(cr, -20, -4, -17, -18, -13, -18);
  cairo_close_path(cr);
  cairo_pattern_t* shell = cairo_pattern_create_linear(-20, 0, 20, 0);
  AddStop(shell, 0, Rgb{1.0, 1.0, 1.0});
  AddStop(shell, 0.55, Rgb{0.90, 0.90, 0.93});
  AddStop(shell, 1, Rgb{0.55, 0.55, 0.66});
  cairo_set_source(cr, shell);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(shell);
  SetRgb(cr, Rgb{0.15, 0.13, 0.25}, 0.8);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);

  // The orange band and the sensor window.
  cairo_rectangle(cr, -19.5, -6, 39, 5);
  SetRgb(cr, palette::kProbeOrange);
  cairo_fill(cr);
  cairo_arc(cr, -4, -11.5, 3.2, 0, 2 * M_PI);
  SetRgb(cr, Rgb{0.10, 0.12, 0.25});
  cairo_fill(cr);
  cairo_arc(cr, -5, -12.5, 1.1, 0, 2 * M_PI);
  SetRgb(cr, Rgb{0.65, 0.75, 1.0});
  cairo_fill(cr);

  // The heat shield: a shallow scorched dome.
  cairo_move_to(cr, -21, 4);
  cairo_curve_to(cr, -18, 16, 18, 16, 21, 4);
  cairo_close_path(cr);
  cairo_pattern_t* heat = cairo_pattern_create_linear(0, 4, 0, 14);
  AddStop(heat, 0, Rgb{0.80, 0.38, 0.14});
  AddStop(heat, 1, Rgb{0.32, 0.13, 0.08});
  cairo_set_source(cr, heat);
  cairo_fill(cr);
  cairo_pattern_destroy(heat);
  cairo_restore(cr);
}

Image Blurred(const Image& image, int radius) {
  const int w = image.width, h = image.height;
  // Premultiplied floats, so transparent pixels do not darken the halo.
  std::vector<float> a(static_cast<size_t>(w) * h * 4);
  for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
    const float alpha = image.rgba[i * 4 + 3] / 255.0f;
    for (int c = 0; c < 3; ++c) a[i * 4 + c] = image.rgba[i * 4 + c] / 255.0f * alpha;
    a[i * 4 + 3] = alpha;
  }
  std::vector<float> b(a.size());
  auto pass = [&](const std::vector<float>& in, std::vector<float>& out, bool horizontal) {
    const int len = horizontal ? w : h, lines = horizontal ? h : w;
    const float norm = 1.0f / (2 * radius + 1);
    for (int line = 0; line < lines; ++line) {
      auto at = [&](int i) {
        const int clamped = std::clamp(i, 0, len - 1);
        return (horizontal ? static_cast<size_t>(line) * w + clamped
                           : static_cast<size_t>(clamped) * w + line) *
               4;
      };
      float sum[4] = {0, 0, 0, 0};
      for (int i = -radius; i <= radius; ++i)
        for (int c = 0; c < 4; ++c) sum[c] += in[at(i) + c];
      for (int i = 0; i < len; ++i) {
        for (int c = 0; c < 4; ++c) out[at(i) + c] = sum[c] * norm;
        for (int c = 0; c < 4; ++c) sum[c] += in[at(i + radius + 1) + c] - in[at(i - radius) + c];
      }
    }
  };
  // Two box passes each way come close to a gaussian.
  for (int k = 0; k < 2; ++k) {
    pass(a, b, true);
    pass(b, a, false);
  }
  Image out(w, h);
  for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
    const float alpha = a[i * 4 + 3];
    out.rgba[i * 4 + 3] = static_cast<uint8_t>(std::lround(std::clamp(alpha, 0.0f, 1.0f) * 255));
    if (alpha <= 0) continue;
    for (int c = 0; c < 3; ++c)
      out.rgba[i * 4 + c] =
          static_cast<uint8_t>(std::lround(std::clamp(a[i * 4 + c] / alpha, 0.0f, 1.0f) * 255));
  }
  return out;
}

double TrackedTextWidth(cairo_t* cr, const std::string& text, double tracking) {
  double width = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char glyph[2] = {text[i], 0};
    cairo_text_extents_t e;
    cairo_text_extents(cr, glyph, &e);
    width += e.x_advance + (i + 1 < text.size() ? tracking : 0);
  }
  return width;
}

void TrackedTextPath(cairo_t* cr, const std::string& text, double x, double baseline,
                     double tracking) {
  for (char ch : text) {
    const char glyph[2] = {ch, 0};
    cairo_text_extents_t e;
    cairo_text_extents(cr, glyph, &e);
    cairo_move_to(cr, x, baseline);
    cairo_text_path(cr, glyph);
    x += e.x_advance + tracking;
  }
}

void PaintChromeTitle(Canvas& canvas, const std::string& text, double cx, double baseline,
                      double size, double tracking) {
  cairo_t* cr = canvas.Cr();
  SelectFont(cr, size, true);
  const double width = TrackedTextWidth(cr, text, tracking);
  const double left = cx - width / 2;
  const double capTop = baseline - size * 0.73;

  // The warm glow behind, drawn apart and blurred.
  // Only the box around the word is blurred, to keep the generator quick.
  const int blur = static_cast<int>(size * 0.12) + 2;
  const int margin = 4 * blur;
  const double boxLeft = std::floor(left) - margin, boxTop = std::floor(capTop) - margin;
  Canvas glow(static_cast<int>(width + size * 0.3) + 2 * margin,
              static_cast<int>(size * 0.9) + 2 * margin);
  SelectFont(glow.Cr(), size, true);
  TrackedTextPath(glow.Cr(), text, left - boxLeft, baseline - boxTop, tracking);
  SetRgb(glow.Cr(), palette::kProbeOrange, 0.9);
  cairo_set_line_width(glow.Cr(), size * 0.12);
  cairo_stroke_preserve(glow.Cr());
  cairo_fill(glow.Cr());
  canvas.Paint(Blurred(glow.ToImage(), blur), boxLeft, boxTop, 0.75);

  TrackedTextPath(cr, text, left, baseline, tracking);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  SetRgb(cr, Rgb{0.07, 0.04, 0.14});
  cairo_set_line_width(cr, size * 0.09);
  cairo_stroke_preserve(cr);
  // Chrome: sky above the horizon line, desert below it.
  cairo_pattern_t* chrome = cairo_pattern_create_linear(0, capTop, 0, baseline);
  AddStop(chrome, 0.0, Rgb{1.0, 1.0, 1.0});
  AddStop(chrome, 0.30, Rgb{0.86, 0.86, 1.0});
  AddStop(chrome, 0.52, Rgb{0.52, 0.46, 0.82});
  AddStop(chrome, 0.54, Rgb{0.20, 0.10, 0.22});
  AddStop(chrome, 0.58, Rgb{1.0, 0.72, 0.30});
  AddStop(chrome, 1.0, Rgb{0.86, 0.30, 0.08});
  cairo_set_source(cr, chrome);
  cairo_fill(cr);
  cairo_pattern_destroy(chrome);
  // A thin bright rim on the upper edges catches the light.
  TrackedTextPath(cr, text, left, baseline, tracking);
  cairo_save(cr);
  cairo_clip(cr);
  TrackedTextPath(cr, text, left + size * 0.012, baseline + size * 0.02, tracking);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_rectangle(cr, 0, 0, canvas.Width(), canvas.Height());
  cairo_set_source_rgba(cr, 1, 1, 1, 0.8);
  cairo_fill(cr);
  cairo_restore(cr);
}

void PaintCentredText(cairo_t* cr, const std::string& text, double cx, double baseline, double size,
                      bool bold, double tracking, Rgb colour, double alpha) {
  SelectFont(cr, size, bold);
  const double width = TrackedTextWidth(cr, text, tracking);
  TrackedTextPath(cr, text, cx - width / 2, baseline, tracking);
  SetRgb(cr, colour, alpha);
  cairo_fill(cr);
}

Image Flatten(const Image& image, Rgb under) {
  Image out = image;
  const double base[3] = {under.r * 255, under.g * 255, under.b * 255};
  for (size_t i = 0; i < out.rgba.size(); i += 4) {
    const double a = out.rgba[i + 3] / 255.0;
    for (int c = 0; c < 3; ++c)
      out.rgba[i + c] = static_cast<uint8_t>(std::lround(out.rgba[i + c] * a + base[c] * (1 - a)));
    out.rgba[i + 3] = 255;
  }
  return out;
}

}  // namespace artscreens
