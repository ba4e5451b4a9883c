// The per-pass key snapshot: edges between passes, taps inside one pass.
#include <gtest/gtest.h>

#include <string>

#include "components/media/key_codes.h"
#include "components/media/keyboard_state.h"

namespace {

// Held, Down and Up of one key after each snapshot, as "HDU" with '-' for no.
std::string Seen(const KeyboardState& k, int32_t code) {
  return std::string(k.Held(code) ? "H" : "-") + (k.Down(code) ? "D" : "-") +
         (k.Up(code) ? "U" : "-");
}

TEST(KeyboardState, EdgesBetweenSnapshotsAndTapsOrRepressesInsideOne) {
  KeyboardState k;
  k.Press(key::kUp);
  EXPECT_EQ(Seen(k, key::kUp), "---") << "nothing is seen before the next snapshot";
  k.Sample();
  EXPECT_EQ(Seen(k, key::kUp), "HD-");
  k.Sample();  // still held
  EXPECT_EQ(Seen(k, key::kUp), "H--");
  k.Release(key::kUp);
  k.Sample();
  EXPECT_EQ(Seen(k, key::kUp), "--U");
  k.Sample();
  EXPECT_EQ(Seen(k, key::kUp), "---");
  // A tap inside one pass is one press, then a release.
  k.Press(key::kSpace);
  k.Release(key::kSpace);
  k.Sample();
  EXPECT_EQ(Seen(k, key::kSpace), "HD-");
  k.Sample();
  EXPECT_EQ(Seen(k, key::kSpace), "--U");
  // Held, then let go and pressed again before the next snapshot.
  k.Press(key::kSpace);
  k.Sample();
  k.Release(key::kSpace);
  k.Press(key::kSpace);
  k.Sample();
  EXPECT_EQ(Seen(k, key::kSpace), "HD-");
}

TEST(KeyboardState, ScriptedSnapshotsFocusLossAndOutOfRangeCodes) {
  KeyboardState k;
  k.SampleFrom(KeySet().set(key::kLeft));
  EXPECT_EQ(Seen(k, key::kLeft), "HD-");
  k.Press(key::kRight);  // a live key does not leak into a scripted pass
  k.SampleFrom(KeySet());
  EXPECT_EQ(Seen(k, key::kLeft), "--U");
  EXPECT_EQ(Seen(k, key::kRight), "---");
  k.Press(key::kUp);
  k.Sample();
  k.ReleaseAll();  // the focus went elsewhere
  k.Sample();
  EXPECT_EQ(Seen(k, key::kUp), "--U");
  EXPECT_FALSE(k.HeldKeys().any());
  for (int32_t code : {-1, 256, 100000}) {
    k.Press(code);
    EXPECT_EQ(Seen(k, code), "---") << code;
  }
}

}  // namespace
