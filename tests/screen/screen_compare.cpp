// Compares what the game showed with the frames it drew headless.
//
//   screen_compare same A.png B.png
//       Exit 0 when the two pictures decode to the same pixels.
//   screen_compare screen GRAB.xwd X Y W H FRAMES FIRST LAST [SAMPLED.png]
//       GRAB is `xwd -root` of an X screen on which the game's window has its
//       inside at X,Y and size W x H. The frame is found where the letterbox
//       rule puts it, read back at one screen pixel per frame pixel, and
//       matched against FRAMES/frame_NNNNNN.png for passes FIRST..LAST (the
//       game was stopped somewhere in there). The bars must be black, and
//       the health bar, the parachute and the particles must be where the
//       headless frame has them. SAMPLED.png, if named, gets the frame as
//       read back, to look at when this fails.
//
// The letterbox rule is written out again here rather than taken from the
// game: a test that borrowed the game's arithmetic would agree with any
// mistake in it.
#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kFrameW = 640, kFrameH = 480;

struct Image {
  int width = 0, height = 0;
  std::vector<uint32_t> rgb;  // 0xRRGGBB
  uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

int Channel(uint32_t c, int i) { return static_cast<int>((c >> (16 - 8 * i)) & 0xFF); }
int Difference(uint32_t a, uint32_t b) {
  int worst = 0;
  for (int i = 0; i < 3; ++i) worst = std::max(worst, std::abs(Channel(a, i) - Channel(b, i)));
  return worst;
}
bool Dark(uint32_t c) { return Channel(c, 0) < 24 && Channel(c, 1) < 24 && Channel(c, 2) < 24; }

bool LoadPng(const std::string& path, Image& out) {
  SDL_Surface* loaded = IMG_Load(path.c_str());
  if (!loaded) return false;
  SDL_Surface* s = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
  if (!s) return false;
  out.width = s->w;
  out.height = s->h;
  out.rgb.resize(static_cast<size_t>(s->w) * s->h);
  for (int y = 0; y < s->h; ++y) {
    const auto* row =
        reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) + y * s->pitch);
    for (int x = 0; x < s->w; ++x) out.rgb[static_cast<size_t>(y) * s->w + x] = row[x] & 0xFFFFFF;
  }
  SDL_FreeSurface(s);
  return true;
}

void SavePng(const Image& image, const std::string& path) {
  std::vector<uint32_t> argb(image.rgb);
  for (uint32_t& p : argb) p |= 0xFF000000u;
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(argb.data(), image.width, image.height, 32,
                                                      image.width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (s) IMG_SavePNG(s, path.c_str());
  SDL_FreeSurface(s);
}

// An X window dump: a header of big-endian 32-bit fields, the window's name,
// the colour map, then the pixels in the server's own layout.
bool LoadXwd(const std::string& path, Image& out, std::string& why) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto field = [&](int i) -> uint32_t {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + 4 * i;
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
  };
  if (bytes.size() < 100 || field(1) != 7) return why = "not an X window dump (version 7)", false;
  const uint32_t headerSize = field(0), format = field(2), width = field(4), height = field(5),
                 byteOrder = field(7), bitsPerPixel = field(11), bytesPerLine = field(12),
                 masks[3] = {field(14), field(15), field(16)}, colours = field(19);
  if (format != 2) return why = "not a ZPixmap dump", false;
  if (bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32)
    return why = "unhandled " + std::to_string(bitsPerPixel) + " bits per pixel", false;
  const size_t start = size_t{headerSize} + size_t{colours} * 12;
  if (bytes.size() < start + size_t{bytesPerLine} * height)
    return why = "the dump is cut short", false;
  const int pixelBytes = static_cast<int>(bitsPerPixel / 8);
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  out.rgb.assign(size_t{width} * height, 0);
  for (uint32_t y = 0; y < height; ++y) {
    const auto* row =
        reinterpret_cast<const unsigned char*>(bytes.data()) + start + size_t{y} * bytesPerLine;
    for (uint32_t x = 0; x < width; ++x) {
      const unsigned char* p = row + x * pixelBytes;
      uint32_t value = 0;
      for (int b = 0; b < pixelBytes; ++b)
        value |= uint32_t{p[byteOrder == 0 ? b : pixelBytes - 1 - b]} << (8 * b);
      uint32_t rgb = 0;
      for (uint32_t mask : masks) {
        if (mask == 0) return why = "a colour mask is empty (not a true-colour screen)", false;
        int shift = 0;
        while (!((mask >> shift) & 1)) ++shift;
        const uint32_t top = mask >> shift;
        rgb = rgb << 8 | static_cast<uint32_t>(((value & mask) >> shift) * 255 / top);
      }
      out.rgb[size_t{y} * width + x] = rgb;
    }
  }
  return true;
}

