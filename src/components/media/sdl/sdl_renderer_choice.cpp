#include "sdl_renderer_choice.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

bool MachineMayHaveGpu() {
#if defined(__EMSCRIPTEN__)
  // The page scales the canvas itself (CSS, nearest pixels); the frame only
  // has to reach the canvas's own 640 x 480 pixels, which the window surface
  // does without a WebGL context.
  return false;
#elif defined(__linux__)
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error)) {
    if (entry.path().filename().string().rfind("renderD", 0) == 0) return true;
  }
  return std::filesystem::exists("/dev/nvidia0", error);
#else
  return true;
#endif
}

bool RendererRunsOnCpu(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0) return false;
  if (info.flags & SDL_RENDERER_SOFTWARE) return true;
  if (!info.name || std::strncmp(info.name, "opengl", 6) != 0) return false;
  // The GL renderer leaves its context current; its name says who draws.
  using GetString = const unsigned char* (*)(unsigned int);
  constexpr unsigned int kGlRenderer = 0x1F01;
  auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  if (!getString) return false;
  const unsigned char* name = getString(kGlRenderer);
  if (!name) return false;
  const std::string text(reinterpret_cast<const char*>(name));
  for (const char* cpu : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer", "SwiftShader"}) {
    if (text.find(cpu) != std::string::npos) return true;
  }
  return false;
}

uint32_t FrameTextureFormat(SDL_Renderer* renderer, SDL_Window* window) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0) return SDL_PIXELFORMAT_ARGB8888;
  const uint32_t windowFormat = SDL_GetWindowPixelFormat(window);
  bool argb = false, xrgb = false;
  for (uint32_t i = 0; i < info.num_texture_formats; ++i) {
    argb = argb || info.texture_formats[i] == SDL_PIXELFORMAT_ARGB8888;
    xrgb = xrgb || info.texture_formats[i] == SDL_PIXELFORMAT_RGB888;
  }
  if (xrgb && (windowFormat == SDL_PIXELFORMAT_RGB888 || !argb)) return SDL_PIXELFORMAT_RGB888;
  return SDL_PIXELFORMAT_ARGB8888;
}
