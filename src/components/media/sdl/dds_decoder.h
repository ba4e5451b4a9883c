#pragma once
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Our own reader of DDS pictures (no SDL here: the decoder is plain code so
// the fuzzer and the tests can drive it directly).
struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // width * height * 4 bytes, R G B A, rows top to bottom
};

// Thrown with a one-line reason ("truncated DXT5 data (expected 65536 bytes,
// found 1200)"); the engine turns it into a ComponentError naming the file.
class DdsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Largest width or height accepted.
constexpr uint32_t kDdsMaxDimension = 8192;

bool LooksLikeDds(const uint8_t* data, size_t size);
// Decodes the top mip level. Throws DdsError on anything malformed or
// unsupported; never reads or writes outside the given buffers.
DecodedImage DecodeDds(const uint8_t* data, size_t size);
