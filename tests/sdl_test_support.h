#pragma once
// What the engine's tests do from outside it: push events into SDL's queue,
// write and read picture files, and read back the frame an engine showed.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <SDL.h>

#include "sdl_engine.h"

// Every pixel of a picture or frame as 0xAARRGGBB, rows top to bottom.
struct ArgbPixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;
  uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
};

// Pushes into SDL's event queue (the engine must have started SDL).
// `keyName` is SDL's scancode name ("A", "Left", "Keypad Enter", "F11").
void PushKey(const std::string& keyName, bool down, bool repeat = false);
void PushEvent(SDL_Event event);

ArgbPixels SolidPicture(int width, int height, uint32_t argb);

// Writes ARGB pixels: ".bmp" as BMP, anything else as PNG. Throws
// std::runtime_error.
void WritePicture(const std::string& path, const ArgbPixels& picture);
// Reads a file through SDL_image alone, not the engine's decoders, so a
// fault there cannot hide itself on the way back. Throws std::runtime_error.
ArgbPixels LoadPicture(const std::string& path);

// The frame an engine shows is read through its screenshots: these options
// make a headless engine save the frame of every pass up to `passes` into
// `folder`, and SavedFrame loads the one saved at the end of `pass`.
SdlEngineOptions FrameSavingOptions(const std::filesystem::path& folder, int64_t passes = 32);
ArgbPixels SavedFrame(const std::filesystem::path& folder, int64_t pass);
