#include "components/output_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "sdl_picture.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;

// A write that failed long before the close (the buffer was passed by) still
// shows at the close, not only a failing flush.
TEST(OutputFile, AFullDiskShowsAtTheClose) {
  std::FILE* full = std::fopen("/dev/full", "wb");
  ASSERT_NE(full, nullptr);
  const std::string big(1 << 16, 'x');
  std::fwrite(big.data(), 1, big.size(), full);
  EXPECT_NE(CloseOutput(full), "");

  TestFolder dir("output");
  std::FILE* fine = std::fopen((dir / "fine.txt").c_str(), "wb");
  std::fputs("kept", fine);
  EXPECT_EQ(CloseOutput(fine), "");
  EXPECT_EQ(ReadWholeFile(dir / "fine.txt"), "kept");
}

TEST(OutputFile, WhereARunCanWriteIsKnownBeforeItStarts) {
  TestFolder dir("output");
  fs::create_directories(dir / "folder");
  EXPECT_EQ(CheckOutputPath((dir / "new.txt").string()), "");
  EXPECT_EQ(CheckOutputPath(dir.Write("old.txt", "x")), "");
  EXPECT_EQ(CheckOutputPath((dir / "folder").string()), "is a folder");
  EXPECT_NE(CheckOutputPath((dir / "missing" / "new.txt").string()), "");
  // A pipe is written into as it is; a picture goes through the same writer.
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  EXPECT_EQ(CheckOutputPath((dir / "pipe").string()), "");
  const uint32_t pixel = 0xFF112233;
  EXPECT_NE(SavePixelsPng(&pixel, 1, 1, 1, (dir / "missing" / "p.png").string()), "");
  EXPECT_EQ(SavePixelsPng(&pixel, 1, 1, 1, (dir / "p.png").string()), "");
  EXPECT_EQ(ReadWholeFile(dir / "p.png").substr(1, 3), "PNG");
}

// A pipe (or /dev/stdout) is written into, never replaced by a file.
TEST(OutputFile, APipeIsWrittenIntoNotReplaced) {
  TestFolder dir("output");
  const fs::path pipe = dir / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  // Opened for reading and writing, it never waits for the other end.
  const int reader = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_EQ(WriteOutputFile(pipe.string(), "seed 1\n"), "");
  char got[16] = {};
  EXPECT_EQ(::read(reader, got, sizeof got), 7);
  EXPECT_STREQ(got, "seed 1\n");
  ::close(reader);
  EXPECT_TRUE(fs::is_fifo(pipe));
  EXPECT_EQ(WriteOutputFile((dir / "plain.txt").string(), "whole"), "");
  EXPECT_EQ(ReadWholeFile(dir / "plain.txt"), "whole");
}

}  // namespace
