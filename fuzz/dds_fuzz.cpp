// Feeds arbitrary bytes to the DDS reader: it must refuse bad pictures with a
// DdsError and never read or write outside its buffers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "dds_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Only the magic is checked here, so LooksLikeDds must agree with the reader.
  const bool looksLikeDds = LooksLikeDds(data, size);
  try {
    const DecodedImage image = DecodeDds(data, size);
    if (!looksLikeDds || image.rgba.size() != static_cast<size_t>(image.width) *
                                                  static_cast<size_t>(image.height) * 4) {
      std::abort();
    }
  } catch (const DdsError&) {
  }
  return 0;
}
