#include "components/media/sdl/audio_wav.h"

#include <SDL.h>

#include <cstring>
#include <filesystem>
#include <system_error>

#include "components/component_error.h"

namespace {

constexpr uint64_t kMaxConvertBytes = 0x7fffffff;

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
  throw ComponentError("LoadSound", path + ": " + reason);
}

// Frees SDL's copy of the samples on every way out, including throws.
struct WavBuffer {
  Uint8* data = nullptr;
  Uint32 length = 0;
  ~WavBuffer() {
    if (data != nullptr) SDL_FreeWAV(data);
  }
};

void ChooseLoaderRules() {
  // SDL's defaults quietly play whatever part of a damaged file it can
  // decode. We would rather hear about a half-written sound on the day it is
  // made than ship one that clicks off early, so a short or lying data chunk
  // is an error. Override priority: an environment variable must not undo it.
  SDL_SetHintWithPriority(SDL_HINT_WAVE_TRUNCATION, "strict", SDL_HINT_OVERRIDE);
  // The fact chunk only matters for compressed data, where it trims the
  // padding of the last block; some tools write a zero count there, which
  // must not empty the sound.
  SDL_SetHintWithPriority(SDL_HINT_WAVE_FACT_CHUNK, "ignorezero", SDL_HINT_OVERRIDE);
}

}  // namespace

WavSound LoadWav(const std::string& path) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) Fail(path, "file not found");
  if (!std::filesystem::is_regular_file(status)) Fail(path, "not a regular file");

  ChooseLoaderRules();
  SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
  if (file == nullptr) Fail(path, SDL_GetError());

  SDL_AudioSpec layout;
  SDL_zero(layout);
  WavBuffer wav;
  // freesrc = 1: SDL closes the file whether or not the load succeeds.
  if (SDL_LoadWAV_RW(file, 1, &layout, &wav.data, &wav.length) == nullptr) {
    wav.data = nullptr;
    Fail(path, SDL_GetError());
  }

  if (layout.channels < 1 || layout.channels > 2) {
    Fail(path, "has " + std::to_string(layout.channels) + " channels (only mono and stereo are played)");
  }
  if (wav.length == 0) Fail(path, "contains no sound data");
  const Uint32 frameBytes = (SDL_AUDIO_BITSIZE(layout.format) / 8) * layout.channels;
  if (frameBytes == 0 || wav.length % frameBytes != 0) {
    Fail(path, "sound data of " + std::to_string(wav.length) + " bytes is not a whole number of " +
                   std::to_string(frameBytes) + "-byte frames");
  }

  SDL_AudioCVT cvt;
  if (SDL_BuildAudioCVT(&cvt, layout.format, layout.channels, layout.freq, AUDIO_S16SYS, layout.channels,
                        layout.freq) < 0) {
    Fail(path, SDL_GetError());
  }
  // The conversion runs in place and may need up to len_mult times the room;
  // SDL counts that room in an int.
  if (static_cast<uint64_t>(wav.length) * static_cast<uint64_t>(cvt.len_mult) > kMaxConvertBytes) {
    Fail(path, "sound data of " + std::to_string(wav.length) + " bytes is too large");
  }
  std::vector<Uint8> work(static_cast<size_t>(wav.length) * static_cast<size_t>(cvt.len_mult));
  std::memcpy(work.data(), wav.data, wav.length);
  cvt.buf = work.data();
  cvt.len = static_cast<int>(wav.length);
  if (cvt.needed != 0 && SDL_ConvertAudio(&cvt) < 0) Fail(path, SDL_GetError());
  const size_t outBytes = cvt.needed != 0 ? static_cast<size_t>(cvt.len_cvt) : wav.length;
  const size_t outFrameBytes = sizeof(int16_t) * static_cast<size_t>(layout.channels);
  if (outBytes == 0 || outBytes % outFrameBytes != 0) {
    Fail(path, "conversion to 16-bit gave " + std::to_string(outBytes) + " bytes");
  }

  WavSound sound;
  sound.channels = layout.channels;
  sound.rate = layout.freq;
  sound.samples.resize(outBytes / sizeof(int16_t));
  std::memcpy(sound.samples.data(), work.data(), outBytes);
  return sound;
}
