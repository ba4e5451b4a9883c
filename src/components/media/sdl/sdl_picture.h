#pragma once
#include <SDL.h>

#include <bitset>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

// Pictures as SDL surfaces: decoding files, the colour key, the font's glyph
// table, writing PNGs.

struct SurfaceDeleter {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// A picture that cannot be read; the message is the bare reason, the caller
// adds the file's name.
class PictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads `path` and decodes it (DDS by its magic through our decoder, anything
// else through SDL_image) into a new ARGB8888 surface. Throws PictureError.
SurfacePtr DecodePictureFile(const std::string& path);

// Makes every pixel of exactly the colour 0xRRGGBB fully transparent; 0 keys
// nothing (the game's way of saying "no key").
void ApplyColorKey(SDL_Surface* argb, int32_t colorKey);

// Which cells of a 16 x 16 grid of 32 x 32 cells hold any visible pixel, in
// code-point order. Used to skip the blank characters of a font.
constexpr int kGlyphCell = 32;
std::bitset<256> FindGlyphCells(const SDL_Surface* argb);

// The smallest rectangle of an ARGB8888 surface holding every pixel whose
// alpha is not 0; w and h are 0 when the picture is wholly transparent.
SDL_Rect FindVisibleBox(const SDL_Surface* argb);

// Writes ARGB8888 pixels (`pitchPixels` apart per row) as a PNG. Returns an
// empty string on success, else the reason.
std::string SavePixelsPng(const uint32_t* argb, int width, int height, int pitchPixels,
                          const std::string& path);
