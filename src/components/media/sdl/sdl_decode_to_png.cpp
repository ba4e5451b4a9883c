#include <vector>

#include "components/component_error.h"
#include "sdl_engine.h"
#include "sdl_picture.h"

void DecodeImageToPng(const std::string& inputPath, const std::string& outputPath) {
  Picture picture;
  try {
    picture = DecodePicture(inputPath, 0);
  } catch (const PictureError& error) {
    throw ComponentError("decode-image", inputPath + ": " + error.what());
  }
  // The whole picture, transparent margins included, as the file holds it.
  std::vector<uint32_t> whole(static_cast<size_t>(picture.width) * picture.height);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      whole[static_cast<size_t>(y) * picture.width + x] = picture.At(x, y);
  const std::string reason =
      SavePixelsPng(whole.data(), picture.width, picture.height, picture.width, outputPath);
  if (!reason.empty()) throw ComponentError("decode-image", outputPath + ": " + reason);
}
