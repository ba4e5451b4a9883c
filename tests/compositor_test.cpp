#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <iomanip>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "components/media/compositor/compositor.h"
#include "compositor_reference.h"

namespace {

constexpr int kW = 640, kH = 480;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// mt19937's output is fixed by the standard, unlike the library
// distributions, so the draws are the same on every machine.
struct Dice {
  std::mt19937 rng;
  double Real(double lo, double hi) { return lo + (hi - lo) * (rng() / 4294967296.0); }
  int Int(int lo, int hi) { return lo + int(rng() % uint32_t(hi - lo + 1)); }
  bool Chance(int percent) { return Int(0, 99) < percent; }
  template <class T>
  T Pick(std::initializer_list<T> options) {
    return options.begin()[Int(0, int(options.size()) - 1)];
  }
  // Whole, half (pixel centres land on edges) or any fraction.
  float Coord(double lo, double hi) {
    const float v = float(Real(lo, hi));
    return Pick({std::round(v), std::floor(v) + 0.5f, v, v});
  }
  double Tint() { return Pick<double>({kNaN, -7, 0, 0.5, 127.5, 254.5, 255, 1e9, Real(0, 255)}); }
  // Half the time white (the blend leaves the tint out then), else anything.
  std::array<double, 3> Colour() {
    if (Chance(50)) return {Pick({254.5, 255.0, 1e9}), 255, Pick({255.0, 300.0})};
    return {Tint(), Tint(), Tint()};
  }
  uint32_t Pixel(int opaquePercent) {
    const uint32_t alpha =
        Chance(opaquePercent) ? 255 : Pick<uint32_t>({0, 0, 1, 254, uint32_t(rng() & 255)});
    return alpha << 24 | (rng() & 0xFFFFFF);
  }
};

// One picture as each side gets it: the compositor's from MakePicture, the
// reference's keyed by the reference itself.
struct Sample {
  std::string name;
  Picture fast;
  ReferencePicture slow;
};

Sample MakeSample(std::string name, int w, int h, Dice& dice, int opaquePercent, int border = 0,
                  int32_t key = 0) {
  std::vector<uint32_t> argb(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      // Clear edges, narrower on the left and top: a visible box can start
      // at the corner and still be smaller than the picture.
      const bool edge = x < border / 2 || y < border / 2 || x >= w - border || y >= h - border;
      uint32_t& p = argb[size_t(y) * w + x] =
          edge ? dice.Pixel(0) & 0xFFFFFF : dice.Pixel(opaquePercent);
      // The key colour, and a neighbour that must stay.
      if (key && dice.Chance(30))
        p = (dice.Pixel(50) & 0xFF000000u) | (uint32_t(key) ^ dice.Int(0, 1));
    }
  return {name, MakePicture(w, h, argb, key), ReferencePicture(w, h, argb, key)};
}

// A 16 x 16 grid of 32 x 32 cells, about half of them inked.
Sample MakeFont(Dice& dice) {
  std::vector<uint32_t> argb(512 * 512, 0x00FFFFFFu);
  for (int code = 0; code < 256; ++code) {
    if (code == ' ' || dice.Chance(50)) continue;
    for (int n = dice.Int(1, 40); n > 0; --n)
      argb[size_t(32 * (code / 16) + dice.Int(0, 31)) * 512 + 32 * (code % 16) + dice.Int(0, 31)] =
          dice.Pixel(60);
  }
  argb[32 * ('A' / 16) * 512 + 32 * ('A' % 16)] = 0xFFFFFFFF;  // ink in its first column
  return {"font", MakePicture(512, 512, argb), ReferencePicture(512, 512, argb, 0)};
}

ImageDraw RandomDraw(Dice& dice, const Picture& p) {
  const double w = p.width, h = p.height;
  ImageDraw d;
  d.x = dice.Coord(-w - 40, kW + 40);
  d.y = dice.Coord(-h - 40, kH + 40);
  if (!dice.Chance(40)) {
    d.sourceX = dice.Coord(-w / 2, w * 1.1);
    d.sourceY = dice.Coord(-h / 2, h * 1.1);
    d.sourceWidth = dice.Coord(-2, w * 1.3);
    d.sourceHeight = dice.Coord(-2, h * 1.3);
  } else {
    d.sourceWidth = float(w), d.sourceHeight = float(h);
  }
  if (dice.Chance(50)) d.drawnWidth = dice.Chance(10) ? -1 : dice.Coord(0, w * 3);
  if (dice.Chance(50)) d.drawnHeight = dice.Chance(10) ? -1 : dice.Coord(0, h * 3);
  d.angle = float(
      dice.Pick<double>({0, 0, 90.0 * dice.Int(-9, 9), dice.Real(-1000, 1000), dice.Real(-1, 1),
                         90.0 * dice.Int(-4, 4) + dice.Real(-1e-3, 1e-3), dice.Real(-1e7, 1e7)}));
  if (dice.Chance(50)) {
    d.pivotX = dice.Chance(10) ? -1 : dice.Coord(-w, 2 * w);
    d.pivotY = dice.Chance(10) ? -1 : dice.Coord(-h, 2 * h);
  }
  if (dice.Chance(20)) {
    // Every number exact and every step a whole 1/65536 (49 and 99 are
    // steps whose reciprocals round badly): pixel centres land exactly on the
    // picture's edges, where a quotient off by one shows.
    const int rx = dice.Int(1, 9), ry = dice.Int(1, 9);
    d.sourceWidth = float(rx * dice.Pick({1, 3, 49, 99})),
    d.drawnWidth = float(rx * dice.Pick({1, 2, 4, 8}));
    d.sourceHeight = float(ry * dice.Pick({1, 3, 49, 99})),
    d.drawnHeight = float(ry * dice.Pick({1, 2, 4, 8}));
    d.sourceX = float(dice.Int(-2, p.width)), d.sourceY = float(dice.Int(-2, p.height));
    d.x = 0.5f * dice.Int(-40, 1300), d.y = 0.5f * dice.Int(-40, 980);
    d.angle = 90.f * dice.Int(-4, 4);
    d.pivotX = d.pivotY = -1;
  }
  d.opacity = dice.Pick({-20, 0, 1, 10, 50, 99, 100, 100, 100, 150, dice.Int(0, 100)});
  if (dice.Chance(3)) {
    float* fields[] = {&d.x,           &d.y,       &d.sourceWidth, &d.sourceHeight,
                       &d.angle,       &d.sourceX, &d.sourceY,     &d.drawnWidth,
                       &d.drawnHeight, &d.pivotX,  &d.pivotY};
    *fields[dice.Int(0, 10)] = dice.Pick({kNaN, kInf, -kInf});
  }
  return d;
}

std::string Describe(const std::string& name, const ImageDraw& d) {
  std::ostringstream s;
  s.precision(9);
  s << "DrawImage(" << name << ", " << d.x << ", " << d.y << ", " << d.sourceWidth << ", "
    << d.sourceHeight << ", " << d.angle << ", " << d.opacity << ", " << d.sourceX << ", "
    << d.sourceY << ", " << d.drawnWidth << ", " << d.drawnHeight << ", " << d.pivotX << ", "
    << d.pivotY << ")";
  return s.str();
}

// Both frames, and the first pixel where they differ, if any.
struct Pair {
  Compositor fast{kW, kH};
  ReferenceFrame slow;
  void Image(const Sample& s, const ImageDraw& d) {
    fast.DrawImage(s.fast, d), slow.DrawImage(s.slow, d);
  }
  bool Same(const std::string& after) {
    for (int k = 0; k < kW * kH; ++k) {
      if (fast.Pixels()[k] == slow.Pixels()[k]) continue;
      ADD_FAILURE() << std::hex << "pixel (" << std::dec << k % kW << ", " << k / kW << ") is 0x"
                    << std::hex << fast.Pixels()[k] << ", the page says 0x" << slow.Pixels()[k]
                    << " after " << after;
      return false;
    }
    return true;
  }
};

TEST(CompositorTest, RandomDrawsMatchTheReferenceToTheBit) {
  Dice dice{std::mt19937(20240611)};
  const Sample font = MakeFont(dice);
  const Sample samples[] = {MakeSample("opaque", 37, 23, dice, 100),
                            MakeSample("bordered", 64, 48, dice, 70, 7),
                            MakeSample("mixed", 13, 7, dice, 40, 1),
                            MakeSample("keyed", 40, 30, dice, 100, 0, 0xFF00FF),
                            MakeSample("tall", 32, 360, dice, 100),
                            MakeSample("large", 700, 520, dice, 90, 3),
                            MakeSample("dot", 1, 1, dice, 100),
                            MakeSample("clear", 8, 8, dice, 100, 8),
                            font};
  Pair both;
  // Drawn first: the health bar; a map number that rounds up onto the 2^46
  // limit (a 5e-6 degree tilt of a 2^30 stretch); a turned draw so far below
  // the page that its rows do not fit an int; a half turn whose Uo is a tie
  // that only an exact sine of 0 rounds the page's way.
  const std::pair<int, ImageDraw> chosen[] = {
      {4, {608, 60, 32, 180, 180, 40, 0, 0, 0, 0, 16, 180}},
      {5, {0, 0, 1073741824.f, 1, 5e-6f, 100, -536870912.f, 5, 1, 0, 0, 0}},
      {6, {0, 3e9f, 1, 1, 45, 100, 0, 0, 46341, 46341, -1, -1}},
      {0, {7.5f - 0x1p-17f, 100, 3, 1, 180}}};
  for (const auto& [index, d] : chosen) {
    const auto start = std::chrono::steady_clock::now();
    both.Image(samples[index], d);
    const std::string what = Describe(samples[index].name, d);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << what;
    if (!both.Same(what)) return;
  }
  // Letters are placed in single precision: this tenth letter starts at
  // column 401, at 400 if worked out in double.
  const std::string tenth = std::string(9, ' ') + "A";
  both.fast.DrawText(font.fast, tenth, -106.568f, 0, 2.817f, 100, 255, 255, 255);
  both.slow.DrawText(font.slow, tenth, -106.568f, 0, 2.817f, 100, 255, 255, 255);
  if (!both.Same("DrawText of \"" + tenth + "\" at -106.568, 0 scale 2.817")) return;
  for (int frame = 0; frame < 4; ++frame) {
    const auto [r, g, b] = dice.Colour();
    both.fast.BeginFrame(r, g, b), both.slow.BeginFrame(r, g, b);
    if (!both.Same("BeginFrame")) return;
    for (int n = 0; n < 1000; ++n) {
      if (dice.Chance(10)) {
        const auto [tr, tg, tb] = dice.Colour();
        both.fast.SetDrawColor(tr, tg, tb), both.slow.SetDrawColor(tr, tg, tb);
      }
      if (dice.Chance(10)) {
        std::string text(size_t(dice.Int(0, 10)), ' ');
        for (char& c : text) c = char(dice.Chance(70) ? dice.Int(32, 127) : dice.Int(0, 255));
        const float x = dice.Coord(-100, kW), y = dice.Coord(-40, kH);
        const float scale = dice.Pick({-1.f, 0.f, 0.25f, 0.5f, 1.f, 1.f, 1.37f, 2.f, 3.3f});
        const int32_t opacity = dice.Pick({0, 50, 100, 100, 120});
        const auto [tr, tg, tb] = dice.Colour();
        both.fast.DrawText(font.fast, text, x, y, scale, opacity, tr, tg, tb);
        both.slow.DrawText(font.slow, text, x, y, scale, opacity, tr, tg, tb);
        std::ostringstream what;
        what.precision(9);
        what << "DrawText(" << std::quoted(text) << ", " << x << ", " << y << ", " << scale << ", "
             << opacity << ", " << tr << ", " << tg << ", " << tb << ")";
        if (!both.Same(what.str())) return;
        continue;
      }
      const Sample& s = samples[dice.Int(0, std::size(samples) - 1)];
      const ImageDraw d = RandomDraw(dice, s.fast);
      both.Image(s, d);
      if (!both.Same(Describe(s.name, d))) return;
    }
  }
}

}  // namespace
