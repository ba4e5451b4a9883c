// Feeds arbitrary bytes to the hs.ini reader: it must refuse a bad file with
// a ScoreFileError, and whatever it accepts must be a proper table that
// writes out and reads back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "components/scores/score_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  ScoreFileContents contents;
  try {
    contents = ParseScoreFile(text);
  } catch (const ScoreFileError&) {
    return 0;
  }
  const ScoreTable& table = contents.table;
  for (int row = 1; row <= kScoreRows; ++row) {
    const ScoreRow& r = table.Row(row);
    if (!IsStorableScore(r.value) || CleanScoreName(r.name) != r.name) std::abort();
    if (row > 1 && table.Row(row - 1).value < r.value) std::abort();
  }
  if (contents.warnings.size() > 6) std::abort();
  const ScoreFileContents again = ParseScoreFile(WriteScoreFile(table));
  if (!(again.table == table) || !again.warnings.empty()) std::abort();
  return 0;
}
