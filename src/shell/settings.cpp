#include "shell/settings.h"

#include "components/read_file.h"
#include "core/log.h"

#include <cctype>
#include <cstddef>
#include <system_error>

std::string TrimBlanks(const std::string& text) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

namespace {

// setup.ini holds two switches; anything past the first MiB is not a
// settings file a player wrote, and reading it all would only stall start-up.
constexpr std::size_t kMaxReadBytes = 1u << 20;
// Values longer than this come back cut, as players' old files expect.
constexpr std::size_t kMaxValueLength = 254;

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

// Reads up to kMaxReadBytes of a regular file; false when it cannot be read.
// When the file is longer, the cut-off last line is dropped so a half value
// never comes back.
bool ReadHead(const std::string& path, std::string& out) {
  ReadResult file = ReadSmallFile(path, kMaxReadBytes);
  if (file.status != ReadStatus::kOk && file.status != ReadStatus::kTooLarge) return false;
  out = std::move(file.bytes);
  if (out.size() > kMaxReadBytes) {
    out.resize(kMaxReadBytes);
    const std::size_t lastBreak = out.rfind('\n');
    out.resize(lastBreak == std::string::npos ? 0 : lastBreak + 1);
  }
  return true;
}

// The value as written: trimmed, then one pair of matching quotes around the
// whole of it removed (so a value may keep blanks at its ends), then cut.
std::string CleanValue(const std::string& raw) {
  std::string value = TrimBlanks(raw);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  if (value.size() > kMaxValueLength) value.resize(kMaxValueLength);
  return value;
}

// "[name]" with blanks allowed around the line and inside the brackets.
bool SectionHeader(const std::string& trimmedLine, std::string& name) {
  if (trimmedLine.size() < 2 || trimmedLine.front() != '[' || trimmedLine.back() != ']')
    return false;
  name = TrimBlanks(trimmedLine.substr(1, trimmedLine.size() - 2));
  return true;
}

}  // namespace

std::string LoadSettingString(const std::string& section, const std::string& key,
                              const std::string& path) {
  try {
    std::string text;
    if (!ReadHead(path, text)) return "";
    return LoadSettingStringFromText(section, key, text);
  } catch (const std::exception&) {
    // Out of memory or a stream fault: the game simply runs on its defaults.
    return "";
  }
}

namespace {

// Calls `visit(key, value, line)` for each key=value line of `section`, in
// file order, until it returns true.
template <typename Visit>
void VisitSection(const std::string& section, const std::string& text, Visit visit) {
  std::size_t pos = 0;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;

  bool inSection = false;
  int lineNumber = 0;
  while (pos < text.size()) {
    std::size_t lineEnd = text.find('\n', pos);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    std::string line = text.substr(pos, lineEnd - pos);
    pos = lineEnd + 1;
    ++lineNumber;

    // A stray NUL ends the line's text, the way a C string would.
    const std::size_t nul = line.find('\0');
    if (nul != std::string::npos) line.resize(nul);
    if (!line.empty() && line.back() == '\r') line.pop_back();

    const std::string trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed.front() == ';') continue;
    std::string name;
    if (SectionHeader(trimmed, name)) {
      inSection = EqualsNoCase(name, section);
      continue;
    }
    if (!inSection) continue;
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string::npos) continue;
    if (visit(TrimBlanks(trimmed.substr(0, equals)), CleanValue(trimmed.substr(equals + 1)),
              lineNumber))
      return;
  }
}

}  // namespace

std::string LoadSettingStringFromText(const std::string& section, const std::string& key,
                                      const std::string& text) {
  try {
    std::string found;
    VisitSection(section, text, [&](const std::string& k, const std::string& value, int) {
      if (!EqualsNoCase(k, key)) return false;
      found = value;
      return true;
    });
    return found;
  } catch (const std::exception&) {
    return "";
  }
}

std::vector<SettingLine> LoadSettingSection(const std::string& section, const std::string& path) {
  std::vector<SettingLine> lines;
  try {
    std::string text;
    if (!ReadHead(path, text)) return lines;
    VisitSection(section, text, [&](const std::string& key, const std::string& value, int line) {
      lines.push_back(SettingLine{line, key, value});
      return false;
    });
  } catch (const std::exception&) {
    // What was read so far stands; the rest keeps its defaults.
  }
  return lines;
}

namespace {

// Optional sign, digits with an optional fraction (or a bare fraction), then
// an optional exponent. Sets `nonZero` when any digit of the number before
// the exponent is not 0, which decides its truth without rounding worries
// ("1e-400" is still true).
bool ParseNumber(const std::string& text, bool& nonZero) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  nonZero = false;
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  while (i < n && isDigit(text[i])) {
    nonZero = nonZero || text[i] != '0';
    ++i;
    ++digits;
  }
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && isDigit(text[i])) {
      nonZero = nonZero || text[i] != '0';
      ++i;
      ++digits;
    }
  }
  if (digits == 0) return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    while (i < n && isDigit(text[i])) {
      ++i;
      ++exponentDigits;
    }
    if (exponentDigits == 0) return false;
  }
  return i == n;
}

}  // namespace

SettingBool ConvertSettingBool(const std::string& text) {
  const std::string trimmed = TrimBlanks(text);
  if (EqualsNoCase(trimmed, "true")) return SettingBool::kTrue;
  if (EqualsNoCase(trimmed, "false")) return SettingBool::kFalse;
  bool nonZero = false;
  if (!ParseNumber(trimmed, nonZero)) return SettingBool::kUnconvertible;
  return nonZero ? SettingBool::kTrue : SettingBool::kFalse;
}

bool ReadSwitch(const std::string& path, const std::string& key, bool fallback, bool verbose) {
  const std::string raw = path.empty() ? std::string() : LoadSettingString("main", key, path);
  const SettingBool value = ConvertSettingBool(raw);
  const bool on = value == SettingBool::kUnconvertible ? fallback : value == SettingBool::kTrue;
  if (value == SettingBool::kUnconvertible && !raw.empty())
    LogOnce(path + ": " + key + "=\"" + raw + "\" is not True, False or a number; taken as " +
            (fallback ? "on" : "off"));
  if (verbose) LogLine("setting " + key + " = \"" + raw + "\" -> " + (on ? "on" : "off"));
  return on;
}

bool ReadGhostBest(const std::string& path, bool verbose) {
  const std::string raw = path.empty() ? std::string() : LoadSettingString("main", "Ghost", path);
  std::string word = raw;
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const bool best = word == "best";
  // "Off" and the switches' own words for it say the same: no ghost.
  if (!best && !word.empty() && ConvertSettingBool(raw) != SettingBool::kFalse && word != "off")
    LogOnce(path + ": Ghost=\"" + raw + "\" is not Best or Off; racing no ghost");
  if (verbose) LogLine("setting Ghost = \"" + raw + "\" -> " + (best ? "best" : "none"));
  return best;
}
