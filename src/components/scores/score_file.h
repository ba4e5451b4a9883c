#pragma once
#include <stdexcept>
#include <string>
#include <vector>

#include "components/scores/score_table.h"

// The text of "hs.ini": a versioned, hand-editable list of rows closed by an
// "end" line, so a file cut short anywhere is caught (docs/score-files.md).

constexpr int kScoreFileVersion = 1;
// Ten rows fit in well under a kilobyte; anything this big is not ours.
constexpr size_t kMaxScoreFileBytes = 64 * 1024;

class ScoreFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ScoreFileContents {
  ScoreTable table;
  // One line each for rows dropped or mended on the way in (bad values,
  // cleaned names, surplus rows), ready to print.
  std::vector<std::string> warnings;
};

// Throws ScoreFileError with the reason when the text as a whole cannot be
// trusted (empty, cut short, not ours, a newer version, NUL bytes). Single
// bad rows are dropped with a warning instead.
ScoreFileContents ParseScoreFile(const std::string& text);

// The file's text; ParseScoreFile gives the same table back, value for value.
std::string WriteScoreFile(const ScoreTable& table);
