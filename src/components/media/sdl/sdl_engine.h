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
  // When set, each presented frame appends one line to this file: the
  // moment it was shown, in nanoseconds of the steady clock (CLOCK_MONOTONIC
  // on Linux, so another process can compare it with its own readings).
  std::string frameLogPath;
  // Sends every picture through SDL exactly as asked, without the shortcuts
  // that skip invisible pixels; the frames must come out the same either way
  // (the tests and the benchmarks compare them).
  bool plainDrawing = false;
};

std::unique_ptr<MediaEngine> CreateSdlEngine(const SdlEngineOptions& options);

// Decodes any picture the engine can load and writes it as PNG. Throws
// ComponentError with the reason. Needs no window.
void DecodeImageToPng(const std::string& inputPath, const std::string& outputPath);
