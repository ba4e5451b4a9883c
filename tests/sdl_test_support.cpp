#include "sdl_test_support.h"

#include <SDL.h>
#include <SDL_image.h>

#include <memory>
#include <stdexcept>

#include "sdl_screenshot_paths.h"

namespace {

struct FreeSurface {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using Surface = std::unique_ptr<SDL_Surface, FreeSurface>;

}  // namespace

void PushKey(const std::string& keyName, bool down, bool repeat) {
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.repeat = repeat ? 1 : 0;
  event.key.keysym.scancode = SDL_GetScancodeFromName(keyName.c_str());
  if (event.key.keysym.scancode == SDL_SCANCODE_UNKNOWN)
    throw std::runtime_error("unknown key " + keyName);
  event.key.keysym.sym = SDL_GetKeyFromScancode(event.key.keysym.scancode);
  PushEvent(event);
}

void PushEvent(SDL_Event event) {
  if (SDL_PushEvent(&event) < 0) throw std::runtime_error(SDL_GetError());
}

ArgbPixels SolidPicture(int width, int height, uint32_t argb) {
  return {width, height, std::vector<uint32_t>(size_t(width) * height, argb)};
}

void WritePicture(const std::string& path, const ArgbPixels& picture) {
  Surface surface(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(picture.argb.data()),
                                                     picture.width, picture.height, 32,
                                                     picture.width * 4, SDL_PIXELFORMAT_ARGB8888));
  if (!surface) throw std::runtime_error(SDL_GetError());
  const bool bmp = path.size() >= 4 && path.compare(path.size() - 4, 4, ".bmp") == 0;
  const int result =
      bmp ? SDL_SaveBMP(surface.get(), path.c_str()) : IMG_SavePNG(surface.get(), path.c_str());
  if (result != 0) throw std::runtime_error(path + ": " + SDL_GetError());
}

ArgbPixels LoadPicture(const std::string& path) {
  Surface loaded(IMG_Load(path.c_str()));
  if (!loaded) throw std::runtime_error(path + ": " + IMG_GetError());
  Surface argb(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
  if (!argb) throw std::runtime_error(path + ": " + SDL_GetError());
  ArgbPixels picture{argb->w, argb->h, std::vector<uint32_t>(size_t(argb->w) * argb->h)};
  for (int y = 0; y < argb->h; ++y)
    for (int x = 0; x < argb->w; ++x)
      picture.argb[size_t(y) * argb->w + x] =
          static_cast<const uint32_t*>(argb->pixels)[y * (argb->pitch / 4) + x];
  return picture;
}

SdlEngineOptions FrameSavingOptions(const std::filesystem::path& folder, int64_t passes) {
  SdlEngineOptions options;
  options.headless = true;
  options.screenshotDir = folder.string();
  for (int64_t pass = 1; pass <= passes; ++pass) options.screenshotPasses.push_back(pass);
  return options;
}

ArgbPixels SavedFrame(const std::filesystem::path& folder, int64_t pass) {
  return LoadPicture(PassScreenshotPath(folder.string(), pass));
}
