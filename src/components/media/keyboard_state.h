#pragma once
#include <cstdint>

#include "components/media/key_codes.h"

// The game's view of the keyboard: events arrive at any time, but the game
// sees one snapshot per main-loop pass, so the same question asked twice in a
// pass gets the same answer and edges are measured between passes.
class KeyboardState {
 public:
  // Live events (the backend ignores auto-repeat before calling these).
  void Press(int32_t code);
  void Release(int32_t code);
  void ReleaseAll();  // focus lost: nothing stays stuck down

  // Takes the snapshot for the next pass from the live events. A key pressed
  // and released since the last snapshot counts as held for this one pass, so
  // a tap shorter than a frame is still one press.
  void Sample();
  // Takes the snapshot from a script instead of the live keyboard, or from
  // another snapshot translated; `repressed` as Repressed() tells.
  void SampleFrom(const KeySet& held, const KeySet& repressed = {});

  bool Held(int32_t code) const;
  bool Down(int32_t code) const;  // held now, not held in the previous snapshot
  bool Up(int32_t code) const;    // held in the previous snapshot, not now
  const KeySet& HeldKeys() const { return current_; }
  // Held through the last snapshot, let go and pressed again before this one.
  const KeySet& Repressed() const { return repressed_; }

 private:
  static bool Valid(int32_t code) { return code >= 0 && code < 256; }
  KeySet live_;
  KeySet pressedSinceSample_;
  KeySet current_;
  KeySet previous_;
  KeySet repressed_;  // released and pressed again inside one pass while held
};
