#include "core/input_script.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

// A recorded hour is about a megabyte at worst; a bigger file is not a script.
constexpr std::uintmax_t kMaxScriptBytes = 256u << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

// Plain decimal digits only (no sign, no blanks), without overflowing.
bool ParseUnsigned(const std::string& text, uint64_t limit, uint64_t& value) {
  if (text.empty()) return false;
  value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return false;
    const auto digit = static_cast<uint64_t>(c - '0');
    if (value > (limit - digit) / 10) return false;
    value = value * 10 + digit;
  }
  return true;
}

KeySet ParseKeys(const std::string& text, int line) {
  KeySet keys;
  if (text == "-") return keys;
  std::size_t start = 0;
  while (true) {
    std::size_t plus = text.find('+', start);
    // A stick pushed the plus way has a name ending in '+' ("pad_lx+"): that
    // '+' is the name's when a separator or the end follows it.
    if (plus != std::string::npos && (plus + 1 == text.size() || text[plus + 1] == '+') &&
        KeyCodeFromName(text.substr(start, plus - start + 1)) >= 0)
      plus = plus + 1 == text.size() ? std::string::npos : plus + 1;
    const std::string name =
        text.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
    if (name.empty()) throw InputScriptError(line, "empty key name in '" + text + "'");
    const int32_t code = KeyCodeFromName(name);
    if (code < 0) throw InputScriptError(line, "unknown key '" + name + "'");
    keys.set(static_cast<std::size_t>(code));
    if (plus == std::string::npos) break;
    start = plus + 1;
  }
  return keys;
}

// Every key that has a script name: what a recording can carry.
const KeySet& NamedKeys() {
  static const KeySet mask = [] {
    KeySet named;
    for (std::size_t code = 0; code < named.size(); ++code)
      if (!KeyNameFromCode(static_cast<int32_t>(code)).empty()) named.set(code);
    return named;
  }();
  return mask;
}

}  // namespace

int64_t InputScript::TotalPasses() const {
  int64_t total = 0;
  for (const auto& segment : segments) total += segment.frames;
  return total;
}

KeySet InputScript::KeysForPass(int64_t pass) const {
  if (segmentEnds.size() != segments.size()) {
    segmentEnds.clear();
    segmentEnds.reserve(segments.size());
    int64_t end = 0;
    for (const auto& segment : segments) {
      end += segment.frames;
      segmentEnds.push_back(end);
    }
  }
  if (pass < 1) return {};
  // The first segment whose last pass is at or after `pass` holds it.
  const auto it = std::lower_bound(segmentEnds.begin(), segmentEnds.end(), pass);
  if (it == segmentEnds.end()) return {};
  return segments[static_cast<std::size_t>(it - segmentEnds.begin())].keys;
}

InputScript ParseInputScript(const std::string& text) {
  InputScript script;
  bool seenFrames = false;
  int lineNumber = 0;
  // A byte-order mark, as an editor on Windows may write it.
  std::size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (pos < text.size()) {
    ++lineNumber;
    std::size_t lineEnd = text.find('\n', pos);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    std::string line = text.substr(pos, lineEnd - pos);
    pos = lineEnd + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);

    const std::vector<std::string> fields = SplitFields(line);
    if (fields.empty()) continue;

    if (fields[0] == "seed") {
      if (fields.size() != 2) throw InputScriptError(lineNumber, "expected 'seed <number>'");
      if (script.seed) throw InputScriptError(lineNumber, "second seed line");
      if (seenFrames) throw InputScriptError(lineNumber, "seed after the first frame line");
      uint64_t seed = 0;
      if (!ParseUnsigned(fields[1], UINT64_MAX, seed))
        throw InputScriptError(lineNumber, "bad seed '" + fields[1] + "'");
      script.seed = seed;
      continue;
    }

    if (fields.size() != 2) throw InputScriptError(lineNumber, "expected '<frames> <keys>'");
    uint64_t frames = 0;
    if (!ParseUnsigned(fields[0], static_cast<uint64_t>(kMaxScriptSegmentFrames), frames) ||
        frames == 0)
      throw InputScriptError(lineNumber,
                             "bad frame count '" + fields[0] + "' (expected 1 to 1000000000)");
    InputSegment segment;
    segment.frames = static_cast<int64_t>(frames);
    segment.keys = ParseKeys(fields[1], lineNumber);
    script.segments.push_back(segment);
    seenFrames = true;
  }
  return script;
}

InputScript LoadInputScript(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error))
    throw std::runtime_error(path + ": is a directory, not an input script");
  // A pipe or a device (`--input /dev/stdin`) has no size to check first,
  // so the bytes are counted as they come.
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path + ": cannot open (" + std::strerror(errno) + ")");
  std::string text;
  char chunk[1 << 16];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    text.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxScriptBytes)
      throw std::runtime_error(path + ": too big for an input script (over " +
                               std::to_string(kMaxScriptBytes) + " bytes)");
  }
  if (in.bad()) throw std::runtime_error(path + ": read error");
  try {
    return ParseInputScript(text);
  } catch (const InputScriptError& e) {
    throw std::runtime_error(path + ": " + e.what());
  }
}

std::string KeysToScriptText(const KeySet& keys) {
  // Keys without a script name cannot reach a rule of the game (it only asks
  // about named keys), so they are left out rather than breaking the file.
  const KeySet named = keys & NamedKeys();
  std::string text;
  for (std::size_t code = 0; code < named.size(); ++code) {
    if (!named.test(code)) continue;
    const std::string name = KeyNameFromCode(static_cast<int32_t>(code));
    if (!text.empty()) text += '+';
    text += name;
  }
  return text.empty() ? "-" : text;
}

void InputRecorder::AddPass(const KeySet& heldKeys) {
  // Unnamed keys are not written, so they must not split a run either.
  const KeySet keys = heldKeys & NamedKeys();
  // A run longer than a script line may hold is split, so the reader of the
  // file never refuses what the recorder wrote.
  if (!segments_.empty() && segments_.back().keys == keys &&
      segments_.back().frames < kMaxScriptSegmentFrames) {
    ++segments_.back().frames;
    return;
  }
  InputSegment segment;
  segment.frames = 1;
  segment.keys = keys;
  segments_.push_back(segment);
}

std::string InputRecorder::Text() const {
  std::string text = "# kestrevan input script\n";
  if (seed_) text += "seed " + std::to_string(*seed_) + "\n";
  for (const auto& segment : segments_)
    text += std::to_string(segment.frames) + " " + KeysToScriptText(segment.keys) + "\n";
  return text;
}
