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

namespace fs = std::filesystem;

bool SdlEngine::IsScreenshotPass() const {
  return pass_ > 0 && std::find(options_.screenshotPasses.begin(), options_.screenshotPasses.end(),
                                pass_) != options_.screenshotPasses.end();
}

void SdlEngine::EndFrame() {
  RequireRunning("EndFrame");
  bool waited = false;
  if (!windowGone_) {
    const bool passShot = IsScreenshotPass();
    // HotkeyAction runs inside the pass whose frame ends here, so the S key's
    // shot is the frame shown at the end of that same pass. The pixels are
    // read before presenting: after the swap a GL back buffer is undefined.
    const bool captured = (passShot || hotkeyPending_) && CaptureInto(captured_);
    SDL_RenderFlush(renderer_);  // headless, the surface is the frame: nothing more to show
    if (!options_.headless) {
      // The finished frame goes on screen at the tick, not whenever its
      // drawing happened to end: a busy frame and a quiet one then reach the
      // player exactly one period apart.
      pacer_.Wait();
      waited = true;
      SDL_RenderPresent(renderer_);
      // The icon waits for the first frame: decoding it first would hold
      // the logo back for nothing the player sees.
      if (!iconSet_) {
        iconSet_ = true;
        SetWindowIcon();
      }
    }
    LogPresent();
    if (captured && passShot) SaveCaptured(PassScreenshotPath(options_.screenshotDir, pass_));
    if (captured && hotkeyPending_) SaveHotkeyScreenshot();
  }
  hotkeyPending_ = false;
  framedThisPass_ = true;
  PumpEvents();
  if (!waited && state_ == State::kRunning) pacer_.Wait();
}

void SdlEngine::LogPresent() {
  if (!frameLog_) return;
  // Buffered: a line costs well under a microsecond, and the file is
  // complete once the engine shuts down.
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  std::fprintf(frameLog_.get(), "%lld\n",
               static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
}

void SdlEngine::HotkeyAction() {
  RequireRunning("HotkeyAction");
  hotkeyPending_ = true;
}

bool SdlEngine::CaptureInto(CapturedFrame& frame) {
  // The page's pixels at the window's own resolution: with a logical size the
  // viewport is the letterboxed page, scaled.
  int outputWidth = 0, outputHeight = 0;
  if (SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight) != 0 || outputWidth <= 0 ||
      outputHeight <= 0) {
    LogOnce(std::string("screenshot: cannot read the frame size: ") + SDL_GetError());
    return false;
  }
  SDL_Rect viewport;
  float scaleX = 1, scaleY = 1;
  SDL_RenderGetViewport(renderer_, &viewport);
  SDL_RenderGetScale(renderer_, &scaleX, &scaleY);
  frame.width = std::clamp(static_cast<int>(std::lround(viewport.w * scaleX)), 1, outputWidth);
  frame.height = std::clamp(static_cast<int>(std::lround(viewport.h * scaleY)), 1, outputHeight);
  frame.pitch = outputWidth;
  // Room for the whole output: SDL writes the viewport's rows at our pitch.
  frame.argb.resize(static_cast<size_t>(outputWidth) * outputHeight);
  if (SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ARGB8888, frame.argb.data(),
                           frame.pitch * 4) != 0) {
    LogOnce(std::string("screenshot: cannot read the frame: ") + SDL_GetError());
    return false;
  }
  // A screenshot is opaque whatever the renderer left in the alpha channel.
  for (uint32_t& pixel : frame.argb) pixel |= 0xFF000000u;
  return true;
}

bool SdlEngine::SaveCaptured(const std::string& path) {
  std::error_code error;
  const fs::path folder = fs::path(path).parent_path();
  if (!folder.empty()) fs::create_directories(folder, error);
  const std::string reason = SavePixelsPng(captured_.argb.data(), captured_.width, captured_.height,
                                           captured_.pitch, path);
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
  if (!SaveCaptured(path)) return;  // logged; a failed screenshot never stops the game
  LogLine("screenshot saved: " + path);
}

CapturedFrame SdlEngine::ReadTarget() {
  RequireRunning("ReadTarget");
  CapturedFrame frame;
  if (!CaptureInto(frame)) throw ComponentError("ReadTarget", SDL_GetError());
  return frame;
}
