#include "components/media/picture_header.h"

#include <cstring>

namespace {

uint32_t Big32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
uint32_t Big16(const uint8_t* p) { return uint32_t{p[0]} << 8 | p[1]; }
uint32_t Little32(const uint8_t* p) {
  return uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}
uint32_t Little16(const uint8_t* p) { return uint32_t{p[1]} << 8 | p[0]; }

struct Size {
  int64_t width = -1;  // -1: not found
  int64_t height = -1;
};

// The first frame header (SOF) before the first scan; markers without a
// length (restarts, the start) are stepped over.
Size JpegSize(const uint8_t* data, size_t size) {
  size_t at = 2;
  while (at + 9 < size) {
    if (data[at] != 0xFF) return {};
    const uint8_t marker = data[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      at += 2;
      continue;
    }
    if (marker == 0xDA) return {};
    const bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) return {Big16(data + at + 7), Big16(data + at + 5)};
    at += 2 + Big16(data + at + 2);
  }
  return {};
}

std::string TooLarge(int64_t width, int64_t height) {
  return "is " + std::to_string(width) + " x " + std::to_string(height) +
         " pixels; a picture may be at most " + std::to_string(kMaxPictureSide) + " x " +
         std::to_string(kMaxPictureSide);
}

}  // namespace

std::string CheckPictureHeader(const uint8_t* data, size_t size) {
  Size s;
  if (size >= 24 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0) {
    s = {Big32(data + 16), Big32(data + 20)};
  } else if (size >= 4 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
    s = JpegSize(data, size);
  } else if (size >= 20 && std::memcmp(data, "DDS ", 4) == 0) {
    s = {Little32(data + 16), Little32(data + 12)};
  } else if (size >= 30 && data[0] == 'B' && data[1] == 'M') {
    const uint32_t infoSize = Little32(data + 14);
    const bool core = infoSize == 12;
    int64_t height =
        core ? int64_t{Little16(data + 20)} : int64_t{static_cast<int32_t>(Little32(data + 22))};
    if (height < 0) height = -height;  // rows stored top down
    s = {core ? int64_t{Little16(data + 18)} : int64_t{static_cast<int32_t>(Little32(data + 18))},
         height};
    if (s.width > kMaxPictureSide || s.height > kMaxPictureSide) return TooLarge(s.width, s.height);
    // Uncompressed rows have a known length: a header that claims more of
    // them than the file holds lies about the picture.
    const uint32_t bits = Little16(data + (core ? 24 : 28));
    const uint32_t compression = core || size < 34 ? 0 : Little32(data + 30);
    if (s.width > 0 && bits > 0 && (compression == 0 || compression == 3)) {
      const uint64_t row = (static_cast<uint64_t>(s.width) * bits + 31) / 32 * 4;
      if (Little32(data + 10) + row * static_cast<uint64_t>(s.height) > size) {
        return "claims " + std::to_string(s.width) + " x " + std::to_string(s.height) +
               " pixels, more than the file holds";
      }
    }
  }
  if (s.width < 0) return {};
  if (s.width > kMaxPictureSide || s.height > kMaxPictureSide) return TooLarge(s.width, s.height);
  return {};
}
