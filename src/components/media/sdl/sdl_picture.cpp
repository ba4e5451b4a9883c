#include "sdl_picture.h"

#include <SDL_image.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "components/media/picture_header.h"
#include "components/output_file.h"
#include "components/read_file.h"
#include "dds_decoder.h"

namespace fs = std::filesystem;

namespace {

// Nothing the game loads comes near this; a bigger file is a mistake, not a
// picture, and is refused before it is read into memory.
constexpr size_t kMaxPictureFileBytes = 256u * 1024u * 1024u;

std::string ReadWholeFile(const std::string& path) {
  ReadResult file = ReadSmallFile(path, kMaxPictureFileBytes);
  switch (file.status) {
    case ReadStatus::kOk: break;
    case ReadStatus::kMissing: throw PictureError("file not found");
    case ReadStatus::kNotAFile: throw PictureError("not a regular file");
    case ReadStatus::kTooLarge: throw PictureError("file too large for a picture");
    default: throw PictureError(file.problem);
  }
  if (file.bytes.empty()) throw PictureError("empty file");
  return std::move(file.bytes);
}

// The JPEG reader quietly makes up the end of a cut-off file, so a
// half-copied picture would load as if whole: a JPEG must close with its
// end-of-image marker somewhere after its last scan.
void RequireWholeJpeg(const std::string& text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const size_t size = text.size();
  if (size < 3 || bytes[0] != 0xFF || bytes[1] != 0xD8 || bytes[2] != 0xFF) return;
  size_t lastScan = 0;
  for (size_t i = 2; i + 1 < size; ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) lastScan = i;
  for (size_t i = lastScan + 2; lastScan != 0 && i + 1 < size; ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xD9) return;
  throw PictureError("truncated JPEG data (no end-of-image marker)");
}

}  // namespace

Picture DecodePicture(const std::string& path, int32_t colorKey) {
  // Straight into the picture's own pixels: loading is when the game's
  // memory peaks, and every extra copy of a full-screen picture shows there.
  std::string file = ReadWholeFile(path);
  const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
  if (const std::string refusal = CheckPictureHeader(bytes, file.size()); !refusal.empty())
    throw PictureError(refusal);
  std::vector<uint32_t> pixels;
  int width = 0, height = 0;
  if (LooksLikeDds(bytes, file.size())) {
    DecodedImage image;
    try {
      image = DecodeDds(bytes, file.size());
    } catch (const DdsError& error) {
      throw PictureError(error.what());
    }
    file = {};
    width = image.width;
    height = image.height;
    pixels.resize(static_cast<size_t>(width) * height);
    const uint8_t* in = image.rgba.data();
    for (uint32_t& pixel : pixels) {
      pixel = (uint32_t{in[3]} << 24) | (uint32_t{in[0]} << 16) | (uint32_t{in[1]} << 8) | in[2];
      in += 4;
    }
  } else {
    RequireWholeJpeg(file);
    SDL_RWops* stream = SDL_RWFromConstMem(bytes, static_cast<int>(file.size()));
    if (!stream) throw PictureError(SDL_GetError());
    SurfacePtr decoded(IMG_Load_RW(stream, 1));
    if (!decoded) throw PictureError(std::string("cannot decode: ") + IMG_GetError());
    file = {};
    width = decoded->w;
    height = decoded->h;
    pixels.resize(static_cast<size_t>(width) * height);
    if (SDL_ConvertPixels(width, height, decoded->format->format, decoded->pixels, decoded->pitch,
                          SDL_PIXELFORMAT_ARGB8888, pixels.data(), width * 4) != 0) {
      throw PictureError(std::string("cannot convert: ") + SDL_GetError());
    }
  }
  return MakePicture(width, height, std::move(pixels), colorKey);
}

namespace {

// SDL_image writes a PNG through an SDL stream; this one keeps it in memory,
// so the file is written and checked by our own writer (SDL's file stream
// drops the error of its close, where a full disk shows).
size_t AppendToString(SDL_RWops* stream, const void* data, size_t size, size_t count) {
  static_cast<std::string*>(stream->hidden.unknown.data1)
      ->append(static_cast<const char*>(data), size * count);
  return count;
}

int FreeStream(SDL_RWops* stream) {
  SDL_FreeRW(stream);
  return 0;
}

// A PNG is written front to back; a writer that tried to look back would
// get a plain refusal.
Sint64 NoSize(SDL_RWops*) { return -1; }
Sint64 NoSeek(SDL_RWops*, Sint64, int) { return -1; }
size_t NoRead(SDL_RWops*, void*, size_t, size_t) { return 0; }

}  // namespace

std::string SavePixelsPng(const uint32_t* argb, int width, int height, int pitchPixels,
                          const std::string& path) {
  SurfacePtr surface(SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<uint32_t*>(argb), width, height, 32, pitchPixels * 4, SDL_PIXELFORMAT_ARGB8888));
  if (!surface) return SDL_GetError();
  std::string png;
  SDL_RWops* stream = SDL_AllocRW();
  if (!stream) return SDL_GetError();
  stream->hidden.unknown.data1 = &png;
  stream->size = NoSize;
  stream->seek = NoSeek;
  stream->read = NoRead;
  stream->write = AppendToString;
  stream->close = FreeStream;
  if (IMG_SavePNG_RW(surface.get(), stream, 1) != 0) return IMG_GetError();
  return WriteOutputFile(path, png);
}
