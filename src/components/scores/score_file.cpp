#include "components/scores/score_file.h"

#include <cctype>
#include <cmath>
#include <locale>
#include <optional>
#include <sstream>

namespace {

const char kHeaderWord[] = "kestrevan scores";
const char kEndLine[] = "end";
// A hand-edited file full of junk should not flood the terminal.
constexpr size_t kMaxWarnings = 5;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// Shows a piece of a bad line in a warning without letting it run on or
// carry control characters to the terminal.
std::string Quote(const std::string& text) {
  std::string shown = CleanScoreName(text);
  if (text.size() > kMaxNameCharacters) shown += "...";
  return "\"" + shown + "\"";
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Plain decimal numbers only ("9543", "9543.25", "1e3"); no "nan", "inf" or
// hex, which a stream or strtof would take.
bool LooksLikeNumber(const std::string& token) {
  size_t i = 0;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
  size_t digits = 0;
  while (i < token.size() && IsDigit(token[i])) ++i, ++digits;
  if (i < token.size() && token[i] == '.') {
    ++i;
    while (i < token.size() && IsDigit(token[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
    ++i;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
    size_t exponentDigits = 0;
    while (i < token.size() && IsDigit(token[i])) ++i, ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  return i == token.size();
}

// The classic locale keeps '.' the decimal point whatever the player's
// language settings are. Read as a double first: every single, subnormal
// ones too, is a normal double, and the standard libraries disagree on
// singles at the edges of the range. Nine significant digits sit far from a
// rounding midpoint, so going through the double gives the same single.
std::optional<float> ParseValue(const std::string& token) {
  if (!LooksLikeNumber(token)) return std::nullopt;
  std::istringstream in(token);
  in.imbue(std::locale::classic());
  double wide = 0.0;
  in >> wide;
  if (in.fail() || !std::isfinite(wide) || std::fabs(wide) > 1e30) return std::nullopt;
  const float value = static_cast<float>(wide);
  // "1e-999" is no zero a player could have scored; refuse it everywhere
  // rather than let one library read 0 and another fail.
  const size_t mantissaEnd = token.find_first_of("eE");
  const bool nonZeroDigit = token.find_first_of("123456789") < mantissaEnd;
  if (value == 0.0f && nonZeroDigit) return std::nullopt;
  return value;
}

std::string FormatValue(float value) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out.precision(9);  // nine significant digits bring any single back exactly
  out << value;
  return out.str();
}

// The quoted name of a row line: `"..."` with \" and \\ inside. A backslash
// before anything else is kept as it stands, so a hand-typed "A\B" survives.
std::optional<std::string> ParseQuotedName(const std::string& text) {
  if (text.size() < 2 || text.front() != '"') return std::nullopt;
  std::string name;
  size_t i = 1;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') break;
    if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '"' || text[i + 1] == '\\')) {
      name += text[++i];
    } else {
      name += c;
    }
  }
  if (i >= text.size() || i + 1 != text.size()) return std::nullopt;  // unclosed, or junk after
  return name;
}

void CheckWhole(const std::string& text) {
  if (text.size() > kMaxScoreFileBytes) {
    throw ScoreFileError("larger than " + std::to_string(kMaxScoreFileBytes) +
                         " bytes, not a score file");
  }
  if (text.find('\0') != std::string::npos) throw ScoreFileError("holds NUL bytes (damaged)");
}

void CheckHeader(const std::string& line) {
  const std::string header = Trim(line);
  const std::string word = kHeaderWord;
  if (header.compare(0, word.size(), word) != 0 || header.size() == word.size() ||
      !IsBlank(header[word.size()])) {
    throw ScoreFileError("not a score file (the first line is not \"" + word + " " +
                         std::to_string(kScoreFileVersion) + "\")");
  }
  const std::string version = Trim(header.substr(word.size()));
  bool allDigits = !version.empty() && version.size() < 6;
  for (char c : version) allDigits = allDigits && IsDigit(c);
  if (!allDigits) throw ScoreFileError("unreadable version \"" + CleanScoreName(version) + "\"");
  const int number = std::stoi(version);
  if (number > kScoreFileVersion) {
    throw ScoreFileError("written by a newer version of the game (format " + version +
                         ", this one reads " + std::to_string(kScoreFileVersion) + ")");
  }
  if (number != kScoreFileVersion) throw ScoreFileError("unknown format version " + version);
}

}  // namespace

ScoreFileContents ParseScoreFile(const std::string& rawText) {
  CheckWhole(rawText);
  std::string text = rawText;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);  // saved by a Windows editor
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) throw ScoreFileError("empty file");

  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }

  CheckHeader(lines.front());
  ScoreFileContents result;
  std::vector<std::string> warnings;
  std::vector<ScoreRow> rows;
  bool ended = false;
  bool junkAfterEnd = false;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string line = Trim(lines[i]);
    const std::string where = "line " + std::to_string(i + 1) + ": ";
    if (line.empty() || line[0] == '#') continue;
    if (ended) {
      junkAfterEnd = true;
      continue;
    }
    if (line == kEndLine) {
      ended = true;
      continue;
    }
    size_t split = 0;
    while (split < line.size() && !IsBlank(line[split])) ++split;
    const std::string token = line.substr(0, split);
    const std::optional<std::string> name = ParseQuotedName(Trim(line.substr(split)));
    if (!name) {
      warnings.push_back(where +
                         "not a row (a value, a blank, a \"name\"), skipped: " + Quote(line));
      continue;
    }
    const std::optional<float> value = ParseValue(token);
    if (!value || !IsStorableScore(*value)) {
      warnings.push_back(where + "value " + Quote(token) +
                         " is not a number from 0 to 10000, row dropped");
      continue;
    }
    // A value of 0 with no name is how an empty place looks, and it is never
    // written; kept, it would rank above a later row of equal value, which
    // would then move up at the next save.
    if (*value == 0.0f && name->empty()) continue;
    const std::string clean = CleanScoreName(*name);
    if (clean != *name) {
      warnings.push_back(where + "name " + Quote(*name) +
                         " mended (control characters, bad UTF-8 or more than " +
                         std::to_string(kMaxNameCharacters) + " characters)");
    }
    rows.push_back(ScoreRow{*value, clean});
  }
  if (!ended) throw ScoreFileError("cut short (no \"end\" line)");
  if (junkAfterEnd) warnings.push_back("text after the \"end\" line ignored");
  if (rows.size() > static_cast<size_t>(kScoreRows)) {
    warnings.push_back(std::to_string(rows.size()) + " rows; only the best " +
                       std::to_string(kScoreRows) + " are kept");
  }

  result.table = ScoreTable::FromRows(rows);
  for (size_t i = 0; i < warnings.size() && i < kMaxWarnings; ++i) {
    result.warnings.push_back(warnings[i]);
  }
  if (warnings.size() > kMaxWarnings) {
    result.warnings.push_back("and " + std::to_string(warnings.size() - kMaxWarnings) +
                              " more problems");
  }
  return result;
}

std::string WriteScoreFile(const ScoreTable& table) {
  std::string text = std::string(kHeaderWord) + " " + std::to_string(kScoreFileVersion) + "\n";
  text +=
      "# Kestrevan's ten best flights, best first. One row a line: the stored value\n"
      "# (10000 minus the flight time in ticks), a blank, and the name in double\n"
      "# quotes, where \\\" stands for \" and \\\\ for \\. The line \"end\" closes the table.\n";
  for (const ScoreRow& row : table.Rows()) {
    if (row.value == 0.0f && row.name.empty()) continue;  // an empty row needs no line
    text += FormatValue(row.value) + " \"";
    for (char c : CleanScoreName(row.name)) {
      if (c == '"' || c == '\\') text += '\\';
      text += c;
    }
    text += "\"\n";
  }
  text += std::string(kEndLine) + "\n";
  return text;
}
