#include "components/media/keyboard_state.h"

void KeyboardState::Press(int32_t code) {
  if (!Valid(code)) return;
  live_.set(code);
  pressedSinceSample_.set(code);
}

void KeyboardState::Release(int32_t code) {
  if (!Valid(code)) return;
  live_.reset(code);
}

void KeyboardState::ReleaseAll() { live_.reset(); }

void KeyboardState::Sample() {
  previous_ = current_;
  current_ = live_ | pressedSinceSample_;
  // A key held through the last snapshot that went up and down again before
  // this one was pressed anew: report that press too.
  repressed_ = pressedSinceSample_ & previous_;
  pressedSinceSample_.reset();
}

void KeyboardState::SampleFrom(const KeySet& held, const KeySet& repressed) {
  previous_ = current_;
  current_ = held;
  repressed_ = repressed & held & previous_;
  pressedSinceSample_.reset();
}

bool KeyboardState::Held(int32_t code) const { return Valid(code) && current_.test(code); }

bool KeyboardState::Down(int32_t code) const {
  return Valid(code) && current_.test(code) && (!previous_.test(code) || repressed_.test(code));
}

bool KeyboardState::Up(int32_t code) const {
  return Valid(code) && previous_.test(code) && !current_.test(code);
}
