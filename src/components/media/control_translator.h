#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "components/media/key_codes.h"

// The screen a pass runs, as far as controls care: a pad means different
// keys on each, and remapped keys act everywhere but the name entry.
enum class ControlScreen { kMenu, kFlight, kTable, kNameEntry };

// setup.ini's [keys]: the physical keys listed for a game key act as it.
struct KeyBinding {
  int32_t gameKey;
  std::vector<int32_t> keys;
};
using KeyBindings = std::vector<KeyBinding>;

// The characters the pad's picker steps through on the name entry, in order.
inline constexpr char kPickerCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 +'/=-*.";

// Turns a pass's input (keyboard keys and pad codes, as held and recorded)
// into the keys the game reads. The game's rules see keys only: a pad, like
// a remapped key, becomes keys here, below them, so a keyboard player's
// flight is the same bit for bit.
class ControlTranslator {
 public:
  void SetBindings(const KeyBindings& bindings);
  // Once per pass, in order: the keys the game sees this pass. A script's
  // keys are game keys already (a recording writes them bound), so
  // `bindKeys` is false for them.
  KeySet Translate(ControlScreen screen, const KeySet& input, bool bindKeys = true);
  // The keyboard part alone, without the pad or any state: what a recording
  // writes of the keys, and presses made and undone inside one pass.
  KeySet MapKeyboard(ControlScreen screen, const KeySet& keys, bool bindKeys = true) const;
  // The character the picker is on, while the pad is the last device used
  // on the name entry; 0 otherwise (the cursor flickers as ever).
  char PickedCharacter() const;

 private:
  KeySet PadKeys(ControlScreen screen, const KeySet& held, const KeySet& pressed);
  std::array<KeySet, 256> actsAs_{};  // per physical key, the game keys it acts as
  bool bound_ = false;
  KeySet previous_;
  ControlScreen screen_ = ControlScreen::kMenu;
  std::size_t picked_ = 0;  // index into kPickerCharacters
  bool padLast_ = false;
};
