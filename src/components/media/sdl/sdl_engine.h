#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components/media/control_translator.h"
#include "components/media/media_engine.h"

// The real media engine. This header names no SDL type: the shell builds the
// engine through it without seeing the platform.
struct SdlEngineOptions {
  bool headless = false;  // no window, no audio device, unpaced
  bool vsync = false;
  int fps = 60;       // pacing of EndFrame; 0 = unpaced
  bool mute = false;  // never open an audio device
  // Let the sound libraries print their own diagnostics (--verbose); off,
  // a machine without sound shows only the game's one line about it.
  bool libraryLogs = false;
  // How the frame is scaled into the window: smoothed (linear) or sharp
  // (nearest), and only by whole numbers when asked.
  bool smooth = true;
  bool integerScale = false;
  // The window's first size; 0 = the frame's own size.
  int windowWidth = 0;
  int windowHeight = 0;
  std::vector<int64_t> screenshotPasses;  // save the frame presented in these passes
  std::string screenshotDir;              // ... into this folder
  std::string hotkeyScreenshotDir;        // where HotkeyAction saves (empty = user's folder)
  // When set, each presented frame appends one line to this file: the
  // moment it was shown, in nanoseconds of the steady clock (CLOCK_MONOTONIC
  // on Linux, so another process can compare it with its own readings).
  std::string frameLogPath;
  // When set, each finished frame appends "pass hash" (16 hex digits) to
  // this file: the pictures of a replay, checkable like its trace.
  std::string frameHashPath;
  // setup.ini's [keys]: physical keys that act as game keys.
  KeyBindings keyBindings;
  // Pads shake on a crash and a touchdown ([main] Rumble=False: never).
  bool rumble = true;
  // The player's extra controller mappings (SDL's gamecontrollerdb.txt
  // format), read when present.
  std::string controllerMappings;
  // The input script holds pad buttons: a virtual pad is attached inside SDL
  // to play them, even headless.
  bool scriptHasPad = false;
  // When set, counts the outputs above that could not be written whole
  // (each is named on stderr once), so the run can end with a failure.
  int* failedOutputs = nullptr;
};

std::unique_ptr<MediaEngine> CreateSdlEngine(const SdlEngineOptions& options);

// Decodes any picture the engine can load and writes it as PNG. Throws
// ComponentError with the reason. Needs no window.
void DecodeImageToPng(const std::string& inputPath, const std::string& outputPath);
