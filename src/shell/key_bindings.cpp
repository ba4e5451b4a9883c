#include "shell/key_bindings.h"

#include <algorithm>
#include <cctype>

#include "components/media/key_codes.h"
#include "components/media/pad_codes.h"
#include "core/log.h"

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// A keyboard key by its script name; pads are not keys to bind.
int32_t KeyNamed(const std::string& name) {
  const int32_t code = KeyCodeFromName(Lower(name));
  return IsPadCode(code) ? -1 : code;
}

}  // namespace

KeyBindings ParseKeyBindings(const std::vector<SettingLine>& lines,
                             std::vector<std::string>& problems) {
  KeyBindings bindings;
  for (const SettingLine& line : lines) {
    const std::string where =
        "[keys] line " + std::to_string(line.line) + " \"" + line.key + "=" + line.value + "\": ";
    const int32_t gameKey = KeyNamed(line.key);
    if (gameKey < 0) {
      problems.push_back(where + "no game key \"" + line.key + "\"; line ignored");
      continue;
    }
    const bool twice = std::any_of(bindings.begin(), bindings.end(),
                                   [&](const KeyBinding& b) { return b.gameKey == gameKey; });
    if (twice) {
      problems.push_back(where + "\"" + line.key + "\" has a line already; line ignored");
      continue;
    }
    if (TrimBlanks(line.value).empty()) {
      problems.push_back(where + "no key listed; line ignored");
      continue;
    }
    KeyBinding binding{gameKey, {}};
    bool read = true;
    for (std::size_t at = 0; read && at <= line.value.size();) {
      std::size_t comma = line.value.find(',', at);
      if (comma == std::string::npos) comma = line.value.size();
      const std::string name = TrimBlanks(line.value.substr(at, comma - at));
      const int32_t code = KeyNamed(name);
      if (code < 0) {
        problems.push_back(where + "no key \"" + name + "\"; line ignored");
        read = false;
      }
      binding.keys.push_back(code);
      at = comma + 1;
    }
    if (read) bindings.push_back(binding);
  }
  return bindings;
}

KeyBindings ReadKeyBindings(const std::string& settingsPath) {
  if (settingsPath.empty()) return {};
  std::vector<std::string> problems;
  KeyBindings bindings = ParseKeyBindings(LoadSettingSection("keys", settingsPath), problems);
  for (const std::string& p : problems) LogOnce(settingsPath + ": " + p);
  return bindings;
}
