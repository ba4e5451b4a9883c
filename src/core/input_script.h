#pragma once
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "components/media/key_codes.h"

// Replay scripts:
//   # comment (from '#' to the end of the line, anywhere)
//   seed 42                  (optional, first non-comment line)
//   <frames> <keys>          hold <keys> for <frames> main-loop passes
// <keys> is '-' (nothing) or key names joined by '+': "up+left".
// The longest run one line may hold: at 60 passes a second, over six months,
// so a longer one is a typo, not a flight.
constexpr int64_t kMaxScriptSegmentFrames = 1000000000;

struct InputSegment {
  int64_t frames = 0;
  KeySet keys;
};

struct InputScript {
  std::optional<uint64_t> seed;
  std::vector<InputSegment> segments;

  int64_t TotalPasses() const;
  // Keys held in pass `pass` (1-based); nothing after the last segment.
  KeySet KeysForPass(int64_t pass) const;

  // The last pass of each segment, built on the first query so a replay of a
  // long script looks each pass up by binary search. Rebuilt when the number
  // of segments changes; fill `segments` before querying rather than editing
  // frame counts in place afterwards. Not for concurrent readers.
  mutable std::vector<int64_t> segmentEnds;
};

class InputScriptError : public std::runtime_error {
 public:
  InputScriptError(int line, const std::string& what)
      : std::runtime_error("line " + std::to_string(line) + ": " + what), line_(line) {}
  int Line() const { return line_; }

 private:
  int line_;
};

InputScript ParseInputScript(const std::string& text);  // throws InputScriptError
InputScript LoadInputScript(const std::string& path);   // throws std::runtime_error naming the file

// Text for a set of keys: "-" or names joined by '+' in a stable order.
std::string KeysToScriptText(const KeySet& keys);

// Writes a live session in the script format, merging runs of equal passes.
class InputRecorder {
 public:
  explicit InputRecorder(std::optional<uint64_t> seed) : seed_(seed) {}
  void AddPass(const KeySet& keys);
  std::string Text() const;

 private:
  std::optional<uint64_t> seed_;
  std::vector<InputSegment> segments_;
};
