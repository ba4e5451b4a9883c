#include "components/media/key_codes.h"

#include "components/media/pad_codes.h"

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

// Pad codes sit above every key, so the two never answer for each other.
constexpr bool PadsAboveKeys() {
  for (const KeyEntry& k : kKeyTable)
    if (k.code >= pad::kFirst) return false;
  for (std::size_t i = 0; i < kPadTable.size(); ++i)
    if (kPadTable[i].code != pad::kFirst + static_cast<int32_t>(i)) return false;
  return true;
}
static_assert(PadsAboveKeys());

}  // namespace

int32_t KeyCodeFromName(const std::string& name) {
  for (const KeyEntry& k : kKeyTable)
    if (name == k.name) return k.code;
  for (const PadEntry& p : kPadTable)
    if (name == p.name) return p.code;
  return -1;
}

std::string KeyNameFromCode(int32_t code) {
  for (const KeyEntry& k : kKeyTable)
    if (code == k.code) return k.name;
  for (const PadEntry& p : kPadTable)
    if (code == p.code) return p.name;
  return {};
}

KeySet PadPart(const KeySet& input) {
  KeySet pads;
  for (int32_t code = pad::kFirst; code <= pad::kLast; ++code)
    if (input.test(static_cast<std::size_t>(code))) pads.set(static_cast<std::size_t>(code));
  return pads;
}

KeySet KeyboardPart(const KeySet& input) { return input & ~PadPart(input); }
