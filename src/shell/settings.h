#pragma once
#include <string>
#include <vector>

// The reader of setup.ini, with the semantics players' files were written
// for: section and key match without regard to case, the first match wins,
// only '=' separates, the value is trimmed of blanks and loses one pair of
// surrounding quotes, lines starting with ';' are comments, CRLF and a UTF-8
// byte-order mark are accepted, and at most 254 characters come back.
// Never fails: a missing or unreadable file, section or key gives "".
std::string LoadSettingString(const std::string& section, const std::string& key,
                              const std::string& path);

// The same lookup over the text of a settings file already read; what
// LoadSettingString does after reading. Never fails either.
std::string LoadSettingStringFromText(const std::string& section, const std::string& key,
                                      const std::string& text);

// Blanks and tabs off both ends, as the reader trims names and values.
std::string TrimBlanks(const std::string& text);

// Every key=value line of a section, in file order, keys as written.
struct SettingLine {
  int line;  // 1-based, for a warning that names it
  std::string key;
  std::string value;
};
std::vector<SettingLine> LoadSettingSection(const std::string& section, const std::string& path);

// The string-to-boolean rule of the settings: True/False in any case, or a
// number (0 = false, anything else true). Anything else cannot be converted.
enum class SettingBool { kTrue, kFalse, kUnconvertible };
SettingBool ConvertSettingBool(const std::string& text);

// A switch of [main]: off only when it reads as False, on when it reads as
// True; missing (or no file at all) gives `fallback`, and so does a value
// that is neither, with one warning naming the file. With `verbose` the raw
// value and the decision are printed.
bool ReadSwitch(const std::string& path, const std::string& key, bool fallback, bool verbose);

// [main] Ghost: "Best" (in any case) races the fastest replay in the table;
// "Off", False or nothing races none, and anything else is said once and
// races none.
bool ReadGhostBest(const std::string& path, bool verbose);
