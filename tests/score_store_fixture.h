#pragma once
// Where the score store's tests start: a program folder holding a factory
// hs.pak, and a data folder that does not exist yet, under a fresh temporary
// folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "components/scores/file_score_board.h"
#include "components/scores/score_file.h"
#include "components/scores/score_package.h"
#include "test_folder.h"

// Ten rows from 9500 down in steps of 10, named F1 to F10.
inline ScoreTable FactoryTable() {
  std::vector<ScoreRow> rows;
  for (int i = 0; i < kScoreRows; ++i)
    rows.push_back(ScoreRow{9500.0f - 10.0f * static_cast<float>(i), "F" + std::to_string(i + 1)});
  return ScoreTable::FromRows(rows);
}

class ScoreStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_.Write("program/hs.pak", FactoryPackage()); }

  static std::string FactoryPackage() {
    return BuildPackage({PackageEntry{"hs.ini", WriteScoreFile(FactoryTable())}});
  }
  ScoreStorePaths Paths(bool headless = true) const {
    return ScoreStorePaths{(dir_ / "program").string(), (dir_ / "data").string(), headless};
  }
  std::unique_ptr<FileScoreBoard> Board(bool headless = true) const {
    return std::make_unique<FileScoreBoard>(Paths(headless), SystemFileOps());
  }
  std::filesystem::path IniPath() const { return dir_ / "data" / "hs.ini"; }
  std::filesystem::path PakPath() const { return dir_ / "program" / "hs.pak"; }
  bool TempsLeft() const { return !LeftoverTemps(IniPath().string()).empty(); }
  ScoreTable IniTable() const { return ParseScoreFile(ReadWholeFile(IniPath())).table; }
  static ScoreTable TableOf(ScoreBoard& board) {
    std::vector<ScoreRow> rows;
    for (int16_t row = 1; row <= kScoreRows; ++row)
      rows.push_back(ScoreRow{board.GetScore(row), board.GetName(row)});
    return ScoreTable::FromRows(rows);
  }

  TestFolder folder_{"scores"};
  const std::filesystem::path dir_ = folder_.Path();
};
