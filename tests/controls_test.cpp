// Pads and remapped keys turned into the keys the game reads.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "components/media/control_input.h"
#include "components/media/pad_axes.h"
#include "components/media/pad_codes.h"
#include "core/input_script.h"
#include "shell/key_bindings.h"

namespace {

KeySet Set(const std::vector<int32_t>& codes) {
  KeySet s;
  for (int32_t c : codes) s.set(static_cast<std::size_t>(c));
  return s;
}

std::string Names(const KeySet& keys) { return KeysToScriptText(keys); }

TEST(Controls, EachScreenGivesAPadItsOwnKeys) {
  struct Case {
    ControlScreen screen;
    std::vector<int32_t> held;
    const char* keys;
  };
  const std::vector<Case> cases = {
      {ControlScreen::kMenu, {pad::kUp}, "up"},
      {ControlScreen::kMenu, {pad::kStickDown}, "down"},
      {ControlScreen::kMenu, {pad::kA}, "return"},
      {ControlScreen::kMenu, {pad::kStart}, "return"},
      {ControlScreen::kMenu, {pad::kB}, "escape"},
      {ControlScreen::kFlight, {pad::kLeft, pad::kStickRight}, "left+right"},
      {ControlScreen::kFlight, {pad::kA}, "up"},
      {ControlScreen::kFlight, {pad::kRightTrigger}, "up"},
      {ControlScreen::kFlight, {pad::kStickUp}, "up"},
      {ControlScreen::kFlight, {pad::kUp}, "up"},
      {ControlScreen::kFlight, {pad::kX}, "space"},
      {ControlScreen::kFlight, {pad::kDown}, "space"},
      {ControlScreen::kFlight, {pad::kBack}, "return"},
      {ControlScreen::kFlight, {pad::kStart}, "escape"},
      {ControlScreen::kFlight, {pad::kB, pad::kY, pad::kLeftTrigger}, "-"},
      {ControlScreen::kTable, {pad::kB}, "return"},
      {ControlScreen::kTable, {pad::kStart}, "return"},
      {ControlScreen::kTable, {pad::kA}, "return"},
      {ControlScreen::kTable, {pad::kUp}, "-"},
      {ControlScreen::kNameEntry, {pad::kB}, "backspace"},
      {ControlScreen::kNameEntry, {pad::kStart}, "return"},
  };
  for (const Case& c : cases) {
    ControlTranslator t;
    EXPECT_EQ(Names(t.Translate(c.screen, Set(c.held))), c.keys)
        << static_cast<int>(c.screen) << " " << Names(Set(c.held));
  }
}

TEST(Controls, APadPicksLettersOnTheNameEntryAndAKeyBringsTheFlickerBack) {
  ControlTranslator t;
  t.Translate(ControlScreen::kTable, Set({pad::kA}));
  auto pass = [&](const std::vector<int32_t>& held) {
    return Names(t.Translate(ControlScreen::kNameEntry, Set(held)));
  };
  EXPECT_EQ(pass({}), "-");
  EXPECT_EQ(t.PickedCharacter(), 'A') << "the pad was the last used: its picker shows";
  EXPECT_EQ(pass({pad::kA}), "a");
  EXPECT_EQ(pass({pad::kStickDown}), "-");
  EXPECT_EQ(pass({pad::kStickDown}), "-") << "held, it steps once";
  EXPECT_EQ(pass({pad::kDown}), "-");
  EXPECT_EQ(t.PickedCharacter(), 'C');
  EXPECT_EQ(pass({pad::kA, pad::kStickUp}), "b") << "a step and a letter in one pass";
  for (int i = 0; i < 4; ++i) pass({}), pass({pad::kUp});
  EXPECT_EQ(t.PickedCharacter(), '-') << "up from A wraps to the signs' end";
  EXPECT_EQ(pass({pad::kA}), "minus");
  for (int i = 0; i < 2; ++i) pass({}), pass({pad::kDown});
  EXPECT_EQ(pass({pad::kA}), "period");
  pass({}), pass({pad::kDown});
  EXPECT_EQ(pass({pad::kA}), "a") << "down from '.' wraps to A";
  pass({key::kK});
  EXPECT_EQ(t.PickedCharacter(), 0) << "a key typed: the cursor flickers again";
  pass({pad::kB});
  EXPECT_NE(t.PickedCharacter(), 0);
  // Leaving and coming back starts the picker on A.
  for (int i = 0; i < 2; ++i) pass({}), pass({pad::kDown});
  t.Translate(ControlScreen::kTable, Set({}));
  t.Translate(ControlScreen::kNameEntry, Set({pad::kA}));
  EXPECT_EQ(t.PickedCharacter(), 'A');
  EXPECT_EQ(t.Translate(ControlScreen::kFlight, Set({pad::kA})).count(), 1u);
  EXPECT_EQ(t.PickedCharacter(), 0) << "only on the name entry";
}

TEST(Controls, BoundKeysActEverywhereButTheNameEntry) {
  std::vector<std::string> problems;
  const KeyBindings bindings = ParseKeyBindings({{1, "Up", "UP, w"},
                                                 {2, "left", "a"},
                                                 {3, "space", "space,j"},
                                                 {4, "jump", "x"},
                                                 {5, "up", "k"},
                                                 {6, "down", "down,,s"},
                                                 {7, "right", "pad_a"},
                                                 {8, "escape", " "}},
                                                problems);
  ASSERT_EQ(bindings.size(), 3u);
  ASSERT_EQ(problems.size(), 5u);
  EXPECT_EQ(problems[0], "[keys] line 4 \"jump=x\": no game key \"jump\"; line ignored");
  EXPECT_EQ(problems[1], "[keys] line 5 \"up=k\": \"up\" has a line already; line ignored");
  EXPECT_EQ(problems[2], "[keys] line 6 \"down=down,,s\": no key \"\"; line ignored");
  EXPECT_EQ(problems[3], "[keys] line 7 \"right=pad_a\": no key \"pad_a\"; line ignored");
  EXPECT_EQ(problems[4], "[keys] line 8 \"escape= \": no key listed; line ignored");

  ControlInput in;
  in.SetBindings(bindings);
  auto keys = [&](ControlScreen screen, const std::vector<int32_t>& held) {
    in.SetScreen(screen);
    in.ReleaseAll();
    for (int32_t code : held) in.Press(code);
    in.Sample();
    std::string seen;
    for (int32_t code : {key::kUp, key::kLeft, key::kSpace, key::kW, key::kA, key::kJ, key::kK})
      if (in.Held(code)) seen += KeyNameFromCode(code) + " ";
    return seen;
  };
  EXPECT_EQ(keys(ControlScreen::kFlight, {key::kW, key::kJ}), "up space ");
  EXPECT_EQ(keys(ControlScreen::kFlight, {key::kA}), "left ");
  EXPECT_EQ(keys(ControlScreen::kFlight, {key::kLeft}), "") << "left answers to its line only";
  EXPECT_EQ(keys(ControlScreen::kMenu, {key::kUp, key::kK}), "up k ");
  EXPECT_EQ(keys(ControlScreen::kNameEntry, {key::kW, key::kA, key::kJ}), "w a j ");
  // A key let go and pressed again within the pass is a press of what it acts as.
  in.SetScreen(ControlScreen::kFlight);
  in.ReleaseAll();
  in.Press(key::kW);
  in.Sample();
  in.Release(key::kW);
  in.Press(key::kW);
  in.Sample();
  EXPECT_TRUE(in.Down(key::kUp));
  // A recording writes the keys as bound, and a script's are taken as they
  // stand, so a replay plays the same whoever's bindings replay it.
  EXPECT_EQ(Names(in.Input()), "up");
  in.SampleFrom(Set({key::kW}));
  EXPECT_TRUE(in.Held(key::kW));
  EXPECT_FALSE(in.Held(key::kUp));
}

TEST(Controls, AStickPressesPastHalfAndLetsGoBelowAThird) {
  // value, held before, held after
  const std::vector<std::tuple<int32_t, bool, bool>> stick = {
      {16383, false, false}, {16384, false, true}, {12000, true, true},
      {9831, true, true},    {9830, true, false},  {-32768, false, false}};
  for (const auto& [value, before, after] : stick)
    EXPECT_EQ(AxisPressed(before, value, kStickOn, kStickOff), after) << value;
  EXPECT_TRUE(AxisPressed(false, 16384, kTriggerOn, kTriggerOff));
  EXPECT_TRUE(AxisPressed(true, 13108, kTriggerOn, kTriggerOff));
  EXPECT_FALSE(AxisPressed(true, 13107, kTriggerOn, kTriggerOff));
}

}  // namespace
