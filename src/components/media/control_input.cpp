#include "components/media/control_input.h"

#include "components/media/pad_codes.h"

void ControlInput::Sample(bool scripted) {
  input_.Sample();
  Translate(!scripted);
}

void ControlInput::SampleFrom(const KeySet& input) {
  input_.SampleFrom(input);
  Translate(false);
}

void ControlInput::Translate(bool bindKeys) {
  const KeySet& input = input_.HeldKeys();
  recorded_ = translator_.MapKeyboard(screen_, input, bindKeys) | PadPart(input);
  const KeySet game = translator_.Translate(screen_, input, bindKeys);
  // A key let go and pressed again inside the pass is a press of what it
  // acts as.
  game_.SampleFrom(game, translator_.MapKeyboard(screen_, input_.Repressed(), bindKeys));
}
