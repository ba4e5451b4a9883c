#pragma once
// The trace's CSV, read back: fields split on commas outside quotes, ""
// inside quotes is one quote, and a row's closing newline ends it.
#include <sstream>
#include <string>
#include <vector>

inline std::vector<std::string> CsvFields(const std::string& row) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < row.size(); ++i) {
    const char c = row[i];
    if (quoted && c == '"' && i + 1 < row.size() && row[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else if (!(c == '\n' && !quoted && i + 1 == row.size())) {
      fields.back() += c;
    }
  }
  return fields;
}

inline std::vector<std::string> CsvLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}
