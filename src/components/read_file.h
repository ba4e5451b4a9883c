#pragma once
#include <cstddef>
#include <string>

// Reading the game's own small files (pictures, sounds, settings, scores)
// the same careful way everywhere.

// kUnreadable: there, but this user may not read it (permissions); unlike a
// damaged file it is nobody's to move or replace.
enum class ReadStatus { kOk, kMissing, kNotAFile, kTooLarge, kUnreadable, kFailed };

struct ReadResult {
  ReadStatus status = ReadStatus::kFailed;
  std::string bytes;
  std::string problem;  // why it could not be read, for a message
};

// Reads a whole file of at most `limit` bytes, without ever waiting on a
// pipe or a device put where the file should be. Memory follows the file's
// size, not the limit. A file over the limit gives kTooLarge with its first
// limit + 1 bytes in `bytes`, for a reader that wants only the head.
ReadResult ReadSmallFile(const std::string& path, size_t limit);
