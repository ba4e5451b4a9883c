#pragma once
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// "hs.pak": a small versioned package of named files with a length field and
// a checksum, so a damaged or foreign file is refused before anything in it
// is used (docs/score-files.md). The game only reads it; tools/makepak
// writes it.

constexpr uint16_t kPackageVersion = 1;
constexpr size_t kMaxPackageBytes = 1024 * 1024;
constexpr size_t kMaxPackageEntries = 16;
constexpr size_t kMaxPackageEntryBytes = 64 * 1024;
constexpr size_t kMaxPackageNameBytes = 64;

class PackageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct PackageEntry {
  std::string name;
  std::string data;
};

// The package's bytes; throws PackageError for entries it could not hold
// (too many, too big, empty or overlong names, duplicates).
std::string BuildPackage(const std::vector<PackageEntry>& entries);

// Throws PackageError naming what is wrong: too short, wrong magic, a newer
// version, a length that disagrees with the file, a bad checksum, entries
// that overrun the file or leave bytes over.
std::vector<PackageEntry> ReadPackage(const std::string& bytes);

// CRC-32 as zip and PNG use it (reflected 0xEDB88320, start and end ~0).
uint32_t Crc32(const char* data, size_t size);
