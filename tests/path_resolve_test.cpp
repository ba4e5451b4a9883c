#include "components/media/path_resolve.h"

#include <gtest/gtest.h>

#include <string>

#include "test_folder.h"

namespace {

class PathResolveTest : public ::testing::Test {
 protected:
  std::string Touch(const std::string& relative) { return root_.Write(relative, "x"); }
  std::string Root() const { return root_.Path().string(); }

  TestFolder root_{"path"};
};

TEST_F(PathResolveTest, BackslashesBecomeSlashesAndAbsoluteNamesAreUsedAsGiven) {
  const std::string land = Touch("files/land.dds");
  EXPECT_EQ(ResolveGameFile(Root(), "files\\land.dds"), land);
  EXPECT_EQ(ResolveGameFile(Root(), "files/land.dds"), land);
  EXPECT_EQ(NormalizeSlashes("a\\b\\c.png"), "a/b/c.png");
  EXPECT_EQ(ResolveGameFile("/elsewhere", land), land);
  EXPECT_EQ(ResolveGameFile(Root(), "/no/such\\file.png"), "/no/such/file.png");
  // Missing files give the plain joined path.
  EXPECT_EQ(ResolveGameFile(Root(), "files\\none.dds"), (root_ / "files/none.dds").string());
  EXPECT_EQ(ResolveGameFile(Root(), "nowhere\\land.dds"), (root_ / "nowhere/land.dds").string());
}

TEST_F(PathResolveTest, FindsFilesWhoseLetterCaseDiffersInEveryComponent) {
  const std::string land = Touch("Files/Sub/LAND.Dds");
  EXPECT_EQ(ResolveGameFile(Root(), "files\\sub\\land.dds"), land);
  // Only the components that differ are matched: the rest is kept as asked.
  EXPECT_EQ(ResolveGameFile(Root(), "Files/sub/land.DDS"), land);
}

TEST_F(PathResolveTest, ExactSpellingWinsOverACaseVariant) {
  const std::string lower = Touch("files/logo.png");
  const std::string upper = Touch("files/LOGO.png");
  EXPECT_EQ(ResolveGameFile(Root(), "files/logo.png"), lower);
  EXPECT_EQ(ResolveGameFile(Root(), "files/LOGO.png"), upper);
  // With no exact match the choice among variants is stable (name order).
  EXPECT_EQ(ResolveGameFile(Root(), "files/Logo.png"), upper);
}

}  // namespace
