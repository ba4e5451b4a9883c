// Feeds arbitrary bytes to the hs.pak reader: it must refuse a bad package
// with a PackageError, never read outside the bytes, and a package it
// accepts must build back to the very same bytes. Random bytes almost never
// carry a right checksum, so each input is also tried with its length field
// and checksum mended, to reach the entry reader behind them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "components/scores/score_package.h"

namespace {

void Check(const std::string& bytes) {
  std::vector<PackageEntry> entries;
  try {
    entries = ReadPackage(bytes);
  } catch (const PackageError&) {
    return;
  }
  if (entries.empty() || BuildPackage(entries) != bytes) std::abort();
}

void PutU32(std::string& bytes, size_t at, uint32_t v) {
  for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  Check(bytes);
  if (bytes.size() >= 20) {
    PutU32(bytes, 12, static_cast<uint32_t>(bytes.size()));
    PutU32(bytes, bytes.size() - 4, Crc32(bytes.data(), bytes.size() - 4));
    Check(bytes);
  }
  return 0;
}
