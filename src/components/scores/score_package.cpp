#include "components/scores/score_package.h"

#include <array>
#include <set>

namespace {

// A high-bit first byte and a CR LF pair make a text-mode copy or a 7-bit
// transfer show up as a wrong magic instead of a bad checksum later.
const char kMagic[8] = {'\x89', 'K', 'S', 'P', 'A', 'K', '\r', '\n'};
constexpr size_t kHeaderBytes = 16;  // magic, version, entry count, total length
constexpr size_t kChecksumBytes = 4;

void PutU16(std::string& out, uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}

void PutU32(std::string& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((v >> shift) & 0xFF);
}

uint32_t GetU(const std::string& in, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) {
    v = (v << 8) | static_cast<unsigned char>(in[at + static_cast<size_t>(i)]);
  }
  return v;
}

// An entry name as a message shows it: a damaged package must not send
// control characters to the terminal.
std::string Shown(const std::string& name) {
  std::string shown = "\"";
  for (char c : name) shown += (c >= 0x20 && c < 0x7F) ? c : '?';
  return shown + "\"";
}

void CheckEntryName(const std::string& name) {
  if (name.empty() || name.size() > kMaxPackageNameBytes) {
    throw PackageError("entry name of " + std::to_string(name.size()) + " bytes (1 to " +
                       std::to_string(kMaxPackageNameBytes) + " allowed)");
  }
}

}  // namespace

uint32_t Crc32(const char* data, size_t size) {
  static const std::array<uint32_t, 256> kTable = [] {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    return table;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc = kTable[(crc ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (crc >> 8);
  }
  return crc ^ 0xFFFFFFFFu;
}

std::string BuildPackage(const std::vector<PackageEntry>& entries) {
  if (entries.empty() || entries.size() > kMaxPackageEntries) {
    throw PackageError(std::to_string(entries.size()) + " entries (1 to " +
                       std::to_string(kMaxPackageEntries) + " allowed)");
  }
  std::set<std::string> names;
  std::string body;
  for (const PackageEntry& entry : entries) {
    CheckEntryName(entry.name);
    if (!names.insert(entry.name).second)
      throw PackageError("entry " + Shown(entry.name) + " twice");
    if (entry.data.size() > kMaxPackageEntryBytes) {
      throw PackageError("entry " + Shown(entry.name) + " is larger than " +
                         std::to_string(kMaxPackageEntryBytes) + " bytes");
    }
    body += static_cast<char>(entry.name.size());
    body += entry.name;
    PutU32(body, static_cast<uint32_t>(entry.data.size()));
    body += entry.data;
  }
  std::string out(kMagic, sizeof kMagic);
  PutU16(out, kPackageVersion);
  PutU16(out, static_cast<uint16_t>(entries.size()));
  PutU32(out, static_cast<uint32_t>(kHeaderBytes + body.size() + kChecksumBytes));
  out += body;
  PutU32(out, Crc32(out.data(), out.size()));
  return out;
}

std::vector<PackageEntry> ReadPackage(const std::string& bytes) {
  if (bytes.size() < kHeaderBytes + kChecksumBytes) {
    throw PackageError("too short (" + std::to_string(bytes.size()) + " bytes)");
  }
  if (bytes.size() > kMaxPackageBytes) {
    throw PackageError("too large (" + std::to_string(bytes.size()) + " bytes)");
  }
  if (bytes.compare(0, sizeof kMagic, kMagic, sizeof kMagic) != 0) {
    throw PackageError("not a Kestrevan package (wrong magic)");
  }
  const uint32_t version = GetU(bytes, 8, 2);
  if (version != kPackageVersion) {
    throw PackageError("package version " + std::to_string(version) + " (this game reads " +
                       std::to_string(kPackageVersion) + ")");
  }
  const uint32_t count = GetU(bytes, 10, 2);
  const uint32_t length = GetU(bytes, 12, 4);
  if (length != bytes.size()) {
    throw PackageError("length field says " + std::to_string(length) + " bytes, the file has " +
                       std::to_string(bytes.size()) + " (cut short or padded)");
  }
  const size_t bodyEnd = bytes.size() - kChecksumBytes;
  const uint32_t stored = GetU(bytes, bodyEnd, 4);
  if (Crc32(bytes.data(), bodyEnd) != stored) throw PackageError("checksum mismatch (damaged)");
  if (count == 0 || count > kMaxPackageEntries) {
    throw PackageError(std::to_string(count) + " entries (1 to " +
                       std::to_string(kMaxPackageEntries) + " allowed)");
  }

  std::vector<PackageEntry> entries;
  std::set<std::string> names;
  size_t at = kHeaderBytes;
  for (uint32_t i = 0; i < count; ++i) {
    if (bodyEnd - at < 1)
      throw PackageError("entry " + std::to_string(i + 1) + " overruns the file");
    const size_t nameSize = static_cast<unsigned char>(bytes[at++]);
    if (nameSize == 0 || nameSize > kMaxPackageNameBytes || bodyEnd - at < nameSize + 4) {
      throw PackageError("entry " + std::to_string(i + 1) + " has a bad name length");
    }
    PackageEntry entry;
    entry.name = bytes.substr(at, nameSize);
    at += nameSize;
    const size_t dataSize = GetU(bytes, at, 4);
    at += 4;
    if (dataSize > kMaxPackageEntryBytes || bodyEnd - at < dataSize) {
      throw PackageError("entry " + Shown(entry.name) + " overruns the file");
    }
    entry.data = bytes.substr(at, dataSize);
    at += dataSize;
    if (!names.insert(entry.name).second)
      throw PackageError("entry " + Shown(entry.name) + " twice");
    entries.push_back(std::move(entry));
  }
  if (at != bodyEnd)
    throw PackageError(std::to_string(bodyEnd - at) + " stray bytes after the entries");
  return entries;
}
