#include "shell/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_folder.h"

namespace {

using namespace std::string_literals;

TEST(SettingsBool, ConvertsWordsAndNumbers) {
  // Words in any letter case; numbers by whether any digit before the
  // exponent is not 0; anything else is neither.
  const SettingBool yes = SettingBool::kTrue, no = SettingBool::kFalse,
                    neither = SettingBool::kUnconvertible;
  const std::vector<std::pair<std::string, SettingBool>> cases = {
      {"tRuE", yes},      {"-1", yes},        {".5", yes},     {"1e-400", yes}, {"  1\t", yes},
      {"FALSE", no},      {"0.0", no},        {"+0e5", no},    {"", neither},   {"yes", neither},
      {"1x", neither},    {"1e", neither},    {"e5", neither}, {".", neither},  {"1 0", neither},
      {"truex", neither}, {"\"1\"", neither},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ConvertSettingBool(text), expected) << text;
}

TEST(SettingsText, FindsValuesWithTheGamesRules) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"[main]\n  Sound_On \t=  0 \t\n", "0"},
      {"  [ MAIN ]  \nsound_on=1\n", "1"},
      {"[main]\nSound_On='\"a\"'\n", "\"a\""},  // one pair of quotes goes
      {"[main]\nSound_On=\" a \"\n", " a "},
      {"[main]\nSound_On=\"a\n", "\"a"},
      {"[main]\nSound_On=\"\n", "\""},
      {"[main]\nSound_On=1 ; sound\n", "1 ; sound"},
      {"[main]\nSound_On=a=b\n", "a=b"},
      {"[main]\nSound_On: 1\nSound_On=2\n", "2"},
      {"[main]\nSound_On=1\nSound_On=0\n", "1"},
      {"[main]\nx=1\n[other]\nSound_On=9\n[Main]\nSound_On=0\n", "0"},
      {"Sound_On=1\n[main]\n", ""},
      {"[main]\n;Sound_On=1\n  ; Sound_On=2\n#x=1\nSound_On=3\n", "3"},
      {"[main]\nSound_On\nSound_On=\nSound_On=1\n", ""},
      {"\xEF\xBB\xBF[main]\r\nFULL_SCREEN=1\r\nSound_On=True\r\n", "True"},
      {"[main]\nSound_On=7", "7"},
      {"[main]\nSound_On=9\0zz\nx=1\n"s, "9"},  // a NUL ends the line
      {"[main]\nSound_On=" + std::string(300, 'x') + "\n", std::string(254, 'x')},
      // Quotes go first, so a quoted 254-character value comes back whole.
      {"[main]\nSound_On=\"" + std::string(254, 'x') + "\"\n", std::string(254, 'x')},
  };
  for (const auto& [text, value] : cases)
    EXPECT_EQ(LoadSettingStringFromText("main", "Sound_On", text), value) << text;
}

TEST(SettingsGhost, OnlyBestRacesAndAStrayWordIsSaid) {
  TestFolder dir("ghost");
  const std::vector<std::pair<std::string, bool>> cases = {
      {"bEsT", true}, {"Off", false}, {"False", false}, {"", false}, {"fastest", false}};
  for (const auto& [value, best] : cases) {
    const std::string path = dir.Write("setup.ini", "[main]\nGhost=" + value + "\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadGhostBest(path, false), best) << value;
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("is not Best or Off") != std::string::npos, value == "fastest")
        << value << ": " << said;
  }
}

TEST(SettingsFiles, UnreadableOrHugeFilesGiveEmpty) {
  TestFolder dir("settings");
  EXPECT_EQ(LoadSettingString("main", "Sound_On", (dir / "missing.ini").string()), "");
  std::filesystem::create_directories(dir / "folder.ini");
  EXPECT_EQ(LoadSettingString("main", "Sound_On", (dir / "folder.ini").string()), "");
  EXPECT_EQ(LoadSettingString("main", "Sound_On", ""), "");

  // A value at the top is found; one behind megabytes of junk is not.
  std::string content = "[main]\nSound_On=1\n";
  while (content.size() < 2u << 20) content += std::string(99, 'j') + "\n";
  const std::string path = dir.Write("setup.ini", content + "FULL_SCREEN=1\n");
  EXPECT_EQ(LoadSettingString("main", "Sound_On", path), "1");
  EXPECT_EQ(LoadSettingString("main", "FULL_SCREEN", path), "");
  // One endless line without a break must not come back cut oddly.
  const std::string endless =
      dir.Write("long.ini", "[main]\nSound_On=" + std::string(3u << 20, 'z'));
  EXPECT_EQ(LoadSettingString("main", "Sound_On", endless), "");
}

}  // namespace