// Feeds arbitrary text to the setup.ini reader. It never fails, so what is
// checked is what a player's file may rely on: a value is one line of at most
// 254 characters, names match whatever their case, and a byte-order mark or
// Windows line ends change nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shell/settings.h"

namespace {

constexpr size_t kMaxValueLength = 254;

struct Query {
  const char* section;
  const char* key;
  bool fullCheck;  // also with a byte-order mark and CRLF added (each check is a parse)
};
// The game's own switches, plus names with blanks a mutation can reach.
constexpr Query kQueries[] = {
    {"main", "Sound_On", true}, {"main", "FULL_SCREEN", false}, {"a b", "c d", false}};

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const bool hasBom = text.compare(0, 3, "\xEF\xBB\xBF") == 0;
  const bool hasCr = text.find('\r') != std::string::npos;
  for (const Query& q : kQueries) {
    const std::string value = LoadSettingStringFromText(q.section, q.key, text);
    if (value.size() > kMaxValueLength || value.find('\n') != std::string::npos ||
        value.find('\0') != std::string::npos) {
      std::abort();
    }
    if (LoadSettingStringFromText(Upper(q.section), Upper(q.key), text) != value) std::abort();
    (void)ConvertSettingBool(value);
    if (!q.fullCheck) continue;
    if (!hasBom && LoadSettingStringFromText(q.section, q.key, "\xEF\xBB\xBF" + text) != value)
      std::abort();
    if (!hasCr && LoadSettingStringFromText(q.section, q.key, WithCrLf(text)) != value)
      std::abort();
  }
  return 0;
}
