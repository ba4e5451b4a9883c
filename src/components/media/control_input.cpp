#include "components/media/control_input.h"

void ControlInput::Sample() {
  input_.Sample();
  Translate();
}

void ControlInput::SampleFrom(const KeySet& input) {
  input_.SampleFrom(input);
  Translate();
}

void ControlInput::Translate() {
  const KeySet game = translator_.Translate(screen_, input_.HeldKeys());
  // A key let go and pressed again inside the pass is a press of what it
  // acts as.
  game_.SampleFrom(game, translator_.MapKeyboard(screen_, input_.Repressed()));
}
