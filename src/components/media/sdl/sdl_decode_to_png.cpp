#include "components/component_error.h"
#include "sdl_engine.h"
#include "sdl_picture.h"

void DecodeImageToPng(const std::string& inputPath, const std::string& outputPath) {
  SurfacePtr surface;
  try {
    surface = DecodePictureFile(inputPath);
  } catch (const PictureError& error) {
    throw ComponentError("decode-image", inputPath + ": " + error.what());
  }
  const std::string reason = SavePixelsPng(static_cast<const uint32_t*>(surface->pixels),
                                           surface->w, surface->h, surface->pitch / 4, outputPath);
  if (!reason.empty()) throw ComponentError("decode-image", outputPath + ": " + reason);
}
