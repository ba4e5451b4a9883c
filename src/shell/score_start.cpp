#include "shell/score_start.h"

#include "components/scores/score_board.h"
#include "core/step.h"

void PrepareScoreStore(ScoreBoard& scores) {
  RunStep([&] { scores.SetOption(50); });
  if (RunCondition([&] { return !scores.FileExists("hs.ini"); })) {
    RunStep([&] { scores.OpenPackage("hs.pak", 0, "Open File", 0); });
    RunStep([&] { scores.ExtractPackage(0); });
  }
}

void OpenScoreTable(ScoreBoard& scores) { scores.OpenTable("hs.ini", 10, 0); }