struct Rect {
  int x, y, w, h;
};

// As large as fits with the frame's proportions, centred; the rest is bars.
Rect Letterbox(int w, int h) {
  Rect r{0, 0, w, h};
  if (static_cast<long long>(w) * kFrameH <= static_cast<long long>(h) * kFrameW)
    r.h = static_cast<int>(std::lround(double(w) * kFrameH / kFrameW));
  else
    r.w = static_cast<int>(std::lround(double(h) * kFrameW / kFrameH));
  r.x = (w - r.w) / 2;
  r.y = (h - r.h) / 2;
  return r;
}

struct Region {
  const char* name;
  Rect where;  // in frame pixels
};

// Chosen from the golden winning flight while the canopy is open: the health
// bar (turned half a circle when drawn), the canopy with its lines, and the
// glow and sparks around the probe.
constexpr Region kRegions[] = {
    {"health bar", {608, 60, 32, 360}},
    {"parachute", {45, 40, 145, 175}},
    {"particles", {0, 195, 300, 85}},
};

// Read back at their centres, sharply scaled frame pixels come back exactly;
// a smoothed or misplaced frame leaves several percent wrong.
constexpr double kMostDiffering = 0.5;

struct Tally {
  long differing = 0, dark = 0, total = 0;
  double Percent(long n) const { return total ? 100.0 * n / total : 0; }
};

Tally Compare(const Image& shown, const Image& frame, const Rect& r) {
  Tally t;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x) {
      ++t.total;
      // Nearest sampling gives the frame's own pixels; the margin only
      // forgives a renderer that rounds a channel differently.
      if (Difference(shown.At(x, y), frame.At(x, y)) > 6) ++t.differing;
      if (Dark(shown.At(x, y))) ++t.dark;
    }
  return t;
}

std::string FramePath(const std::string& folder, int pass) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame_%06d.png", pass);
  return folder + name;
}

int Same(const std::string& a, const std::string& b) {
  Image first, second;
  if (!LoadPng(a, first) || !LoadPng(b, second)) {
    std::printf("cannot read %s or %s: %s\n", a.c_str(), b.c_str(), IMG_GetError());
    return 2;
  }
  if (first.width != second.width || first.height != second.height) {
    std::printf("%s is %dx%d, %s is %dx%d\n", a.c_str(), first.width, first.height, b.c_str(),
                second.width, second.height);
    return 1;
  }
  long differing = 0;
  int firstX = -1, firstY = -1;
  for (int y = 0; y < first.height; ++y)
    for (int x = 0; x < first.width; ++x)
      if (first.At(x, y) != second.At(x, y) && differing++ == 0) firstX = x, firstY = y;
  if (differing == 0) return 0;
  std::printf("%s and %s differ in %ld pixels, the first at (%d, %d): %06x against %06x\n",
              a.c_str(), b.c_str(), differing, firstX, firstY, first.At(firstX, firstY),
              second.At(firstX, firstY));
  return 1;
}

