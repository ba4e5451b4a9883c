#include "components/media/key_codes.h"

namespace {

constexpr bool SameName(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

// One line per key: a code or a name listed twice would answer for only one.
constexpr bool EachKeyOnce() {
  for (std::size_t i = 0; i < kKeyTable.size(); ++i)
    for (std::size_t j = i + 1; j < kKeyTable.size(); ++j)
      if (kKeyTable[i].code == kKeyTable[j].code || SameName(kKeyTable[i].name, kKeyTable[j].name))
        return false;
  return true;
}
static_assert(EachKeyOnce());

}  // namespace

int32_t KeyCodeFromName(const std::string& name) {
  for (const KeyEntry& k : kKeyTable)
    if (name == k.name) return k.code;
  return -1;
}

std::string KeyNameFromCode(int32_t code) {
  for (const KeyEntry& k : kKeyTable)
    if (code == k.code) return k.name;
  return {};
}
