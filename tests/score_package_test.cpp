#include "components/scores/score_package.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "components/scores/score_file.h"

namespace {

std::string ErrorOf(const std::string& bytes) {
  try {
    ReadPackage(bytes);
  } catch (const PackageError& e) {
    return e.what();
  }
  return "(no error)";
}

// Puts a correct checksum on doctored bytes, so a test reaches the checks
// that come after it.
std::string Reseal(std::string bytes) {
  const size_t body = bytes.size() - 4;
  const uint32_t crc = Crc32(bytes.data(), body);
  for (int i = 0; i < 4; ++i)
    bytes[body + static_cast<size_t>(i)] = static_cast<char>((crc >> (8 * i)) & 0xFF);
  return bytes;
}

void PutU32(std::string& bytes, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    bytes[at + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

const std::vector<PackageEntry> kEntries = {
    PackageEntry{"hs.ini", "kestrevan scores 1\n9000 \"A\"\nend\n"},
    PackageEntry{"notes.txt", std::string("binary \0\xFF ok", 12)},
    PackageEntry{"empty", ""},
};

TEST(ScorePackage, RoundTripsItsEntries) {
  const std::vector<PackageEntry> back = ReadPackage(BuildPackage(kEntries));
  ASSERT_EQ(back.size(), kEntries.size());
  for (size_t i = 0; i < back.size(); ++i) {
    EXPECT_EQ(back[i].name, kEntries[i].name);
    EXPECT_EQ(back[i].data, kEntries[i].data);
  }
}

TEST(ScorePackage, ChecksumIsTheUsualCrc32) {
  EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);  // the published check value
  EXPECT_EQ(Crc32("", 0), 0u);
}

TEST(ScorePackage, RefusesWhatItCouldNotHold) {
  EXPECT_THROW(BuildPackage({}), PackageError);
  EXPECT_THROW(BuildPackage({PackageEntry{"", "x"}}), PackageError);
  EXPECT_THROW(BuildPackage({PackageEntry{std::string(65, 'n'), "x"}}), PackageError);
  EXPECT_THROW(BuildPackage({PackageEntry{"a", "1"}, PackageEntry{"a", "2"}}), PackageError);
  EXPECT_THROW(BuildPackage({PackageEntry{"big", std::string(kMaxPackageEntryBytes + 1, 'x')}}),
               PackageError);
  EXPECT_THROW(BuildPackage(std::vector<PackageEntry>(17, PackageEntry{"x", ""})), PackageError);
}

TEST(ScorePackageRefusal, WrongMagicVersionLengthOrChecksum) {
  const std::string good = BuildPackage(kEntries);
  std::string magic = good;
  magic[1] = 'X';
  EXPECT_NE(ErrorOf(magic).find("wrong magic"), std::string::npos);
  std::string textMode = good;  // CR LF turned into LF by a text-mode copy
  textMode.erase(6, 1);
  EXPECT_NE(ErrorOf(textMode).find("wrong magic"), std::string::npos);

  std::string version = good;
  version[8] = 2;
  EXPECT_NE(ErrorOf(Reseal(version)).find("version 2"), std::string::npos);

  std::string longer = good;
  PutU32(longer, 12, static_cast<uint32_t>(good.size() + 1));
  EXPECT_NE(ErrorOf(Reseal(longer)).find("length field"), std::string::npos);
  EXPECT_NE(ErrorOf(good + "junk").find("length field"), std::string::npos);

  for (size_t at = 16; at < good.size(); at += 7) {
    std::string flipped = good;
    flipped[at] = static_cast<char>(flipped[at] ^ 0x20);
    EXPECT_NE(ErrorOf(flipped).find("checksum"), std::string::npos) << "byte " << at;
  }
}

TEST(ScorePackageRefusal, EveryTruncationIsRefused) {
  const std::string good = BuildPackage(kEntries);
  for (size_t cut = 0; cut < good.size(); ++cut) {
    EXPECT_THROW(ReadPackage(good.substr(0, cut)), PackageError) << "cut at " << cut;
  }
  EXPECT_NE(ErrorOf(std::string(3, 'x')).find("too short"), std::string::npos);
  EXPECT_NE(ErrorOf(std::string(kMaxPackageBytes + 1, 'x')).find("too large"), std::string::npos);
}

TEST(ScorePackageRefusal, EntriesThatLieAboutTheirSizesEvenUnderAGoodChecksum) {
  const std::string good = BuildPackage({PackageEntry{"hs.ini", "abc"}});
  // Layout: 16 header bytes, name length at 16, name at 17..22, data length
  // at 23, data at 27, checksum last.
  std::string count = good;
  count[10] = 2;
  EXPECT_NE(ErrorOf(Reseal(count)).find("overruns"), std::string::npos);
  count[10] = 0;
  EXPECT_NE(ErrorOf(Reseal(count)).find("0 entries"), std::string::npos);

  std::string data = good;
  PutU32(data, 23, 0xFFFFFFF0u);
  EXPECT_NE(ErrorOf(Reseal(data)).find("overruns"), std::string::npos);
  PutU32(data, 23, 2);
  EXPECT_NE(ErrorOf(Reseal(data)).find("stray bytes"), std::string::npos);

  std::string name = good;
  name[16] = 0;
  EXPECT_NE(ErrorOf(Reseal(name)).find("name length"), std::string::npos);
  name[16] = static_cast<char>(200);
  EXPECT_NE(ErrorOf(Reseal(name)).find("name length"), std::string::npos);
}

// The package the build ships beside the game: ten rows, modest times and
// names the name entry could have typed.
TEST(ScorePackageShipped, HoldsTheFactoryTable) {
  const std::filesystem::path pak =
      std::filesystem::path(KESTREVAN_BINARY).parent_path() / "hs.pak";
  std::ifstream in(pak, std::ios::binary);
  ASSERT_TRUE(in) << pak << " was not built";
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::vector<PackageEntry> entries = ReadPackage(bytes);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "hs.ini");
  const ScoreFileContents contents = ParseScoreFile(entries[0].data);
  EXPECT_TRUE(contents.warnings.empty());
  for (const ScoreRow& row : contents.table.Rows()) {
    const float time = 10000.0f - row.value;
    EXPECT_GE(time, 300.0f) << row.name;
    EXPECT_LE(time, 700.0f) << row.name;
    EXPECT_FALSE(row.name.empty());
    EXPECT_EQ(row.name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 +'/=-*."),
              std::string::npos)
        << row.name;
  }
}

}  // namespace
