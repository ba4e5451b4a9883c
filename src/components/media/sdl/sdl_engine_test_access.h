#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "components/media/media_engine.h"

// Hooks for the engine's tests, so they need no SDL header of their own.

// ARGB8888 pixels, rows top to bottom.
struct SdlTestPicture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;
  uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
};

// The render target of an engine made by CreateSdlEngine (headless: the
// frame as drawn so far).
SdlTestPicture SdlTestReadFrame(MediaEngine& engine);
// Whether a close request was let through.
bool SdlTestWindowGone(MediaEngine& engine);

// Pushes into SDL's event queue. `keyName` is SDL's scancode name ("A",
// "Left", "Keypad Enter", "F11").
void SdlTestPushKey(const std::string& keyName, bool down, bool repeat = false);
void SdlTestPushQuit();
void SdlTestPushFocusLost();

// Writes a picture file: ".bmp" as BMP, anything else as PNG. Throws
// std::runtime_error on failure.
void SdlTestWritePicture(const std::string& path, const SdlTestPicture& picture);
// Reads any picture SDL_image knows. Throws std::runtime_error.
SdlTestPicture SdlTestLoadPicture(const std::string& path);
