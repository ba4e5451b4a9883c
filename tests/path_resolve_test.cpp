#include "components/media/path_resolve.h"

#include <gtest/gtest.h>

#include <string>

#include "test_folder.h"

namespace {

TEST(PathResolve, BackslashesBecomeSlashesAndAbsoluteNamesAreUsedAsGiven) {
  TestFolder root("path");
  const std::string land = root.Write("files/land.dds", "x");
  EXPECT_EQ(ResolveGameFile(root.Path().string(), "files\\land.dds"), land);
  EXPECT_EQ(ResolveGameFile("/elsewhere", land), land);
  EXPECT_EQ(ResolveGameFile(root.Path().string(), "/no/such\\file.png"), "/no/such/file.png");
  // Missing files give the plain joined path.
  EXPECT_EQ(ResolveGameFile(root.Path().string(), "nowhere\\land.dds"),
            (root / "nowhere/land.dds").string());
}

TEST(PathResolve, FindsFilesWhoseLetterCaseDiffersButPrefersTheExactSpelling) {
  TestFolder root("path");
  const std::string land = root.Write("Files/Sub/LAND.Dds", "x");
  EXPECT_EQ(ResolveGameFile(root.Path().string(), "files\\sub\\land.dds"), land);
  const std::string lower = root.Write("files/logo.png", "x");
  const std::string upper = root.Write("files/LOGO.png", "x");
  EXPECT_EQ(ResolveGameFile(root.Path().string(), "files/logo.png"), lower);
  EXPECT_EQ(ResolveGameFile(root.Path().string(), "files/LOGO.png"), upper);
  // With no exact match the choice among variants is stable (name order).
  EXPECT_EQ(ResolveGameFile(root.Path().string(), "files/Logo.png"), upper);
}

}  // namespace