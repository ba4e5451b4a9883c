#include "components/media/key_codes.h"

#include <array>
#include <utility>

namespace {
struct NamedKey {
  const char* name;
  int32_t code;
};

// Script names of every key the game asks about.
constexpr std::array<NamedKey, 50> kNamedKeys = {{
    {"escape", key::kEscape},   {"return", key::kReturn},     {"space", key::kSpace},
    {"backspace", key::kBackspace}, {"up", key::kUp},         {"down", key::kDown},
    {"left", key::kLeft},       {"right", key::kRight},       {"lshift", key::kLeftShift},
    {"a", key::kA}, {"b", key::kB}, {"c", key::kC}, {"d", key::kD}, {"e", key::kE},
    {"f", key::kF}, {"g", key::kG}, {"h", key::kH}, {"i", key::kI}, {"j", key::kJ},
    {"k", key::kK}, {"l", key::kL}, {"m", key::kM}, {"n", key::kN}, {"o", key::kO},
    {"p", key::kP}, {"q", key::kQ}, {"r", key::kR}, {"s", key::kS}, {"t", key::kT},
    {"u", key::kU}, {"v", key::kV}, {"w", key::kW}, {"x", key::kX}, {"y", key::kY},
    {"z", key::kZ},
    {"0", key::k0}, {"1", 2}, {"2", 3}, {"3", 4}, {"4", 5}, {"5", 6}, {"6", 7},
    {"7", 8}, {"8", 9}, {"9", 10},
    {"minus", key::kMinus},     {"equals", key::kEquals},     {"apostrophe", key::kApostrophe},
    {"period", key::kPeriod},   {"kp_plus", key::kKeypadPlus},
}};
constexpr std::array<NamedKey, 2> kMoreKeys = {{
    {"kp_slash", key::kKeypadSlash}, {"kp_star", key::kKeypadStar},
}};
}  // namespace

int32_t KeyCodeFromName(const std::string& name) {
  for (const auto& k : kNamedKeys)
    if (name == k.name) return k.code;
  for (const auto& k : kMoreKeys)
    if (name == k.name) return k.code;
  return -1;
}

std::string KeyNameFromCode(int32_t code) {
  for (const auto& k : kNamedKeys)
    if (code == k.code) return k.name;
  for (const auto& k : kMoreKeys)
    if (code == k.code) return k.name;
  return {};
}
