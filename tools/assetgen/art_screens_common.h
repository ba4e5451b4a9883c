#pragma once
#include <cairo.h>

#include <string>

#include "canvas.h"

// In a namespace of its own: the flight scene's and the sound generator's
// helpers share this program.
namespace artscreens {

// The look shared by the title, menu and score screens, the buttons, the help
// pictures and the icon: deep space over a lavender horizon, an ochre and
// rust desert, the white-and-orange probe, chrome lettering.

struct Rgb {
  double r, g, b;  // 0..1
};

namespace palette {
constexpr Rgb kSpace{0.012, 0.016, 0.055};
constexpr Rgb kNight{0.05, 0.05, 0.16};
constexpr Rgb kLavender{128 / 255.0, 126 / 255.0, 206 / 255.0};  // the sky at the ground
constexpr Rgb kHaze{0.78, 0.70, 0.86};
constexpr Rgb kOchre{0.84, 0.58, 0.28};
constexpr Rgb kRust{0.55, 0.24, 0.13};
constexpr Rgb kDeepRust{0.30, 0.12, 0.09};
constexpr Rgb kProbeOrange{0.98, 0.50, 0.12};
constexpr Rgb kHudOrange{1.0, 155 / 255.0, 1 / 255.0};
constexpr Rgb kCream{1.0, 0.96, 0.88};
constexpr Rgb kPanel{0.035, 0.04, 0.10};
}  // namespace palette

void SetRgb(cairo_t* cr, Rgb c, double alpha = 1.0);
void AddStop(cairo_pattern_t* p, double offset, Rgb c, double alpha = 1.0);

// The sky from black space down to the lavender horizon at `horizonY`.
void PaintSky(cairo_t* cr, int width, double horizonY);
// Stars of varied size and warmth in the rectangle; fainter further down
// (`fadeToY`) so they vanish into the glow of the horizon.
void PaintStars(cairo_t* cr, ArtRandom& rnd, int count, double x, double y, double w, double h,
                double fadeToY);
// Distant mesas, a nearer ridge and the desert floor from `horizonY` to the
// bottom of a `width` x `height` picture.
void PaintDesert(cairo_t* cr, ArtRandom& rnd, int width, int height, double horizonY);

// The probe hanging under its canopy, centred on (cx, cy) (the pod's middle),
// `scale` 1 = a pod 40 px wide.
void PaintProbe(cairo_t* cr, double cx, double cy, double scale, bool withParachute);

// A soft halo: the image's alpha, blurred, tinted, behind itself.
Image Blurred(const Image& image, int radius);
// Text as a path, letter by letter with extra `tracking` between letters;
// returns the advance. Only the path is built when `build` is true.
double TrackedTextWidth(cairo_t* cr, const std::string& text, double tracking);
void TrackedTextPath(cairo_t* cr, const std::string& text, double x, double baseline,
                     double tracking);
// Cream-to-orange chrome lettering with a dark rim and a warm glow, centred
// on `cx`.
void PaintChromeTitle(Canvas& canvas, const std::string& text, double cx, double baseline,
                      double size, double tracking);
// Plain tracked text centred on `cx`.
void PaintCentredText(cairo_t* cr, const std::string& text, double cx, double baseline, double size,
                      bool bold, double tracking, Rgb colour, double alpha = 1.0);
// Opaque copy for the JPEG writer.
Image Flatten(const Image& image, Rgb under);

}  // namespace artscreens
