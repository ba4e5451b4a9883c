#include "sdl_engine_test_access.h"

#include <SDL.h>
#include <SDL_image.h>

#include <stdexcept>

#include "sdl_engine_impl.h"
#include "sdl_picture.h"

namespace {

SdlEngine& Engine(MediaEngine& engine) {
  auto* own = dynamic_cast<SdlEngine*>(&engine);
  if (!own) throw std::runtime_error("not an SDL engine");
  return *own;
}

void Push(SDL_Event& event) {
  if (SDL_PushEvent(&event) < 0) throw std::runtime_error(SDL_GetError());
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

SdlTestPicture SdlTestReadFrame(MediaEngine& engine) {
  const CapturedFrame frame = Engine(engine).ReadTarget();
  SdlTestPicture picture;
  picture.width = frame.width;
  picture.height = frame.height;
  picture.argb.resize(static_cast<size_t>(frame.width) * frame.height);
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x) {
      picture.argb[static_cast<size_t>(y) * frame.width + x] =
          frame.argb[static_cast<size_t>(y) * frame.pitch + x];
    }
  }
  return picture;
}

bool SdlTestWindowGone(MediaEngine& engine) { return Engine(engine).WindowGone(); }

void SdlTestPushKey(const std::string& keyName, bool down, bool repeat) {
  const SDL_Scancode scancode = SDL_GetScancodeFromName(keyName.c_str());
  if (scancode == SDL_SCANCODE_UNKNOWN) throw std::runtime_error("unknown key " + keyName);
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.repeat = repeat ? 1 : 0;
  event.key.keysym.scancode = scancode;
  event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
  Push(event);
}

void SdlTestPushQuit() {
  SDL_Event event{};
  event.type = SDL_QUIT;
  Push(event);
}

void SdlTestPushFocusLost() {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  Push(event);
}

void SdlTestWritePicture(const std::string& path, const SdlTestPicture& picture) {
  SurfacePtr surface(SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<uint32_t*>(picture.argb.data()), picture.width, picture.height, 32,
      picture.width * 4, SDL_PIXELFORMAT_ARGB8888));
  if (!surface) throw std::runtime_error(SDL_GetError());
  const int result = EndsWith(path, ".bmp") ? SDL_SaveBMP(surface.get(), path.c_str())
                                            : IMG_SavePNG(surface.get(), path.c_str());
  if (result != 0) throw std::runtime_error(path + ": " + SDL_GetError());
}

SdlTestPicture SdlTestLoadPicture(const std::string& path) {
  SurfacePtr surface;
  try {
    surface = DecodePictureFile(path);
  } catch (const PictureError& error) {
    throw std::runtime_error(path + ": " + error.what());
  }
  SdlTestPicture picture;
  picture.width = surface->w;
  picture.height = surface->h;
  picture.argb.resize(static_cast<size_t>(surface->w) * surface->h);
  for (int y = 0; y < surface->h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(
        static_cast<const uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch);
    std::copy(row, row + surface->w, picture.argb.begin() + static_cast<ptrdiff_t>(y) * surface->w);
  }
  return picture;
}
