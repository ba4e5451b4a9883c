#include "components/media/control_translator.h"

#include "components/media/pad_codes.h"

namespace {

constexpr std::size_t kPickerSize = sizeof kPickerCharacters - 1;

bool Has(const KeySet& set, int32_t code) { return set.test(static_cast<std::size_t>(code)); }

void Add(KeySet& set, int32_t code, bool on) {
  if (on) set.set(static_cast<std::size_t>(code));
}

// The key that types `c` on the name entry.
constexpr int32_t KeyTyping(char c) {
  for (const KeyEntry& k : kKeyTable)
    if (k.typed == c) return k.code;
  return -1;
}

// The picker offers only what a key can type: A types it by that key.
constexpr bool EveryPickTyped() {
  for (std::size_t i = 0; i < kPickerSize; ++i)
    if (KeyTyping(kPickerCharacters[i]) < 0) return false;
  return true;
}
static_assert(EveryPickTyped());

}  // namespace

void ControlTranslator::SetBindings(const KeyBindings& bindings) {
  for (std::size_t code = 0; code < actsAs_.size(); ++code) {
    actsAs_[code].reset();
    actsAs_[code].set(code);
  }
  KeySet listed;
  for (const KeyBinding& b : bindings)
    for (int32_t key : b.keys) listed.set(static_cast<std::size_t>(key));
  // A key listed anywhere acts as what it is listed for, and nothing else; a
  // game key given a line of its own answers only to the keys on it.
  for (const KeyBinding& b : bindings)
    if (!listed.test(static_cast<std::size_t>(b.gameKey)))
      actsAs_[static_cast<std::size_t>(b.gameKey)].reset();
  for (const KeyBinding& b : bindings)
    for (int32_t key : b.keys) actsAs_[static_cast<std::size_t>(key)].reset();
  for (const KeyBinding& b : bindings)
    for (int32_t key : b.keys)
      actsAs_[static_cast<std::size_t>(key)].set(static_cast<std::size_t>(b.gameKey));
  bound_ = !bindings.empty();
}

KeySet ControlTranslator::MapKeyboard(ControlScreen screen, const KeySet& keys,
                                      bool bindKeys) const {
  const KeySet keyboard = KeyboardPart(keys);
  // The name entry reads what is typed, whatever the bindings say.
  if (!bound_ || !bindKeys || screen == ControlScreen::kNameEntry) return keyboard;
  KeySet game;
  for (std::size_t code = 0; code < keyboard.size(); ++code)
    if (keyboard.test(code)) game |= actsAs_[code];
  return game;
}

KeySet ControlTranslator::Translate(ControlScreen screen, const KeySet& input, bool bindKeys) {
  const KeySet pressed = input & ~previous_;
  if ((PadPart(pressed)).any()) padLast_ = true;
  if ((KeyboardPart(pressed)).any()) padLast_ = false;
  // The picker starts on A each time the name entry opens.
  if (screen == ControlScreen::kNameEntry && screen_ != ControlScreen::kNameEntry) picked_ = 0;
  screen_ = screen;
  previous_ = input;
  return MapKeyboard(screen, input, bindKeys) | PadKeys(screen, PadPart(input), PadPart(pressed));
}

KeySet ControlTranslator::PadKeys(ControlScreen screen, const KeySet& held, const KeySet& pressed) {
  KeySet keys;
  const bool up = Has(held, pad::kUp) || Has(held, pad::kStickUp);
  const bool down = Has(held, pad::kDown) || Has(held, pad::kStickDown);
  switch (screen) {
    case ControlScreen::kMenu:
      Add(keys, key::kUp, up);
      Add(keys, key::kDown, down);
      Add(keys, key::kReturn, Has(held, pad::kA) || Has(held, pad::kStart));
      Add(keys, key::kEscape, Has(held, pad::kB));
      break;
    case ControlScreen::kFlight:
      Add(keys, key::kLeft, Has(held, pad::kLeft) || Has(held, pad::kStickLeft));
      Add(keys, key::kRight, Has(held, pad::kRight) || Has(held, pad::kStickRight));
      Add(keys, key::kUp, Has(held, pad::kA) || Has(held, pad::kRightTrigger) || up);
      Add(keys, key::kSpace, Has(held, pad::kX) || Has(held, pad::kDown));
      Add(keys, key::kReturn, Has(held, pad::kBack));
      Add(keys, key::kEscape, Has(held, pad::kStart));
      break;
    case ControlScreen::kTable:
      Add(keys, key::kReturn, Has(held, pad::kA) || Has(held, pad::kB) || Has(held, pad::kStart));
      break;
    case ControlScreen::kNameEntry: {
      const bool stepDown = Has(pressed, pad::kDown) || Has(pressed, pad::kStickDown);
      const bool stepUp = Has(pressed, pad::kUp) || Has(pressed, pad::kStickUp);
      if (stepDown && !stepUp) picked_ = (picked_ + 1) % kPickerSize;
      if (stepUp && !stepDown) picked_ = (picked_ + kPickerSize - 1) % kPickerSize;
      if (Has(held, pad::kA)) Add(keys, KeyTyping(kPickerCharacters[picked_]), true);
      Add(keys, key::kBackspace, Has(held, pad::kB));
      Add(keys, key::kReturn, Has(held, pad::kStart));
      break;
    }
  }
  return keys;
}

char ControlTranslator::PickedCharacter() const {
  return padLast_ && screen_ == ControlScreen::kNameEntry ? kPickerCharacters[picked_] : 0;
}
