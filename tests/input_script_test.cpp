#include "core/input_script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/media/pad_codes.h"
#include "test_folder.h"

namespace {

KeySet Keys(std::initializer_list<int32_t> codes) {
  KeySet keys;
  for (int32_t code : codes) keys.set(static_cast<std::size_t>(code));
  return keys;
}

TEST(InputScriptParse, ReadsSeedSegmentsAndComments) {
  const InputScript script = ParseInputScript(
      "# a landing\n"
      "\n"
      "   # indented comment\n"
      "seed 18446744073709551615  # the largest\n"
      "3 -\r\n"
      "\t2\tup+left \n"
      "1 kp_plus+kp_slash+kp_star+apostrophe+period+minus+equals+0+9+z\n"
      "4 lshift+return#comment right after\n");
  ASSERT_TRUE(script.seed.has_value());
  EXPECT_EQ(*script.seed, 18446744073709551615ULL);
  ASSERT_EQ(script.segments.size(), 4u);
  EXPECT_EQ(script.segments[0].frames, 3);
  EXPECT_TRUE(script.segments[0].keys.none());
  EXPECT_EQ(script.segments[1].keys, Keys({key::kUp, key::kLeft}));
  EXPECT_EQ(script.segments[2].keys,
            Keys({key::kKeypadPlus, key::kKeypadSlash, key::kKeypadStar, key::kApostrophe,
                  key::kPeriod, key::kMinus, key::kEquals, key::k0, 10, key::kZ}));
  EXPECT_EQ(script.segments[3].keys, Keys({key::kLeftShift, key::kReturn}));
  EXPECT_EQ(script.TotalPasses(), 10);

  // The seed is optional, and a script of comments is empty.
  EXPECT_FALSE(ParseInputScript("5 space\n").seed.has_value());
  EXPECT_TRUE(ParseInputScript("# nothing\n\n").segments.empty());
  EXPECT_EQ(ParseInputScript("1000000000 -").TotalPasses(), 1000000000);
}

TEST(InputScriptParse, RejectsBadLinesWithTheirNumber) {
  struct Case {
    const char* text;
    int line;
    const char* fragment;
  };
  const std::vector<Case> cases = {
      {"1 -\n2 upp\n", 2, "unknown key 'upp'"},
      {"1 up++left\n", 1, "empty key name"},
      {"1 up+\n", 1, "empty key name"},
      {"1 UP\n", 1, "unknown key 'UP'"},
      {"1 pad_lx+up\n", 1, "unknown key 'pad_lx'"},
      {"0 up\n", 1, "bad frame count '0'"},
      {"+1 up\n", 1, "bad frame count"},
      {"1000000001 up\n", 1, "bad frame count"},
      {"99999999999999999999999 up\n", 1, "bad frame count"},
      {"# c\n\n1 up left\n", 3, "expected '<frames> <keys>'"},
      {"12\n", 1, "expected '<frames> <keys>'"},
      {"1 -\nseed 4\n", 2, "seed after"},
      {"seed 4\nseed 4\n", 2, "second seed"},
      {"seed\n", 1, "expected 'seed <number>'"},
      {"seed 1 2\n", 1, "expected 'seed <number>'"},
      {"seed 18446744073709551616\n", 1, "bad seed"},
      {"seed 0x10\n", 1, "bad seed"},
  };
  for (const auto& c : cases) {
    try {
      ParseInputScript(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const InputScriptError& e) {
      EXPECT_EQ(e.Line(), c.line) << c.text;
      const std::string what = e.what();
      EXPECT_EQ(what.rfind("line " + std::to_string(c.line) + ": ", 0), 0u) << what;
      EXPECT_NE(what.find(c.fragment), std::string::npos) << what;
    }
  }
}

TEST(InputScriptPasses, KeysFollowSegmentsAndStopAfterTheLast) {
  const InputScript script = ParseInputScript("2 up\n1 -\n3 left+right\n");
  EXPECT_TRUE(script.KeysForPass(0).none());
  EXPECT_TRUE(script.KeysForPass(-5).none());
  EXPECT_EQ(script.KeysForPass(1), Keys({key::kUp}));
  EXPECT_EQ(script.KeysForPass(2), Keys({key::kUp}));
  EXPECT_TRUE(script.KeysForPass(3).none());
  EXPECT_EQ(script.KeysForPass(4), Keys({key::kLeft, key::kRight}));
  EXPECT_EQ(script.KeysForPass(6), Keys({key::kLeft, key::kRight}));
  EXPECT_TRUE(script.KeysForPass(7).none());
  // Out of order questions get the same answers.
  EXPECT_EQ(script.KeysForPass(1), Keys({key::kUp}));

  // Segments added after a question are seen.
  InputScript growing;
  EXPECT_TRUE(growing.KeysForPass(1).none());
  growing.segments.push_back(InputSegment{2, Keys({key::kSpace})});
  EXPECT_EQ(growing.KeysForPass(2), Keys({key::kSpace}));
  EXPECT_TRUE(growing.KeysForPass(3).none());
}

TEST(InputScriptRecorder, MergesRunsRoundTripsAndLeavesUnnamedKeysOut) {
  InputRecorder recorder(uint64_t{42});
  const std::vector<KeySet> passes = {Keys({}),
                                      Keys({}),
                                      Keys({key::kUp}),
                                      Keys({key::kUp, key::kLeft}),
                                      Keys({key::kUp, key::kLeft}),
                                      Keys({key::kUp, key::kLeft}),
                                      Keys({}),
                                      Keys({key::kReturn, key::kKeypadStar, key::k1}),
                                      Keys({key::kDown, key::kEscape, key::kKeypadSlash, key::kA}),
                                      Keys({key::kUp, pad::kStickRight, pad::kStickDown})};
  for (const auto& keys : passes) recorder.AddPass(keys);
  const std::string text = recorder.Text();
  EXPECT_EQ(text.rfind("# kestrevan input script\nseed 42\n", 0), 0u) << text;
  // Runs merged, keys named in scan code order.
  EXPECT_NE(text.find("\n2 -\n1 up\n3 up+left\n1 -\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n1 escape+a+kp_slash+down\n"), std::string::npos) << text;
  // A stick pushed the plus way keeps its '+' inside a list.
  EXPECT_NE(text.find("\n1 up+pad_lx++pad_ly+\n"), std::string::npos) << text;

  const InputScript script = ParseInputScript(text);
  ASSERT_TRUE(script.seed.has_value());
  EXPECT_EQ(*script.seed, 42u);
  ASSERT_EQ(script.TotalPasses(), static_cast<int64_t>(passes.size()));
  for (std::size_t i = 0; i < passes.size(); ++i)
    EXPECT_EQ(script.KeysForPass(static_cast<int64_t>(i) + 1), passes[i]) << "pass " << i + 1;

  InputRecorder unseeded(std::nullopt);
  EXPECT_EQ(unseeded.Text(), "# kestrevan input script\n");
  EXPECT_TRUE(ParseInputScript(unseeded.Text()).segments.empty());
  // An unnamed key held for a while must not split the run it is part of.
  unseeded.AddPass(Keys({key::kUp}));
  unseeded.AddPass(Keys({key::kUp, 250}));
  unseeded.AddPass(Keys({key::kUp}));
  EXPECT_EQ(unseeded.Text(), "# kestrevan input script\n3 up\n");
}

std::string LoadError(const std::string& path) {
  try {
    LoadInputScript(path);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(InputScriptFiles, LoadsAFileAndNamesItInErrors) {
  const TestFolder dir("script");
  const InputScript script = LoadInputScript(dir.Write("good.txt", "seed 7\n2 up\n"));
  EXPECT_EQ(script.seed.value_or(0), 7u);
  EXPECT_EQ(script.TotalPasses(), 2);

  const std::string bad = dir.Write("replay.txt", "# x\n1 -\n3 upp\n");
  EXPECT_EQ(LoadError(bad), bad + ": line 3: unknown key 'upp'");
  for (const std::string& path : {(dir / "missing.txt").string(), dir.Path().string()}) {
    const std::string message = LoadError(path);
    EXPECT_EQ(message.rfind(path + ": ", 0), 0u) << message;
  }
}

}  // namespace