int Screen(char** argv, int argc) {
  Image grab;
  std::string why;
  if (!LoadXwd(argv[0], grab, why)) {
    std::printf("%s: %s\n", argv[0], why.c_str());
    return 2;
  }
  const Rect window{std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4])};
  const std::string frames = argv[5];
  const int firstPass = std::atoi(argv[6]), lastPass = std::atoi(argv[7]);
  if (window.w <= 0 || window.h <= 0 || window.x < 0 || window.y < 0 ||
      window.x + window.w > grab.width || window.y + window.h > grab.height) {
    std::printf("the window %dx%d at %d,%d is not inside the %dx%d screen\n", window.w, window.h,
                window.x, window.y, grab.width, grab.height);
    return 1;
  }
  const Rect box = Letterbox(window.w, window.h);
  std::printf("window %dx%d at %d,%d: the frame at %d,%d, %dx%d\n", window.w, window.h, window.x,
              window.y, box.x, box.y, box.w, box.h);

  // Each frame pixel read at the centre of the screen pixels it covers.
  Image shown;
  shown.width = kFrameW;
  shown.height = kFrameH;
  shown.rgb.resize(size_t{kFrameW} * kFrameH);
  for (int j = 0; j < kFrameH; ++j)
    for (int i = 0; i < kFrameW; ++i) {
      const int x = window.x + box.x + static_cast<int>((i + 0.5) * box.w / kFrameW);
      const int y = window.y + box.y + static_cast<int>((j + 0.5) * box.h / kFrameH);
      shown.rgb[static_cast<size_t>(j) * kFrameW + i] = grab.At(x, y);
    }
  if (argc > 8) SavePng(shown, argv[8]);

  int failures = 0;
  long litBars = 0, bars = 0;
  for (int y = window.y; y < window.y + window.h; ++y)
    for (int x = window.x; x < window.x + window.w; ++x) {
      const int fx = x - window.x - box.x, fy = y - window.y - box.y;
      if (fx >= 0 && fx < box.w && fy >= 0 && fy < box.h) continue;
      ++bars;
      if (!Dark(grab.At(x, y))) ++litBars;
    }
  if (litBars) {
    std::printf(
        "FAIL: %ld of the %ld pixels of the bars are not black: the frame is not where the "
        "letterbox puts it\n",
        litBars, bars);
    ++failures;
  }

  // Which pass is on the screen: the headless frame it differs least from.
  const Rect whole{0, 0, kFrameW, kFrameH};
  int bestPass = -1;
  Tally best;
  Image bestFrame, frame;
  for (int pass = firstPass; pass <= lastPass; ++pass) {
    if (!LoadPng(FramePath(frames, pass), frame)) continue;
    if (frame.width != kFrameW || frame.height != kFrameH) continue;
    const Tally t = Compare(shown, frame, whole);
    if (bestPass < 0 || t.differing < best.differing) bestPass = pass, best = t, bestFrame = frame;
  }
  if (bestPass < 0) {
    std::printf("no headless frames of passes %d..%d in %s\n", firstPass, lastPass, frames.c_str());
    return 2;
  }
  std::printf("closest headless frame: pass %d, %.2f%% of the frame differs, %.2f%% is dark\n",
              bestPass, best.Percent(best.differing), best.Percent(best.dark));
  if (best.Percent(best.differing) > kMostDiffering) {
    std::printf("FAIL: the screen shows none of passes %d..%d as drawn\n", firstPass, lastPass);
    ++failures;
  }
  for (const Region& region : kRegions) {
    const Tally t = Compare(shown, bestFrame, region.where);
    const Tally drawn = Compare(bestFrame, bestFrame, region.where);
    const bool bad = t.Percent(t.differing) > kMostDiffering;
    std::printf(
        "%s %s (frame %d..%d x %d..%d): %.2f%% differs, %.2f%% dark (%.2f%% in the frame)\n",
        bad ? "FAIL:" : "ok:  ", region.name, region.where.x, region.where.x + region.where.w,
        region.where.y, region.where.y + region.where.h, t.Percent(t.differing), t.Percent(t.dark),
        drawn.Percent(drawn.dark));
    if (bad && t.dark > drawn.dark + t.total / 10)
      std::printf("       missing: black where the frame has the %s\n", region.name);
    failures += bad;
  }
  return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "same" && argc == 4) return Same(argv[2], argv[3]);
  if (command == "screen" && (argc == 10 || argc == 11)) return Screen(argv + 2, argc - 2);
  std::fprintf(stderr,
               "usage: screen_compare same A.png B.png\n"
               "       screen_compare screen GRAB.xwd X Y W H FRAMES FIRST LAST [SAMPLED.png]\n");
  return 2;
}
