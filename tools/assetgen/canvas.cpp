#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      cr_(cairo_create(surface_)) {
  if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error("cannot create a drawing surface");
}

Canvas::~Canvas() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

Image Canvas::ToImage() {
  cairo_surface_flush(surface_);
  Image out(width_, height_);
  const unsigned char* data = cairo_image_surface_get_data(surface_);
  const int stride = cairo_image_surface_get_stride(surface_);
  for (int y = 0; y < height_; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < width_; ++x) {
      const uint32_t p = row[x];
      const uint32_t a = p >> 24;
      uint8_t* o = out.At(x, y);
      o[3] = static_cast<uint8_t>(a);
      if (a == 0) {
        o[0] = o[1] = o[2] = 0;
        continue;
      }
      // Cairo keeps colours premultiplied by alpha; undo it with rounding.
      const uint32_t c[3] = {(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF};
      for (int i = 0; i < 3; ++i) {
        const uint32_t v = (c[i] * 255 + a / 2) / a;
        o[i] = static_cast<uint8_t>(v > 255 ? 255 : v);
      }
    }
  }
  return out;
}

void Canvas::Paint(const Image& image, double x, double y, double alpha) {
  cairo_surface_t* src = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
  cairo_surface_flush(src);
  unsigned char* data = cairo_image_surface_get_data(src);
  const int stride = cairo_image_surface_get_stride(src);
  for (int yy = 0; yy < image.height; ++yy) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(yy) * stride);
    for (int xx = 0; xx < image.width; ++xx) {
      const uint8_t* p = image.At(xx, yy);
      const uint32_t a = p[3];
      auto pm = [a](uint32_t c) { return (c * a + 127) / 255; };
      row[xx] = (a << 24) | (pm(p[0]) << 16) | (pm(p[1]) << 8) | pm(p[2]);
    }
  }
  cairo_surface_mark_dirty(src);
  cairo_save(cr_);
  cairo_set_source_surface(cr_, src, x, y);
  cairo_paint_with_alpha(cr_, alpha);
  cairo_restore(cr_);
  cairo_surface_destroy(src);
}

void SelectFont(cairo_t* cr, double size, bool bold) {
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
  // No hinting: glyph shapes then depend on the font alone, not on the
  // machine's fontconfig settings, so every build writes the same bytes.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
}

void RoundedRectPath(cairo_t* cr, double x, double y, double w, double h, double radius) {
  const double r = std::min(radius, std::min(w, h) / 2);
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}
