#include "components/media/picture_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes& b, size_t at, uint32_t v, int n, bool big) {
  for (int i = 0; i < n; ++i) b[at + i] = uint8_t(v >> 8 * (big ? n - 1 - i : i));
}

Bytes Png(uint32_t w, uint32_t h) {
  Bytes b(33, 0);
  const std::string sig = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR";
  std::copy(sig.begin(), sig.end(), b.begin());
  Put(b, 16, w, 4, true);
  Put(b, 20, h, 4, true);
  return b;
}

// An APP0 segment first, then the frame header: the size is found past it.
Bytes Jpeg(uint32_t w, uint32_t h) {
  Bytes b = {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0, 0xFF, 0xC2, 0, 11, 8, 0, 0, 0, 0, 3, 0, 0};
  Put(b, 13, h, 2, true);
  Put(b, 15, w, 2, true);
  return b;
}

Bytes Dds(uint32_t w, uint32_t h) {
  Bytes b(128, 0);
  b[0] = 'D', b[1] = 'D', b[2] = 'S', b[3] = ' ';
  Put(b, 12, h, 4, false);
  Put(b, 16, w, 4, false);
  return b;
}

// A 24-bit BMP holding `rows` rows of a picture `w` wide that claims `h`.
Bytes Bmp(int32_t w, int32_t h, int rows) {
  const size_t row = (size_t(w) * 24 + 31) / 32 * 4;
  Bytes b(54 + row * rows, 0);
  b[0] = 'B', b[1] = 'M';
  Put(b, 10, 54, 4, false);
  Put(b, 14, 40, 4, false);
  Put(b, 18, uint32_t(w), 4, false);
  Put(b, 22, uint32_t(h), 4, false);
  Put(b, 28, 24, 2, false);
  return b;
}

TEST(PictureHeader, SizesAreJudgedBeforeAnyDecoding) {
  const std::vector<std::pair<Bytes, std::string>> cases = {
      {Png(8192, 8192), ""},
      {Png(8193, 1), "is 8193 x 1 pixels"},
      {Png(1, 60000), "is 1 x 60000 pixels"},
      {Jpeg(640, 480), ""},
      {Jpeg(9000, 100), "is 9000 x 100 pixels"},
      {Dds(256, 8192), ""},
      {Dds(8193, 4), "is 8193 x 4 pixels"},
      {Bmp(3, 5, 5), ""},
      {Bmp(3, -5, 5), ""},  // stored top down
      {Bmp(3, 6, 5), "claims 3 x 6 pixels, more than the file holds"},
      {Bmp(9000, 1, 1), "is 9000 x 1 pixels"},
      {Bytes(40, 'x'), ""},  // not a format read here: its decoder judges it
  };
  for (const auto& [bytes, says] : cases) {
    const std::string got = CheckPictureHeader(bytes.data(), bytes.size());
    if (says.empty()) {
      EXPECT_EQ(got, "") << bytes.size();
    } else {
      EXPECT_NE(got.find(says), std::string::npos) << got;
    }
  }
}

}  // namespace
