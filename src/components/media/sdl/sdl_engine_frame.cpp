// The end of a frame: presenting, screenshots, window events, pacing.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "components/component_error.h"
#include "core/log.h"
#include "sdl_engine_impl.h"
#include "sdl_picture.h"
#include "sdl_screenshot_paths.h"
#include "components/media/compositor/frame_hash.h"
#include "components/media/letterbox.h"
#include "components/media/pixel_fill.h"

namespace fs = std::filesystem;

bool SdlEngine::IsScreenshotPass() const {
  return pass_ > 0 && std::find(options_.screenshotPasses.begin(), options_.screenshotPasses.end(),
                                pass_) != options_.screenshotPasses.end();
}

void SdlEngine::EndFrame() {
  RequireRunning("EndFrame");
  bool waited = false;
  if (!windowGone_) {
    // HotkeyAction runs inside the pass whose frame ends here, so the S key's
    // shot is the frame shown at the end of that same pass.
    if (IsScreenshotPass() && !SaveFrame(PassScreenshotPath(options_.screenshotDir, pass_)))
      CountFailedOutput();
    if (hotkeyPending_) SaveHotkeyScreenshot();
    LogFrameHash();
    if (window_) {
      // The finished frame goes on screen at the tick, not whenever its
      // drawing happened to end: a busy frame and a quiet one then reach the
      // player exactly one period apart.
      pacer_.Wait();
      waited = true;
      Present();
      // The icon waits for the first frame: decoding it first would hold
      // the logo back for nothing the player sees.
      if (!iconSet_) {
        iconSet_ = true;
        SetWindowIcon();
      }
    }
    LogPresent();
  }
  hotkeyPending_ = false;
  framedThisPass_ = true;
  PumpEvents();
  if (!waited && state_ == State::kRunning) pacer_.Wait();
}

void SdlEngine::Present() {
  if (renderer_) {
    PresentThroughRenderer();
  } else {
    PresentOnWindowSurface();
  }
}

void SdlEngine::PresentThroughRenderer() {
  // One upload and one scaled copy a frame, whatever was drawn: the window's
  // size, full screen and the renderer only change this rectangle.
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(frameTexture_, nullptr, &pixels, &pitch) == 0) {
    const size_t row = static_cast<size_t>(compositor_->Width());
    auto* to = static_cast<uint32_t*>(pixels);
    if (static_cast<size_t>(pitch) == row * sizeof(uint32_t)) {
      CopyPixels(to, compositor_->Pixels(), row * static_cast<size_t>(compositor_->Height()));
    } else {
      for (int y = 0; y < compositor_->Height(); ++y)
        CopyPixels(to + static_cast<size_t>(y) * (pitch / 4), compositor_->Pixels() + y * row, row);
    }
    SDL_UnlockTexture(frameTexture_);
  }
  int outputWidth = 0, outputHeight = 0;
  if (SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight) != 0) return;
  const ScreenRect r = Letterbox(outputWidth, outputHeight, compositor_->Width(),
                                 compositor_->Height(), options_.integerScale);
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  const SDL_Rect dest{r.x, r.y, r.width, r.height};
  SDL_RenderCopy(renderer_, frameTexture_, nullptr, &dest);
  SDL_RenderPresent(renderer_);
}

void SdlEngine::PresentOnWindowSurface() {
  // Asked for every frame: SDL makes the surface anew when the window's
  // size changes.
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  if (!surface) {
    LogOnce(std::string("cannot show the frame: ") + SDL_GetError());
    return;
  }
  const uint32_t format = surface->format->format;
  if (format != SDL_PIXELFORMAT_ARGB8888 && format != SDL_PIXELFORMAT_RGB888) {
    // A window of another pixel format (a 16-bit display, say): SDL
    // converts, slowly, rather than nothing being shown.
    SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(compositor_->Pixels()), compositor_->Width(), compositor_->Height(),
        32, compositor_->Width() * 4, SDL_PIXELFORMAT_ARGB8888);
    if (frame) {
      const ScreenRect r = Letterbox(surface->w, surface->h, compositor_->Width(),
                                     compositor_->Height(), options_.integerScale);
      SDL_Rect dest{r.x, r.y, r.width, r.height};
      SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
      SDL_BlitScaled(frame, nullptr, surface, &dest);
      SDL_FreeSurface(frame);
    }
    SDL_UpdateWindowSurface(window_);
    return;
  }
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
  const ScreenRect r = Letterbox(surface->w, surface->h, compositor_->Width(),
                                 compositor_->Height(), options_.integerScale);
  scaler_.Scale(compositor_->Pixels(), compositor_->Width(), compositor_->Height(),
                static_cast<uint32_t*>(surface->pixels), surface->pitch / 4, surface->w, surface->h,
                r, options_.smooth);
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  SDL_UpdateWindowSurface(window_);
}

void SdlEngine::LogFrameHash() {
  if (!frameHashes_) return;
  const size_t count = static_cast<size_t>(compositor_->Width()) * compositor_->Height();
  std::fprintf(frameHashes_.get(), "%lld %016llx\n", static_cast<long long>(pass_),
               static_cast<unsigned long long>(FrameHash(compositor_->Pixels(), count)));
}

void SdlEngine::LogPresent() {
  if (!frameLog_) return;
  // Buffered: a line costs well under a microsecond, and the file is
  // complete once the engine shuts down.
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  std::fprintf(
      frameLog_.get(), "%lld\n",
      static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
}

void SdlEngine::HotkeyAction() {
  RequireRunning("HotkeyAction");
  hotkeyPending_ = true;
}

bool SdlEngine::SaveFrame(const std::string& path) {
  std::error_code error;
  // Screenshot names are the game's own: a pipe or a device found under one
  // was put there by someone else, and is neither written into nor replaced.
  const fs::file_status there = fs::symlink_status(path, error);
  if (fs::exists(there) && !fs::is_regular_file(there)) {
    LogOnce("screenshot: " + path + ": something other than a plain file is there; not saved");
    return false;
  }
  const fs::path folder = fs::path(path).parent_path();
  if (!folder.empty()) fs::create_directories(folder, error);
  const std::string reason = SavePixelsPng(compositor_->Pixels(), compositor_->Width(),
                                           compositor_->Height(), compositor_->Width(), path);
  if (!reason.empty()) {
    LogOnce("screenshot: " + path + ": " + reason);
    return false;
  }
  return true;
}

void SdlEngine::SaveHotkeyScreenshot() {
  const std::string folder = options_.hotkeyScreenshotDir.empty()
                                 ? UserScreenshotFolder(CurrentScreenshotEnvironment())
                                 : options_.hotkeyScreenshotDir;
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const int millis = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &seconds);
#else
  localtime_r(&seconds, &local);
#endif
  const std::string path = (fs::path(folder) / HotkeyScreenshotFileName(local, millis)).string();
  if (!SaveFrame(path)) return;  // logged; a failed screenshot never stops the game
  LogLine("screenshot saved: " + path);
}
