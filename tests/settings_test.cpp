#include "shell/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class SettingsFiles : public ::testing::Test {
 protected:
  std::string Write(const std::string& content, const std::string& name = "setup.ini") {
    return dir_.Write(name, content);
  }
  std::string Read(const std::string& content) { return LoadSettingString("main", "Sound_On", Write(content)); }

  TestFolder dir_{"settings"};
};

TEST(SettingsBool, ConvertsWordsAndNumbers) {
  struct Case {
    const char* text;
    SettingBool expected;
  };
  // Words in any letter case; numbers by whether any digit before the
  // exponent is not 0; anything else is neither.
  const std::vector<Case> cases = {
      {"tRuE", SettingBool::kTrue},        {"1", SettingBool::kTrue},
      {"-1", SettingBool::kTrue},          {"+3", SettingBool::kTrue},
      {"1e3", SettingBool::kTrue},         {".5", SettingBool::kTrue},
      {"1e-400", SettingBool::kTrue},      {"  1\t", SettingBool::kTrue},
      {"FALSE", SettingBool::kFalse},      {"0", SettingBool::kFalse},
      {"0.0", SettingBool::kFalse},        {"-0", SettingBool::kFalse},
      {"0e5", SettingBool::kFalse},        {" 0 ", SettingBool::kFalse},
      {"", SettingBool::kUnconvertible},   {"yes", SettingBool::kUnconvertible},
      {"off", SettingBool::kUnconvertible}, {"1x", SettingBool::kUnconvertible},
      {"1e", SettingBool::kUnconvertible}, {"e5", SettingBool::kUnconvertible},
      {".", SettingBool::kUnconvertible},  {"-", SettingBool::kUnconvertible},
      {"1 0", SettingBool::kUnconvertible}, {"truex", SettingBool::kUnconvertible},
      {"\"1\"", SettingBool::kUnconvertible},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ConvertSettingBool(c.text), c.expected) << "text: '" << c.text << "'";
}

TEST_F(SettingsFiles, FindsValuesWithTheGamesRules) {
  struct Case {
    const char* name;
    std::string content;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"plain", "[main]\nSound_On=True\n", "True"},
      {"blanks around key and value", "[main]\n  Sound_On \t=  0 \t\n", "0"},
      {"blanks around header", "  [ main ]  \nSound_On=1\n", "1"},
      {"section case", "[MAIN]\nSound_On=1\n", "1"},
      {"key case", "[main]\nsound_on=1\n", "1"},
      {"double quotes removed", "[main]\nSound_On=\"a\"\n", "a"},
      {"single quotes removed", "[main]\nSound_On='a'\n", "a"},
      {"quotes removed once", "[main]\nSound_On='\"a\"'\n", "\"a\""},
      {"quotes keep inner blanks", "[main]\nSound_On=\" a \"\n", " a "},
      {"unbalanced quote kept", "[main]\nSound_On=\"a\n", "\"a"},
      {"lone quote kept", "[main]\nSound_On=\"\n", "\""},
      {"semicolon kept", "[main]\nSound_On=1 ; sound\n", "1 ; sound"},
      {"only first = separates", "[main]\nSound_On=a=b\n", "a=b"},
      {"colon is no separator", "[main]\nSound_On: 1\nSound_On=2\n", "2"},
      {"first duplicate wins", "[main]\nSound_On=1\nSound_On=0\n", "1"},
      {"duplicate section searched on", "[main]\nx=1\n[other]\nSound_On=9\n[Main]\nSound_On=0\n",
       "0"},
      {"other section ignored", "[other]\nSound_On=1\n", ""},
      {"before any section ignored", "Sound_On=1\n[main]\n", ""},
      {"comment line", "[main]\n;Sound_On=1\n  ; Sound_On=2\nSound_On=3\n", "3"},
      {"hash is not a comment", "[main]\n#x=1\nSound_On=4\n", "4"},
      {"indented line is not a continuation", "[main]\nFULL_SCREEN=0\n  Sound_On=5\n", "5"},
      {"line without = ignored", "[main]\nSound_On\nSound_On=6\n", "6"},
      {"empty value", "[main]\nSound_On=\nSound_On=1\n", ""},
      {"CRLF", "[main]\r\nFULL_SCREEN=1\r\nSound_On=True\r\n", "True"},
      {"no final newline", "[main]\nSound_On=7", "7"},
      {"byte-order mark", "\xEF\xBB\xBF[main]\nSound_On=8\n", "8"},
      {"NUL ends the line", "[main]\nSound_On=9\0zz\nx=1\n"s, "9"},
      {"missing key", "[main]\nFULL_SCREEN=1\n", ""},
      {"empty file", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.content), c.expected) << c.name;
}

TEST_F(SettingsFiles, CutsLongValuesAfterQuotesAreRemoved) {
  const std::string exact(254, 'x');
  EXPECT_EQ(Read("[main]\nSound_On=" + exact + "\n"), exact);
  EXPECT_EQ(Read("[main]\nSound_On=" + exact + "y\n"), exact);
  EXPECT_EQ(Read("[main]\nSound_On=" + std::string(5000, 'x') + "\n"), exact);
  // Quotes go first, so a quoted 254-character value comes back whole.
  EXPECT_EQ(Read("[main]\nSound_On=\"" + exact + "\"\n"), exact);
}

TEST_F(SettingsFiles, UnreadablePlacesGiveEmpty) {
  EXPECT_EQ(LoadSettingString("main", "Sound_On", (dir_.Path() / "missing.ini").string()), "");
  fs::create_directories(dir_.Path() / "folder.ini");
  EXPECT_EQ(LoadSettingString("main", "Sound_On", (dir_.Path() / "folder.ini").string()), "");
  EXPECT_EQ(LoadSettingString("main", "Sound_On", ""), "");
}

TEST_F(SettingsFiles, HugeFileIsReadOnlyInPart) {
  // A value at the top is found; one behind ten megabytes of junk is not.
  std::string content = "[main]\nSound_On=1\n";
  const std::string junkLine(99, 'j');
  while (content.size() < 10u * 1024 * 1024) content += junkLine + "\n";
  content += "FULL_SCREEN=1\n";
  const std::string path = Write(content);
  EXPECT_EQ(LoadSettingString("main", "Sound_On", path), "1");
  EXPECT_EQ(LoadSettingString("main", "FULL_SCREEN", path), "");

  // One endless line without a break must not hang or come back cut oddly.
  const std::string endless = Write("[main]\nSound_On=" + std::string(3u << 20, 'z'), "long.ini");
  EXPECT_EQ(LoadSettingString("main", "Sound_On", endless), "");
}

}  // namespace
