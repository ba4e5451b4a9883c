#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components/media/media_engine.h"

// The real media engine. This header names no SDL type: the shell builds the
// engine through it without seeing the platform.
struct SdlEngineOptions {
  bool headless = false;  // no window, no audio device, software frames, unpaced
  bool vsync = false;
  int fps = 60;           // pacing of EndFrame; 0 = unpaced
  bool mute = false;      // never open an audio device
  std::vector<int64_t> screenshotPasses;  // save the frame presented in these passes
  std::string screenshotDir;              // ... into this folder
  std::string hotkeyScreenshotDir;        // where HotkeyAction saves (empty = user's folder)
};

std::unique_ptr<MediaEngine> CreateSdlEngine(const SdlEngineOptions& options);

// Decodes any picture the engine can load and writes it as PNG. Throws
// ComponentError with the reason. Needs no window.
void DecodeImageToPng(const std::string& inputPath, const std::string& outputPath);
