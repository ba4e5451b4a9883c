#pragma once
#include <SDL.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "components/media/compositor/picture.h"

// Pictures as SDL surfaces: decoding files, writing PNGs.

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
// else through SDL_image) into the compositor's picture, keying out
// `colorKey` (0xRRGGBB; 0 keys nothing). Throws PictureError.
Picture DecodePicture(const std::string& path, int32_t colorKey);

// Writes ARGB8888 pixels (`pitchPixels` apart per row) as a PNG. Returns an
// empty string on success, else the reason.
std::string SavePixelsPng(const uint32_t* argb, int width, int height, int pitchPixels,
                          const std::string& path);
