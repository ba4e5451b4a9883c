#pragma once
#include <cstdint>

#include "components/media/control_translator.h"
#include "components/media/keyboard_state.h"

// What every engine does with input: keys and pad buttons arrive as codes
// (see pad_codes.h); once a pass they are sampled as held (what a recording
// writes) and translated into the keys the game reads, whose edges the
// game's questions answer.
class ControlInput {
 public:
  void SetBindings(const KeyBindings& bindings) { translator_.SetBindings(bindings); }
  void SetScreen(ControlScreen screen) { screen_ = screen; }

  // Live events.
  void Press(int32_t code) { input_.Press(code); }
  void Release(int32_t code) { input_.Release(code); }
  void ReleaseAll() { input_.ReleaseAll(); }

  // The pass's snapshot from the live events, or as given (a script). A
  // script's keys are bound already: `scripted` keeps the bindings off the
  // live events a script presses.
  void Sample(bool scripted = false);
  void SampleFrom(const KeySet& input);

  bool Held(int32_t code) const { return game_.Held(code); }
  bool Down(int32_t code) const { return game_.Down(code); }
  bool Up(int32_t code) const { return game_.Up(code); }
  // What a recording writes: the keys as bound, and the pad's buttons, so
  // a replay plays the same whatever the replaying player's bindings.
  const KeySet& Input() const { return recorded_; }
  char PickedCharacter() const { return translator_.PickedCharacter(); }

 private:
  void Translate(bool bindKeys);
  KeyboardState input_;
  KeySet recorded_;
  KeyboardState game_;
  ControlTranslator translator_;
  ControlScreen screen_ = ControlScreen::kMenu;
};
