// Compares what the game showed with the frames it drew headless.
//
//   screen_compare GRAB.xwd X Y W H FRAMES FIRST LAST
//       GRAB is `xwd -root` of an X screen on which the game's window has its
//       inside at X,Y and size W x H. The frame is found where the letterbox
//       rule puts it, read back at one screen pixel per frame pixel, and
//       matched against FRAMES/frame_NNNNNN.png for passes FIRST..LAST (the
//       game was stopped somewhere in there). The bars must be black.
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

// Read back at their centres, sharply scaled frame pixels come back exactly;
// a smoothed or misplaced frame leaves several percent wrong.
constexpr double kMostDiffering = 0.5;

// The percentage of frame pixels the screen shows otherwise. Nearest
// sampling gives the frame's own pixels; the margin only forgives a
// renderer that rounds a channel differently.
double PercentDiffering(const Image& shown, const Image& frame) {
  long differing = 0;
  for (size_t k = 0; k < shown.rgb.size(); ++k)
    differing += Difference(shown.rgb[k], frame.rgb[k]) > 6;
  return 100.0 * differing / double(shown.rgb.size());
}

std::string FramePath(const std::string& folder, int pass) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame_%06d.png", pass);
  return folder + name;
}

int Screen(char** argv) {
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
  int bestPass = -1;
  double best = 100;
  Image frame;
  for (int pass = firstPass; pass <= lastPass; ++pass) {
    if (!LoadPng(FramePath(frames, pass), frame)) continue;
    if (frame.width != kFrameW || frame.height != kFrameH) continue;
    const double differing = PercentDiffering(shown, frame);
    if (bestPass < 0 || differing < best) bestPass = pass, best = differing;
  }
  if (bestPass < 0) {
    std::printf("no headless frames of passes %d..%d in %s\n", firstPass, lastPass, frames.c_str());
    return 2;
  }
  std::printf("closest headless frame: pass %d, %.2f%% of the frame differs\n", bestPass, best);
  if (best > kMostDiffering) {
    std::printf("FAIL: the screen shows none of passes %d..%d as drawn\n", firstPass, lastPass);
    ++failures;
  }
  return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 9) return Screen(argv + 1);
  std::fprintf(stderr, "usage: screen_compare GRAB.xwd X Y W H FRAMES FIRST LAST\n");
  return 2;
}
