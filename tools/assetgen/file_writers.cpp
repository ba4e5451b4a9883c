#include "file_writers.h"

#include <SDL.h>
#include <SDL_image.h>
#include <squish.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size())
    throw std::runtime_error(path + ": cannot write");
}

struct SurfaceDeleter {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// The image's bytes seen by SDL as ABGR8888 (R first in memory).
SurfacePtr AsSurface(const Image& image) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(image.rgba.data()),
                                                      image.width, image.height, 32,
                                                      image.width * 4, SDL_PIXELFORMAT_ABGR8888);
  if (!s) throw std::runtime_error(std::string("cannot wrap pixels: ") + SDL_GetError());
  return SurfacePtr(s);
}

SurfacePtr AsRgb24(const Image& image) {
  SurfacePtr rgba = AsSurface(image);
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(rgba.get(), SDL_PIXELFORMAT_RGB24, 0);
  if (!rgb) throw std::runtime_error(std::string("cannot convert pixels: ") + SDL_GetError());
  return SurfacePtr(rgb);
}

}  // namespace

void WriteDds(const std::string& path, const Image& image, DdsFormat format) {
  std::vector<uint8_t> b(128, 0);
  b[0] = 'D';
  b[1] = 'D';
  b[2] = 'S';
  b[3] = ' ';
  Put32(b, 4, 124);
  const bool compressed = format != DdsFormat::kArgb8888;
  // CAPS | HEIGHT | WIDTH | PIXELFORMAT, plus LINEARSIZE or PITCH.
  Put32(b, 8, 0x1007 | (compressed ? 0x80000 : 0x8));
  Put32(b, 12, static_cast<uint32_t>(image.height));
  Put32(b, 16, static_cast<uint32_t>(image.width));
  Put32(b, 76, 32);
  Put32(b, 108, 0x1000);  // TEXTURE
  if (compressed) {
    const int flags = format == DdsFormat::kDxt1 ? squish::kDxt1 : squish::kDxt5;
    const int size = squish::GetStorageRequirements(image.width, image.height, flags);
    Put32(b, 20, static_cast<uint32_t>(size));
    Put32(b, 80, 0x4);  // FOURCC
    const char* fourcc = format == DdsFormat::kDxt1 ? "DXT1" : "DXT5";
    for (int i = 0; i < 4; ++i) b[84 + i] = static_cast<uint8_t>(fourcc[i]);
    std::vector<uint8_t> blocks(static_cast<size_t>(size));
    // Cluster fit: slower, but the art is made once per build.
    squish::CompressImage(image.rgba.data(), image.width, image.height, blocks.data(),
                          flags | squish::kColourClusterFit | squish::kWeightColourByAlpha);
    b.insert(b.end(), blocks.begin(), blocks.end());
  } else {
    Put32(b, 20, static_cast<uint32_t>(image.width * 4));
    Put32(b, 80, 0x41);  // RGB | ALPHAPIXELS
    Put32(b, 88, 32);
    Put32(b, 92, 0x00FF0000);
    Put32(b, 96, 0x0000FF00);
    Put32(b, 100, 0x000000FF);
    Put32(b, 104, 0xFF000000);
    b.reserve(b.size() + image.rgba.size());
    for (size_t i = 0; i < image.rgba.size(); i += 4) {
      b.push_back(image.rgba[i + 2]);  // B G R A in memory
      b.push_back(image.rgba[i + 1]);
      b.push_back(image.rgba[i + 0]);
      b.push_back(image.rgba[i + 3]);
    }
  }
  WriteBytes(path, b);
}

void WritePng(const std::string& path, const Image& image) {
  SurfacePtr s = AsSurface(image);
  if (IMG_SavePNG(s.get(), path.c_str()) != 0)
    throw std::runtime_error(path + ": " + IMG_GetError());
}

void WriteJpeg(const std::string& path, const Image& image, int quality) {
  SurfacePtr s = AsRgb24(image);
  if (IMG_SaveJPG(s.get(), path.c_str(), quality) != 0)
    throw std::runtime_error(path + ": " + IMG_GetError());
}

void WriteBmp(const std::string& path, const Image& image) {
  SurfacePtr s = AsRgb24(image);
  if (SDL_SaveBMP(s.get(), path.c_str()) != 0)
    throw std::runtime_error(path + ": " + SDL_GetError());
}

void WriteWav(const std::string& path, const Pcm& pcm) {
  const auto dataBytes = static_cast<uint32_t>(pcm.samples.size() * 2);
  std::vector<uint8_t> b(44, 0);
  const char* riff = "RIFF";
  const char* wave = "WAVEfmt ";
  const char* data = "data";
  for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(riff[i]);
  Put32(b, 4, 36 + dataBytes);
  for (int i = 0; i < 8; ++i) b[8 + i] = static_cast<uint8_t>(wave[i]);
  Put32(b, 16, 16);
  b[20] = 1;  // PCM
  b[22] = static_cast<uint8_t>(pcm.channels);
  Put32(b, 24, static_cast<uint32_t>(pcm.rate));
  Put32(b, 28, static_cast<uint32_t>(pcm.rate * pcm.channels * 2));
  b[32] = static_cast<uint8_t>(pcm.channels * 2);
  b[34] = 16;
  for (int i = 0; i < 4; ++i) b[36 + i] = static_cast<uint8_t>(data[i]);
  Put32(b, 40, dataBytes);
  b.reserve(b.size() + dataBytes);
  for (int16_t s : pcm.samples) {
    b.push_back(static_cast<uint8_t>(s & 0xFF));
    b.push_back(static_cast<uint8_t>((static_cast<uint16_t>(s) >> 8) & 0xFF));
  }
  WriteBytes(path, b);
}
