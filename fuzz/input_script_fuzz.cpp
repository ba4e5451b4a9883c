// Feeds arbitrary text to the replay-script parser: it must refuse a bad
// script with an InputScriptError on a line the text has, and a script it
// accepts must write back out and read back the same, and answer every pass
// with the keys of the segment holding it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/input_script.h"

namespace {

constexpr int64_t kMaxSegmentFrames = 1000000000;

int LineCount(const std::string& text) {
  int lines = 1;
  for (char c : text)
    if (c == '\n') ++lines;
  return lines;
}

std::string Write(const InputScript& script) {
  std::string text;
  if (script.seed) text += "seed " + std::to_string(*script.seed) + "\n";
  for (const InputSegment& segment : script.segments)
    text += std::to_string(segment.frames) + " " + KeysToScriptText(segment.keys) + "\n";
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  InputScript script;
  try {
    script = ParseInputScript(text);
  } catch (const InputScriptError& error) {
    if (error.Line() < 1 || error.Line() > LineCount(text)) std::abort();
    return 0;
  }

  int64_t end = 0;
  for (const InputSegment& segment : script.segments) {
    if (segment.frames < 1 || segment.frames > kMaxSegmentFrames) std::abort();
    if (script.KeysForPass(end + 1) != segment.keys) std::abort();
    end += segment.frames;
    if (script.KeysForPass(end) != segment.keys) std::abort();
  }
  if (script.TotalPasses() != end || script.KeysForPass(end + 1).any() ||
      script.KeysForPass(0).any())
    std::abort();

  const InputScript again = ParseInputScript(Write(script));
  if (again.seed != script.seed || again.segments.size() != script.segments.size()) std::abort();
  for (size_t i = 0; i < script.segments.size(); ++i) {
    if (again.segments[i].frames != script.segments[i].frames ||
        again.segments[i].keys != script.segments[i].keys) {
      std::abort();
    }
  }
  return 0;
}
