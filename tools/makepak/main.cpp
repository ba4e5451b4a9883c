// makepak: packs the factory score table into hs.pak at build time.
//   makepak FACTORY_HS_INI OUTPUT_PAK
// The table is read with the game's own reader first, so a typo in it fails
// the build instead of shipping a package the game would refuse.
#include <cstdio>
#include <string>
#include <vector>

#include "components/scores/safe_file.h"
#include "components/scores/score_file.h"
#include "components/scores/score_package.h"

namespace {

// Only what the name entry can type, so the factory rows look like a
// player's.
bool Typeable(const std::string& name) {
  for (char c : name) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    std::string(" +'/=-*.").find(c) != std::string::npos;
    if (!ok) return false;
  }
  return true;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "makepak: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: makepak FACTORY_HS_INI OUTPUT_PAK");
  const std::string input = argv[1];
  const std::string output = argv[2];

  const ReadResult file = ReadSmallFile(input, kMaxScoreFileBytes);
  if (file.status != ReadStatus::kOk) return Fail(input + " " + file.problem);
  try {
    const ScoreFileContents contents = ParseScoreFile(file.bytes);
    if (!contents.warnings.empty()) return Fail(input + ": " + contents.warnings.front());
    for (const ScoreRow& row : contents.table.Rows()) {
      if (row.value <= 0.0f) return Fail(input + ": fewer than ten rows");
      if (!Typeable(row.name))
        return Fail(input + ": \"" + row.name + "\" has a key the game cannot type");
    }
  } catch (const ScoreFileError& e) {
    return Fail(input + ": " + e.what());
  }

  try {
    const std::string package = BuildPackage({PackageEntry{"hs.ini", file.bytes}});
    const std::string warning = SaveFileSafely(SystemFileOps(), output, package);
    if (!warning.empty()) std::fprintf(stderr, "makepak: %s\n", warning.c_str());
  } catch (const std::exception& e) {
    return Fail(output + ": " + e.what());
  }
  return 0;
}
