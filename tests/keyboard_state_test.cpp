// The per-pass key snapshot: edges between passes, taps inside one pass.
#include <gtest/gtest.h>

#include "components/media/key_codes.h"
#include "components/media/keyboard_state.h"

namespace {

TEST(KeyboardState, EdgesAreMeasuredBetweenSnapshots) {
  KeyboardState k;
  k.Press(key::kUp);
  EXPECT_FALSE(k.Held(key::kUp)) << "nothing is seen before the next snapshot";
  k.Sample();
  EXPECT_TRUE(k.Held(key::kUp));
  EXPECT_TRUE(k.Down(key::kUp));
  EXPECT_TRUE(k.Down(key::kUp)) << "the same question twice gets the same answer";
  EXPECT_FALSE(k.Up(key::kUp));
  k.Sample();  // still held
  EXPECT_TRUE(k.Held(key::kUp));
  EXPECT_FALSE(k.Down(key::kUp));
  k.Release(key::kUp);
  k.Sample();
  EXPECT_FALSE(k.Held(key::kUp));
  EXPECT_TRUE(k.Up(key::kUp));
  k.Sample();
  EXPECT_FALSE(k.Up(key::kUp));
}

TEST(KeyboardState, ATapOrARepressInsideOnePassIsOnePress) {
  KeyboardState k;
  k.Press(key::kSpace);
  k.Release(key::kSpace);
  k.Sample();
  EXPECT_TRUE(k.Down(key::kSpace));
  EXPECT_TRUE(k.Held(key::kSpace));
  k.Sample();
  EXPECT_FALSE(k.Down(key::kSpace));
  EXPECT_TRUE(k.Up(key::kSpace));
  k.Sample();
  EXPECT_FALSE(k.Held(key::kSpace));
  EXPECT_FALSE(k.Up(key::kSpace));
  // Held, then let go and pressed again before the next snapshot.
  k.Press(key::kSpace);
  k.Sample();
  k.Release(key::kSpace);
  k.Press(key::kSpace);
  k.Sample();
  EXPECT_TRUE(k.Held(key::kSpace));
  EXPECT_TRUE(k.Down(key::kSpace));
  k.Sample();
  EXPECT_FALSE(k.Down(key::kSpace));
}

TEST(KeyboardState, ScriptedSnapshotsFocusLossAndOutOfRangeCodes) {
  KeyboardState k;
  k.SampleFrom(KeySet().set(key::kLeft));
  EXPECT_TRUE(k.Down(key::kLeft));
  k.Press(key::kRight);  // a live key does not leak into a scripted pass
  k.SampleFrom(KeySet());
  EXPECT_TRUE(k.Up(key::kLeft));
  EXPECT_FALSE(k.Held(key::kRight));
  k.Press(key::kUp);
  k.Sample();
  k.ReleaseAll();  // the focus went elsewhere
  k.Sample();
  EXPECT_TRUE(k.Up(key::kUp));
  EXPECT_TRUE(k.Up(key::kRight));
  EXPECT_FALSE(k.HeldKeys().any());
  for (int32_t code : {-1, 256, 100000}) {
    k.Press(code);
    EXPECT_FALSE(k.Held(code));
    EXPECT_FALSE(k.Down(code));
    EXPECT_FALSE(k.Up(code));
  }
}

TEST(KeyCodes, ScriptNamesRoundTrip) {
  int named = 0;
  for (int32_t code = 0; code < 256; ++code) {
    const std::string name = KeyNameFromCode(code);
    if (name.empty()) continue;
    ++named;
    EXPECT_EQ(KeyCodeFromName(name), code) << name;
  }
  EXPECT_EQ(named, 52);
  EXPECT_EQ(KeyCodeFromName("Up"), -1) << "names are lower case";
  EXPECT_EQ(KeyCodeFromName(""), -1);
}

}  // namespace
