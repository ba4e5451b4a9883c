#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "components/component_error.h"

// The high-score table: 10 rows from 1, higher value first. Every operation
// throws ComponentError on failure.
class ScoreBoard {
 public:
  virtual ~ScoreBoard() = default;

  virtual void OpenTable(const std::string& fileName, int16_t rowCount, int16_t zero) = 0;
  virtual void AddScore(float value, const std::string& name,
                        const std::vector<std::string>& further) = 0;
  virtual int16_t GetRank(float value) = 0;
  virtual float GetScore(int16_t row) = 0;
  virtual std::string GetName(int16_t row) = 0;
  virtual void OpenPackage(const std::string& packageName, int16_t zero, const std::string& text,
                           int32_t zero2) = 0;
  virtual void ExtractPackage(int32_t zero) = 0;
  virtual void SetOption(int16_t value) = 0;
  virtual void Delay(int32_t milliseconds) = 0;
  virtual bool FileExists(const std::string& fileName) = 0;
};
