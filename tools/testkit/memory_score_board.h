#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "components/scores/score_board.h"
#include "components/scores/score_table.h"

// A score store in memory, for the tests, the golden replays and the
// benchmarks: the same table rules as the real one, with a pretend "hs.ini"
// and "hs.pak". Records every call with its arguments and fails chosen calls.
class MemoryScoreBoard : public ScoreBoard {
 public:
  struct Call {
    std::string op;
    std::string args;  // comma-separated, as the game passed them
    std::string Text() const { return op + "(" + args + ")"; }
  };

  MemoryScoreBoard();

  // --- test controls ---
  // The n-th call (from 1) of `op` throws ComponentError; n = 0 fails every call.
  void FailCall(const std::string& op, int n = 0);
  // What the pretend hs.ini holds; nullopt removes it.
  void SetStoredRows(const std::optional<std::vector<ScoreRow>>& rows);
  // What the pretend hs.pak restores (ten modest rows unless set); nullopt
  // makes the package missing, so OpenPackage fails.
  void SetPackageRows(const std::optional<std::vector<ScoreRow>>& rows);
  // The table as the last save left it (nullopt: no hs.ini).
  const std::optional<ScoreTable>& Stored() const { return stored_; }
  // The table a later GetScore would read from.
  const ScoreTable& Table() const { return table_; }
  int SaveCount() const { return saves_; }
  int16_t Option() const { return option_; }
  const std::vector<int32_t>& Delays() const { return delays_; }

  const std::vector<Call>& Calls() const { return calls_; }
  std::vector<std::string> CallTexts() const;
  std::vector<Call> CallsOf(const std::string& op) const;
  int CountOf(const std::string& op) const;
  void ClearCalls() { calls_.clear(); }

  // --- ScoreBoard ---
  void OpenTable(const std::string& fileName, int16_t rowCount, int16_t zero) override;
  void AddScore(float value, const std::string& name,
                const std::vector<std::string>& further) override;
  int16_t GetRank(float value) override;
  float GetScore(int16_t row) override;
  std::string GetName(int16_t row) override;
  void OpenPackage(const std::string& packageName, int16_t zero, const std::string& text,
                   int32_t zero2) override;
  void ExtractPackage(int32_t zero) override;
  void SetOption(int16_t value) override;
  void Delay(int32_t milliseconds) override;
  bool FileExists(const std::string& fileName) override;

 private:
  // Records the call, then throws if the test asked this call to fail.
  void Record(const std::string& op, const std::string& args);
  void RequireTable(const std::string& op) const;

  std::vector<Call> calls_;
  std::map<std::string, int> counts_;
  std::map<std::string, std::vector<int>> failures_;
  std::optional<ScoreTable> stored_;
  std::optional<ScoreTable> package_;
  bool packageOpen_ = false;
  bool tableOpen_ = false;
  ScoreTable table_;
  int saves_ = 0;
  int16_t option_ = 0;
  std::vector<int32_t> delays_;
};
