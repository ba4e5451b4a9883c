#include "replay/replay_file.h"

#include <charconv>
#include <cstring>
#include <vector>

#include "components/read_file.h"

namespace {

// A won round lasts a few thousand passes; even an hour's hovering before
// the win is well under this.
constexpr size_t kMaxReplayBytes = 16u << 20;

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

template <typename T>
bool ReadNumber(const std::string& text, T& value, int base = 10) {
  const char* end = text.data() + text.size();
  // from_chars takes a minus sign for signed types only; a plus never.
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  return error == std::errc() && stop == end && !text.empty();
}

std::string Hex16(uint64_t value) {
  char text[17];
  for (int i = 15; i >= 0; --i) {
    text[i] = "0123456789abcdef"[value & 15];
    value >>= 4;
  }
  text[16] = 0;
  return text;
}

[[noreturn]] void Fail(int line, const std::string& what) {
  throw ReplayError("line " + std::to_string(line) + ": " + what);
}

// "# name: ANN" gives "ANN" for "name"; nothing for any other comment.
bool CommentField(const std::string& line, const char* key, std::string& value) {
  const std::string prefix = std::string("# ") + key + ": ";
  if (line.compare(0, prefix.size(), prefix) != 0) return false;
  value = line.substr(prefix.size());
  // A control character (a stray CR) would not survive being written back
  // on a line of its own; the table shows such a one as '?' anyway.
  for (char& c : value)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  return true;
}

}  // namespace

Replay ParseReplay(const std::string& text) {
  Replay replay;
  bool seenRules = false, seenRound = false, seenTime = false, seenKeys = false;
  // The keys are read by the script reader, with the header's lines left
  // blank so its line numbers stay the file's.
  std::string body;
  int number = 0;
  size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (pos < text.size()) {
    ++number;
    size_t lineEnd = text.find('\n', pos);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    std::string line = text.substr(pos, lineEnd - pos);
    pos = lineEnd + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();

    std::string field;
    if (CommentField(line, "name", field)) replay.name = field;
    if (CommentField(line, "date", field)) replay.date = field;
    if (CommentField(line, "version", field)) replay.version = field;
    const std::vector<std::string> words = Words(line.substr(0, line.find('#')));
    const std::string word = words.empty() ? "" : words[0];
    if (word == "rules") {
      int rules = 0;
      if (seenRules) Fail(number, "second rules line");
      if (words.size() != 2 || !ReadNumber(words[1], rules) || rules < 1)
        Fail(number, "expected 'rules <version>'");
      if (rules != kRulesVersion)
        Fail(number, "a replay of rules version " + std::to_string(rules) +
                         "; this game plays version " + std::to_string(kRulesVersion) +
                         " and cannot fly it");
      replay.rules = rules;
      seenRules = true;
    } else if (word == "round" || word == "time" || word == "seed") {
      if (!seenRules) Fail(number, "'" + word + "' before the rules line");
      if (seenKeys) Fail(number, "'" + word + "' after the keys began");
      if (word == "seed")
        Fail(number, "a replay starts from its round line; a seed belongs to a session script");
      if (word == "round") {
        if (seenRound) Fail(number, "second round line");
        if (words.size() != 4 || words[1].size() > 16 || !ReadNumber(words[1], replay.state, 16) ||
            !ReadNumber(words[2], replay.helpRoundsLeft) ||
            (words[3] != "menu" && words[3] != "restart"))
          Fail(number, "expected 'round <state, hex> <help rounds> menu|restart'");
        replay.start = words[3] == "menu" ? RoundStart::kMenu : RoundStart::kRestart;
        seenRound = true;
      } else {
        if (seenTime) Fail(number, "second time line");
        if (words.size() != 2 || !ReadNumber(words[1], replay.flightTime) ||
            replay.flightTime < 0 || replay.flightTime > 999)
          Fail(number, "expected 'time <flight time, 0 to 999>'");
        seenTime = true;
      }
    } else {
      if (!words.empty() && !seenRules) Fail(number, "not a replay: no rules line before the keys");
      seenKeys |= !words.empty();
      body += line;
    }
    body += '\n';
  }
  if (!seenRules) Fail(number, "not a replay: no rules line");
  if (!seenRound) Fail(number, "no round line");
  if (!seenTime) Fail(number, "no time line");
  try {
    replay.keys = ParseInputScript(body);
  } catch (const InputScriptError& e) {
    throw ReplayError(e.what());
  }
  // The pass before the round and the one it began in, at the least.
  if (replay.keys.TotalPasses() < 2) Fail(number, "fewer than two passes of keys");
  return replay;
}

Replay LoadReplay(const std::string& path) {
  const ReadResult file = ReadSmallFile(path, kMaxReplayBytes);
  if (file.status == ReadStatus::kTooLarge)
    throw ReplayError(path + ": too big for a replay (over " + std::to_string(kMaxReplayBytes) +
                      " bytes)");
  if (file.status != ReadStatus::kOk) throw ReplayError(path + ": " + file.problem);
  try {
    return ParseReplay(file.bytes);
  } catch (const ReplayError& e) {
    throw ReplayError(path + ": " + e.what());
  }
}

std::string ReplayText(const Replay& r) {
  std::string text = "# Kestrevan replay of one won round\n";
  text += "# name: " + r.name + "\n";
  text += "# flight time: " + std::to_string(r.flightTime) + "\n";
  if (!r.date.empty()) text += "# date: " + r.date + "\n";
  if (!r.version.empty()) text += "# version: " + r.version + "\n";
  text += "# Check it with: kestrevan --verify FILE    Watch it: kestrevan --watch FILE\n";
  text += "rules " + std::to_string(r.rules) + "\n";
  text += "round " + Hex16(r.state) + " " + std::to_string(r.helpRoundsLeft) + " " +
          (r.start == RoundStart::kMenu ? "menu" : "restart") + "\n";
  text += "time " + std::to_string(r.flightTime) + "\n";
  // Segment by segment, never pass by pass: a file may hold a billion
  // passes. Runs of the same keys join, up to what a line may hold.
  std::string keys;
  int64_t frames = 0;
  const auto flush = [&] {
    if (frames > 0) text += std::to_string(frames) + " " + keys + "\n";
  };
  for (const InputSegment& segment : r.keys.segments) {
    const std::string next = KeysToScriptText(segment.keys);
    if (next != keys || frames + segment.frames > kMaxScriptSegmentFrames) {
      flush();
      keys = next;
      frames = 0;
    }
    frames += segment.frames;
  }
  flush();
  return text;
}

bool LooksLikeReplay(const std::string& text) {
  size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (pos < text.size()) {
    size_t lineEnd = text.find('\n', pos);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    const std::string line = text.substr(pos, lineEnd - pos);
    const std::vector<std::string> words = Words(line.substr(0, line.find('#')));
    if (!words.empty()) return words[0] == "rules";
    pos = lineEnd + 1;
  }
  return false;
}
