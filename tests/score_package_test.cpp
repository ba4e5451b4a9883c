#include "components/scores/score_package.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "components/scores/score_file.h"
#include "test_folder.h"

namespace {

std::string ErrorOf(const std::string& bytes) {
  try {
    ReadPackage(bytes);
  } catch (const PackageError& e) {
    return e.what();
  }
  return "(no error)";
}

// `bytes` with the little-endian `value` of `size` bytes put at `at`, under
// a correct checksum again, so that the checks after the checksum see it.
std::string Doctored(std::string bytes, size_t at, uint32_t value, int size) {
  const auto put = [&](size_t where, uint32_t v, int n) {
    for (int i = 0; i < n; ++i)
      bytes[where + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  put(at, value, size);
  const size_t body = bytes.size() - 4;
  put(body, Crc32(bytes.data(), body), 4);
  return bytes;
}

const std::vector<PackageEntry> kEntries = {
    PackageEntry{"hs.ini", "kestrevan scores 1\n9000 \"A\"\nend\n"},
    PackageEntry{"notes.txt", std::string("binary \0\xFF ok", 12)},
    PackageEntry{"empty", ""},
};

TEST(ScorePackage, RoundTripsItsEntriesUnderTheUsualCrc32) {
  const std::vector<PackageEntry> back = ReadPackage(BuildPackage(kEntries));
  ASSERT_EQ(back.size(), kEntries.size());
  for (size_t i = 0; i < back.size(); ++i) {
    EXPECT_EQ(back[i].name, kEntries[i].name);
    EXPECT_EQ(back[i].data, kEntries[i].data);
  }
  EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);  // the published check value
}

TEST(ScorePackageRefusal, DamagedOrLyingPackagesAreRefusedWithTheReason) {
  const std::string good = BuildPackage(kEntries);
  // Header: magic, version at 8, entry count at 10, length at 12. Then, in
  // `one`: name length at 16, name at 17..22, data length at 23, data at 27.
  const std::string one = BuildPackage({PackageEntry{"hs.ini", "abc"}});
  std::string magic = good;
  magic[1] = 'X';
  const std::vector<std::pair<std::string, std::string>> cases = {
      {std::string(3, 'x'), "too short"},
      {std::string(kMaxPackageBytes + 1, 'x'), "too large"},
      {magic, "wrong magic"},
      {good.substr(0, 6) + good.substr(7), "wrong magic"},  // CR LF made LF by a text-mode copy
      {Doctored(good, 8, 2, 2), "version 2"},
      {Doctored(good, 12, static_cast<uint32_t>(good.size() + 1), 4), "length field"},
      {good + "junk", "length field"},
      {Doctored(one, 10, 2, 2), "overruns"},
      {Doctored(one, 10, 0, 2), "0 entries"},
      {Doctored(one, 23, 0xFFFFFFF0u, 4), "overruns"},
      {Doctored(one, 23, 2, 4), "stray bytes"},
      {Doctored(one, 16, 0, 1), "name length"},
      {Doctored(one, 16, 200, 1), "name length"},
  };
  for (const auto& [bytes, reason] : cases)
    EXPECT_NE(ErrorOf(bytes).find(reason), std::string::npos) << reason << ": " << ErrorOf(bytes);
  for (size_t at = 16; at < good.size(); at += 7) {
    std::string flipped = good;
    flipped[at] = static_cast<char>(flipped[at] ^ 0x20);
    EXPECT_NE(ErrorOf(flipped).find("checksum"), std::string::npos) << "byte " << at;
  }
  for (size_t cut = 0; cut < good.size(); ++cut)
    EXPECT_THROW(ReadPackage(good.substr(0, cut)), PackageError) << "cut at " << cut;
}

// The package the build ships beside the game: ten rows, modest times and
// names the name entry could have typed.
TEST(ScorePackageShipped, HoldsTheFactoryTable) {
  const std::filesystem::path pak =
      std::filesystem::path(KESTREVAN_BINARY).parent_path() / "hs.pak";
  const std::vector<PackageEntry> entries = ReadPackage(ReadWholeFile(pak));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "hs.ini");
  const ScoreFileContents contents = ParseScoreFile(entries[0].data);
  EXPECT_TRUE(contents.warnings.empty());
  for (const ScoreRow& row : contents.table.Rows()) {
    EXPECT_GE(10000.0f - row.value, 300.0f) << row.name;
    EXPECT_LE(10000.0f - row.value, 700.0f) << row.name;
    EXPECT_FALSE(row.name.empty());
    EXPECT_EQ(row.name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 +'/=-*."),
              std::string::npos)
        << row.name;
  }
}

}  // namespace