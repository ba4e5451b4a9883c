#pragma once
#include <string>
#include <vector>

#include "components/scores/score_board.h"

// A table of nobody's: every value ranks first, nothing is ever stored, and
// the files it is asked about are all there. For a replayed round, which
// must neither read nor change the player's table.
class NoScoreBoard : public ScoreBoard {
 public:
  void OpenTable(const std::string&, int16_t, int16_t) override {}
  void AddScore(float, const std::string&, const std::vector<std::string>&) override {}
  int16_t GetRank(float) override { return 1; }
  float GetScore(int16_t) override { return 0; }
  std::string GetName(int16_t) override { return {}; }
  void OpenPackage(const std::string&, int16_t, const std::string&, int32_t) override {}
  void ExtractPackage(int32_t) override {}
  void SetOption(int16_t) override {}
  void Delay(int32_t) override {}
  bool FileExists(const std::string&) override { return true; }
};
