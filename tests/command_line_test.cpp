// What a script calling the game can rely on: the exit status says whether
// the run did what was asked (0), could not (1) or was asked wrongly (2).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_command.h"
#include "test_folder.h"

namespace {

TEST(CommandLine, StatusesAndRefusalsAPlayerCanRead) {
  TestFolder dir("command-line");
  const std::string data = " --headless --data-dir " + (dir / "data").string();
  struct Case {
    std::string args;
    int status;
    std::string says;
  };
  const std::vector<Case> cases = {
      {"--version", 0, "Kestrevan 1.05"},
      {"--frames 3" + data, 0, ""},
      {"--bogus", 2, "--bogus"},
      {"--frames 0 --screenshot-at 0 --screenshot-dir x" + data, 2,
       "--frames: must be a whole number, 1 or more"},
      {"--frames 3 --fps 1001" + data, 2, "--fps: must be a whole number from 0 to 1000"},
      {"--frames 3 --seed 18446744073709551616" + data, 2, "from 0 to 18446744073709551615"},
      {"--frames 3 --seed -1" + data, 2, "--seed: must be"},
      {"--frames 3 --seed 18446744073709551615" + data, 0, ""},
      {"--frames 3 --trace " + (dir / "no" / "t.csv").string() + data, 1, "cannot write the trace"},
      {"--frames 3 --record " + (dir / "no" / "r.txt").string() + data, 1,
       "cannot write the recording"},
  };
  for (const Case& c : cases) {
    const RunResult r = RunGame(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.output;
    EXPECT_NE(r.output.find(c.says), std::string::npos) << c.args << "\n" << r.output;
  }
}

}  // namespace
