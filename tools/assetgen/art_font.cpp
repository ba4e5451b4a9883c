// The game's bitmap font: a 16 x 16 grid of 32 x 32 cells in code-point
// order. The text drawing advances 20 px a letter at scale 1, so every glyph
// keeps inside the first 20 px of its cell. The letters are a chunky 5 x 7
// arcade face on a 3 px grid: crisp at scale 1, whole 2 px blocks at 2/3,
// still legible at the HUD's 1/2. White, so the game can tint it; ringed in
// black, which no tint can lighten.
#include <algorithm>
#include <array>
#include <string>

#include "art_world_common.h"
#include "asset_registry.h"
#include "canvas.h"
#include "file_writers.h"

namespace {

constexpr int kCell = 32;
constexpr int kGrid = 16;
constexpr int kAdvance = 20;  // the text drawing's step between letters at scale 1
constexpr int kUnit = 3;      // one font pixel is 3 x 3 texels
constexpr int kLeft = 2;      // so the letter sits in x 2..17 and its ring in 0..19
constexpr int kTop = 2;       // capitals in y 2..23, descenders down to y 29
constexpr int kRows = 9;      // 7 rows of capital height and 2 of descender
constexpr int kColumns = 5;
constexpr int kInk = 4;  // the block each font pixel stamps
// The dark ring round every letter. Two texels wide so that every scale the
// game draws at samples it: the HUD's 1/2 takes every other texel, 2/3 two
// in three. Above the cap line only one: the score rows wobble as close as
// 22 px apart, and a taller ring would bite into the foot of the row above
// (one texel only draws a parting line where two rows touch). The HUD's 1/2
// samples that texel; texts at 2/3 on a whole y miss it and keep a ring on
// three sides. Never quite opaque, so an opaque texel always means ink.
constexpr int kRing = 2;
constexpr int kRingAbove = 1;
constexpr uint8_t kRingAlpha = 235;

struct Glyph {
  char code;
  std::array<const char*, kRows> rows;
};

// '#' is ink. Rows 0..6 stand on the baseline, rows 7..8 hang below it;
// `_` is an empty row, to keep the table readable.
constexpr const char* _ = ".....";
const Glyph kGlyphs[] = {
    {'!', {"..#..", "..#..", "..#..", "..#..", "..#..", _, "..#..", _, _}},
    {'"', {".#.#.", ".#.#.", ".#.#.", _, _, _, _, _, _}},
    {'#', {".#.#.", ".#.#.", "#####", ".#.#.", "#####", ".#.#.", ".#.#.", _, _}},
    {'$', {"..#..", ".####", "#.#..", ".###.", "..#.#", "####.", "..#..", _, _}},
    {'%', {"##...", "##..#", "...#.", "..#..", ".#...", "#..##", "...##", _, _}},
    {'&', {".##..", "#..#.", "#.#..", ".#...", "#.#.#", "#..#.", ".##.#", _, _}},
    {'\'', {"..#..", "..#..", ".#...", _, _, _, _, _, _}},
    {'(', {"...#.", "..#..", ".#...", ".#...", ".#...", "..#..", "...#.", _, _}},
    {')', {".#...", "..#..", "...#.", "...#.", "...#.", "..#..", ".#...", _, _}},
    {'*', {_, "..#..", "#.#.#", ".###.", "#.#.#", "..#..", _, _, _}},
    {'+', {_, "..#..", "..#..", "#####", "..#..", "..#..", _, _, _}},
    {',', {_, _, _, _, _, ".##..", ".##..", "..#..", ".#..."}},
    {'-', {_, _, _, "#####", _, _, _, _, _}},
    {'.', {_, _, _, _, _, ".##..", ".##..", _, _}},
    {'/', {_, "....#", "...#.", "..#..", ".#...", "#....", _, _, _}},
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###.", _, _}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###.", _, _}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####", _, _}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###.", _, _}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#.", _, _}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###.", _, _}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###.", _, _}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#...", _, _}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###.", _, _}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##..", _, _}},
    {':', {_, ".##..", ".##..", _, ".##..", ".##..", _, _, _}},
    {';', {_, ".##..", ".##..", _, ".##..", ".##..", "..#..", ".#...", _}},
    {'<', {"...#.", "..#..", ".#...", "#....", ".#...", "..#..", "...#.", _, _}},
    {'=', {_, _, "#####", _, "#####", _, _, _, _}},
    {'>', {".#...", "..#..", "...#.", "....#", "...#.", "..#..", ".#...", _, _}},
    {'?', {".###.", "#...#", "....#", "...#.", "..#..", _, "..#..", _, _}},
    {'@', {".###.", "#...#", "....#", ".##.#", "#.#.#", "#.#.#", ".###.", _, _}},
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#", _, _}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####.", _, _}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###.", _, _}},
    {'D', {"###..", "#..#.", "#...#", "#...#", "#...#", "#..#.", "###..", _, _}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####", _, _}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#....", _, _}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####", _, _}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#", _, _}},
    {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###.", _, _}},
    {'J', {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##..", _, _}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#", _, _}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####", _, _}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#", _, _}},
    {'N', {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", _, _}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###.", _, _}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#....", _, _}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#", _, _}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#", _, _}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####.", _, _}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#..", _, _}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###.", _, _}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#..", _, _}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#.", _, _}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#", _, _}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#..", _, _}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####", _, _}},
    {'[', {".###.", ".#...", ".#...", ".#...", ".#...", ".#...", ".###.", _, _}},
    {'\\', {_, "#....", ".#...", "..#..", "...#.", "....#", _, _, _}},
    {']', {".###.", "...#.", "...#.", "...#.", "...#.", "...#.", ".###.", _, _}},
    {'^', {"..#..", ".#.#.", "#...#", _, _, _, _, _, _}},
    {'_', {_, _, _, _, _, _, _, "#####", _}},
    {'`', {".#...", "..#..", "...#.", _, _, _, _, _, _}},
    {'a', {_, _, ".###.", "....#", ".####", "#...#", ".####", _, _}},
    {'b', {"#....", "#....", "#.##.", "##..#", "#...#", "#...#", "####.", _, _}},
    {'c', {_, _, ".###.", "#....", "#....", "#...#", ".###.", _, _}},
    {'d', {"....#", "....#", ".##.#", "#..##", "#...#", "#...#", ".####", _, _}},
    {'e', {_, _, ".###.", "#...#", "#####", "#....", ".###.", _, _}},
    {'f', {"..##.", ".#..#", ".#...", "###..", ".#...", ".#...", ".#...", _, _}},
    {'g', {_, _, ".####", "#...#", "#...#", "#...#", ".####", "....#", ".###."}},
    {'h', {"#....", "#....", "#.##.", "##..#", "#...#", "#...#", "#...#", _, _}},
    {'i', {"..#..", _, ".##..", "..#..", "..#..", "..#..", ".###.", _, _}},
    {'j', {"...#.", _, "..##.", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
    {'k', {"#....", "#....", "#..#.", "#.#..", "##...", "#.#..", "#..#.", _, _}},
    {'l', {".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###.", _, _}},
    {'m', {_, _, "##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#", _, _}},
    {'n', {_, _, "#.##.", "##..#", "#...#", "#...#", "#...#", _, _}},
    {'o', {_, _, ".###.", "#...#", "#...#", "#...#", ".###.", _, _}},
    {'p', {_, _, "####.", "#...#", "#...#", "#...#", "####.", "#....", "#...."}},
    {'q', {_, _, ".####", "#...#", "#...#", "#...#", ".####", "....#", "....#"}},
    {'r', {_, _, "#.##.", "##..#", "#....", "#....", "#....", _, _}},
    {'s', {_, _, ".####", "#....", ".###.", "....#", "####.", _, _}},
    {'t', {".#...", ".#...", "###..", ".#...", ".#...", ".#..#", "..##.", _, _}},
    {'u', {_, _, "#...#", "#...#", "#...#", "#..##", ".##.#", _, _}},
    {'v', {_, _, "#...#", "#...#", "#...#", ".#.#.", "..#..", _, _}},
    {'w', {_, _, "#...#", "#...#", "#.#.#", "#.#.#", ".#.#.", _, _}},
    {'x', {_, _, "#...#", ".#.#.", "..#..", ".#.#.", "#...#", _, _}},
    {'y', {_, _, "#...#", "#...#", "#...#", "#...#", ".####", "....#", ".###."}},
    {'z', {_, _, "#####", "...#.", "..#..", ".#...", "#####", _, _}},
    {'{', {"...##", "..#..", "..#..", "##...", "..#..", "..#..", "...##", _, _}},
    {'|', {"..#..", "..#..", "..#..", "..#..", "..#..", "..#..", "..#..", _, _}},
    {'}', {"##...", "..#..", "..#..", "...##", "..#..", "..#..", "##...", _, _}},
    {'~', {_, _, ".#...", "#.#.#", "...#.", _, _, _, _}},
};

// One glyph's ink, kCell x kCell.
struct CellMask {
  std::array<bool, kCell * kCell> ink{};
  bool& At(int x, int y) { return ink[static_cast<size_t>(y * kCell + x)]; }
  bool At(int x, int y) const { return ink[static_cast<size_t>(y * kCell + x)]; }
};

CellMask InkOf(const Glyph& glyph) {
  CellMask mask;
  for (int row = 0; row < kRows; ++row) {
    const char* bits = glyph.rows[static_cast<size_t>(row)];
    for (int col = 0; col < kColumns; ++col) {
      if (bits[col] != '#') continue;
      for (int y = 0; y < kInk; ++y)
        for (int x = 0; x < kInk; ++x)
          mask.At(kLeft + col * kUnit + x, kTop + row * kUnit + y) = true;
    }
  }
  return mask;
}

// A ring cut off by the cell's edge, or reaching into the next letter's
// column, would show as a gap or a smudge in some texts only.
void RequireRoomForRing(const CellMask& mask, char code) {
  for (int y = 0; y < kCell; ++y)
    for (int x = 0; x < kCell; ++x)
      if (mask.At(x, y))
        artworld::Require(
            x >= kRing && x < kAdvance - kRing && y >= kRingAbove && y < kCell - kRing,
            "font_default.dds",
            std::string("the ring of '") + code + "' must fit its cell and advance");
}

// Whether a texel lies within the ring's reach of the ink: a disc a little
// over kRing across, so the ring's outer corners come out rounded.
bool NearInk(const CellMask& mask, int x, int y) {
  for (int dy = -kRing; dy <= kRing; ++dy)
    for (int dx = -kRing; dx <= kRing; ++dx) {
      const int u = x + dx, v = y + dy;
      if (dx * dx + dy * dy > kRing * kRing + 1 || u < 0 || v < 0 || u >= kCell || v >= kCell)
        continue;
      if (mask.At(u, v)) return true;
    }
  return false;
}

// White ink, shaded a touch darker towards the baseline like lit enamel, so
// tinted texts keep some depth. Each font pixel is a 4 x 4 block on the 3 px
// grid: neighbours overlap, strokes come out 4 px thick and stay at least
// 2 px when the HUD halves them. The black ring keeps the coloured texts
// readable on bright sand and sky, where the HUD's backing can only dim.
Image FontSheet() {
  Image sheet(kGrid * kCell, kGrid * kCell);
  for (const Glyph& glyph : kGlyphs) {
    const CellMask mask = InkOf(glyph);
    RequireRoomForRing(mask, glyph.code);
    const int code = static_cast<unsigned char>(glyph.code);
    const int cellX = (code % kGrid) * kCell, cellY = (code / kGrid) * kCell;
    for (int y = 0; y < kCell; ++y) {
      for (int x = 0; x < kCell; ++x) {
        uint8_t* p = sheet.At(cellX + x, cellY + y);
        if (mask.At(x, y)) {
          const int depth = std::min(y - kTop, 21);
          p[0] = p[1] = p[2] = static_cast<uint8_t>(255 - 2 * depth);
          p[3] = 255;
        } else if (y >= kTop - kRingAbove && NearInk(mask, x, y)) {
          p[3] = kRingAlpha;  // black: the sheet starts out all zero
        }
      }
    }
  }
  return sheet;
}

// The same sheet on magenta, the colour the game keys out of this copy.
Image OnMagenta(const Image& sheet) {
  Image out = sheet;
  for (size_t i = 0; i < out.rgba.size(); i += 4) {
    if (out.rgba[i + 3] == 0) {
      out.rgba[i] = 255;
      out.rgba[i + 1] = 0;
      out.rgba[i + 2] = 255;
    }
    out.rgba[i + 3] = 255;
  }
  return out;
}

const RegisterAsset kFontDds("font_default.dds", [](const std::string& path) {
  // Uncompressed: block compression would smear the letters' hard edges.
  WriteDds(path, FontSheet(), DdsFormat::kArgb8888);
});
const RegisterAsset kFontBmp("font_default.bmp", [](const std::string& path) {
  WriteBmp(path, OnMagenta(FontSheet()));
});

}  // namespace
