#include "components/media/sdl/audio_wav.h"

#include <SDL.h>

#include <cstring>
#include <system_error>

#include "components/component_error.h"
#include "components/read_file.h"

namespace {

constexpr uint64_t kMaxConvertBytes = 0x7fffffff;
// The longest music loop is a few megabytes; a file far past that is a
// mistake, and is refused before it is read into memory.
constexpr size_t kMaxWavBytes = 256u * 1024u * 1024u;

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

// Closes a stream on every way out until SDL takes it over.
struct StreamGuard {
  SDL_RWops* stream = nullptr;
  ~StreamGuard() {
    if (stream != nullptr) SDL_RWclose(stream);
  }
};

uint32_t ReadLe32(const Uint8* bytes) {
  return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
         (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

std::string ChunkName(const Uint8* id) {
  std::string name;
  for (int i = 0; i < 4; ++i)
    name += (id[i] >= 0x20 && id[i] < 0x7f) ? static_cast<char>(id[i]) : '?';
  return name;
}

// SDL reads a chunk into memory at the size the file declares before it
// notices the file is shorter, so a 100-byte file could ask for 4 GiB. It
// looks at chunks until it has both the format and the sound data, even past
// the data; walk the same chunks first and refuse any that runs past the end
// of the file. SDL would also take a file that starts at "WAVE" with no RIFF
// header; no tool writes those, so they are refused here too.
void CheckChunkSizes(SDL_RWops* stream, const std::string& path) {
  const Sint64 total = SDL_RWsize(stream);
  if (total == 0) Fail(path, "empty file");
  Uint8 header[12];
  if (total < 12 || SDL_RWread(stream, header, 1, sizeof header) != sizeof header)
    Fail(path, "too short for a WAV file");
  if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0)
    Fail(path, "not a RIFF WAVE file");
  bool seenFormat = false;
  bool seenData = false;
  Sint64 at = 12;
  Uint8 chunk[8];
  while (!(seenFormat && seenData) && at + 8 <= total &&
         SDL_RWseek(stream, at, RW_SEEK_SET) == at &&
         SDL_RWread(stream, chunk, 1, sizeof chunk) == sizeof chunk) {
    const uint32_t length = ReadLe32(chunk + 4);
    const Sint64 left = total - at - 8;
    if (static_cast<Sint64>(length) > left) {
      Fail(path, "the '" + ChunkName(chunk) + "' chunk declares " + std::to_string(length) +
                     " bytes but only " + std::to_string(left) + " follow");
    }
    seenFormat = seenFormat || std::memcmp(chunk, "fmt ", 4) == 0;
    seenData = seenData || std::memcmp(chunk, "data", 4) == 0;
    // Chunks start on even offsets; an odd length is followed by a pad byte.
    at += 8 + static_cast<Sint64>(length) + (length & 1);
  }
  if (SDL_RWseek(stream, 0, RW_SEEK_SET) != 0) Fail(path, "cannot rewind the file");
}

WavSound LoadFromStream(StreamGuard& guard, const std::string& path) {
  ChooseLoaderRules();
  CheckChunkSizes(guard.stream, path);

  SDL_AudioSpec layout;
  SDL_zero(layout);
  WavBuffer wav;
  // freesrc = 1: SDL closes the file whether or not the load succeeds.
  SDL_RWops* const stream = guard.stream;
  guard.stream = nullptr;
  if (SDL_LoadWAV_RW(stream, 1, &layout, &wav.data, &wav.length) == nullptr) {
    wav.data = nullptr;
    Fail(path, SDL_GetError());
  }

  if (layout.channels < 1 || layout.channels > 2) {
    Fail(path,
         "has " + std::to_string(layout.channels) + " channels (only mono and stereo are played)");
  }
  if (wav.length == 0) Fail(path, "contains no sound data");
  const Uint32 frameBytes = (SDL_AUDIO_BITSIZE(layout.format) / 8) * layout.channels;
  if (frameBytes == 0 || wav.length % frameBytes != 0) {
    Fail(path, "sound data of " + std::to_string(wav.length) + " bytes is not a whole number of " +
                   std::to_string(frameBytes) + "-byte frames");
  }

  SDL_AudioCVT cvt;
  if (SDL_BuildAudioCVT(&cvt, layout.format, layout.channels, layout.freq, AUDIO_S16SYS,
                        layout.channels, layout.freq) < 0) {
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

}  // namespace

WavSound LoadWav(const std::string& path) {
  const ReadResult file = ReadSmallFile(path, kMaxWavBytes);
  switch (file.status) {
    case ReadStatus::kOk: break;
    case ReadStatus::kMissing: Fail(path, "file not found");
    case ReadStatus::kNotAFile: Fail(path, "not a regular file");
    case ReadStatus::kTooLarge: Fail(path, "too large for a sound");
    default: Fail(path, file.problem);
  }
  return DecodeWav(reinterpret_cast<const uint8_t*>(file.bytes.data()), file.bytes.size(), path);
}

WavSound DecodeWav(const uint8_t* data, size_t size, const std::string& name) {
  // SDL will not wrap an empty buffer; say what a file on disk would.
  if (size == 0) Fail(name, "empty file");
  if (size > static_cast<size_t>(INT32_MAX)) Fail(name, "too large for a sound");
  StreamGuard guard;
  guard.stream = SDL_RWFromConstMem(data, static_cast<int>(size));
  if (guard.stream == nullptr) Fail(name, SDL_GetError());
  return LoadFromStream(guard, name);
}
