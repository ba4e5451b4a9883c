#include "components/media/path_resolve.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class PathResolveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("kestrevan-path-" + std::to_string(::getpid()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Touch(const std::string& relative) {
    const fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
    return path.string();
  }
  std::string Root() const { return root_.string(); }

  fs::path root_;
};

TEST_F(PathResolveTest, BackslashesBecomeSlashesInsideTheProgramFolder) {
  const std::string land = Touch("files/land.dds");
  EXPECT_EQ(ResolveGameFile(Root(), "files\\land.dds"), land);
  EXPECT_EQ(ResolveGameFile(Root(), "files/land.dds"), land);
  EXPECT_EQ(NormalizeSlashes("a\\b\\c.png"), "a/b/c.png");
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

TEST_F(PathResolveTest, MissingFilesGiveThePlainJoinedPath) {
  Touch("files/land.dds");
  EXPECT_EQ(ResolveGameFile(Root(), "files\\none.dds"), (root_ / "files/none.dds").string());
  EXPECT_EQ(ResolveGameFile(Root(), "nowhere\\land.dds"), (root_ / "nowhere/land.dds").string());
}

TEST_F(PathResolveTest, AbsoluteNamesAreUsedAsGiven) {
  const std::string land = Touch("files/land.dds");
  EXPECT_EQ(ResolveGameFile("/elsewhere", land), land);
  EXPECT_EQ(ResolveGameFile(Root(), "/no/such\\file.png"), "/no/such/file.png");
}

}  // namespace
