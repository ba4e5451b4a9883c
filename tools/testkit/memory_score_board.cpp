#include "testkit/memory_score_board.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Num(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", v);
  return text;
}

std::string Q(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

MemoryScoreBoard::MemoryScoreBoard() {
  std::vector<ScoreRow> factory;
  for (int i = 0; i < kScoreRows; ++i) {
    factory.push_back(
        ScoreRow{9600.0f - 40.0f * static_cast<float>(i), "PILOT " + std::to_string(i + 1)});
  }
  package_ = ScoreTable::FromRows(factory);
}

void MemoryScoreBoard::FailCall(const std::string& op, int n) { failures_[op].push_back(n); }

void MemoryScoreBoard::SetStoredRows(const std::optional<std::vector<ScoreRow>>& rows) {
  stored_.reset();
  if (rows) stored_ = ScoreTable::FromRows(*rows);
}

void MemoryScoreBoard::SetPackageRows(const std::optional<std::vector<ScoreRow>>& rows) {
  package_.reset();
  if (rows) package_ = ScoreTable::FromRows(*rows);
}

std::vector<std::string> MemoryScoreBoard::CallTexts() const {
  std::vector<std::string> texts;
  for (const Call& call : calls_) texts.push_back(call.Text());
  return texts;
}

std::vector<MemoryScoreBoard::Call> MemoryScoreBoard::CallsOf(const std::string& op) const {
  std::vector<Call> calls;
  for (const Call& call : calls_) {
    if (call.op == op) calls.push_back(call);
  }
  return calls;
}

int MemoryScoreBoard::CountOf(const std::string& op) const {
  return static_cast<int>(
      std::count_if(calls_.begin(), calls_.end(), [&](const Call& call) { return call.op == op; }));
}

void MemoryScoreBoard::Record(const std::string& op, const std::string& args) {
  calls_.push_back(Call{op, args});
  const int n = ++counts_[op];
  auto fail = failures_.find(op);
  if (fail == failures_.end()) return;
  for (int k : fail->second) {
    if (k == 0 || k == n) throw ComponentError(op, "injected failure #" + std::to_string(n));
  }
}

void MemoryScoreBoard::RequireTable(const std::string& op) const {
  if (!tableOpen_) throw ComponentError(op, "no score table is open (OpenTable has not run)");
}

void MemoryScoreBoard::OpenTable(const std::string& fileName, int16_t rowCount, int16_t zero) {
  Record("OpenTable", Q(fileName) + "," + Num(rowCount) + "," + Num(zero));
  if (fileName != "hs.ini") throw ComponentError("OpenTable", Q(fileName) + " is not hs.ini");
  if (rowCount != kScoreRows) throw ComponentError("OpenTable", "hs.ini holds 10 rows");
  // Like the real store: a missing file falls back to the package's table.
  table_ = stored_ ? *stored_ : (package_ ? *package_ : ScoreTable());
  tableOpen_ = true;
}

void MemoryScoreBoard::AddScore(float value, const std::string& name,
                                const std::vector<std::string>& further) {
  std::string args = Num(value) + "," + Q(name);
  for (const std::string& f : further) args += "," + Q(f);
  Record("AddScore", args);
  RequireTable("AddScore");
  if (!IsStorableScore(value))
    throw ComponentError("AddScore", "value is not a score from 0 to 10000");
  if (table_.Insert(value, name) > kScoreRows) return;
  stored_ = table_;
  ++saves_;
}

int16_t MemoryScoreBoard::GetRank(float value) {
  Record("GetRank", Num(value));
  RequireTable("GetRank");
  return table_.RankOf(value);
}

float MemoryScoreBoard::GetScore(int16_t row) {
  Record("GetScore", Num(row));
  RequireTable("GetScore");
  if (!ScoreTable::IsRow(row))
    throw ComponentError("GetScore", "row " + Num(row) + " is not in 1 to 10");
  return table_.Row(row).value;
}

std::string MemoryScoreBoard::GetName(int16_t row) {
  Record("GetName", Num(row));
  RequireTable("GetName");
  if (!ScoreTable::IsRow(row))
    throw ComponentError("GetName", "row " + Num(row) + " is not in 1 to 10");
  return table_.Row(row).name;
}

void MemoryScoreBoard::OpenPackage(const std::string& packageName, int16_t zero,
                                   const std::string& text, int32_t zero2) {
  Record("OpenPackage", Q(packageName) + "," + Num(zero) + "," + Q(text) + "," + Num(zero2));
  packageOpen_ = false;
  if (packageName != "hs.pak")
    throw ComponentError("OpenPackage", Q(packageName) + " is not hs.pak");
  if (!package_) throw ComponentError("OpenPackage", "hs.pak does not exist");
  packageOpen_ = true;
}

void MemoryScoreBoard::ExtractPackage(int32_t zero) {
  Record("ExtractPackage", Num(zero));
  if (!packageOpen_) throw ComponentError("ExtractPackage", "no package is open");
  if (!stored_) stored_ = *package_;  // never over a table a player has built
}

void MemoryScoreBoard::SetOption(int16_t value) {
  Record("SetOption", Num(value));
  option_ = value;
}

void MemoryScoreBoard::Delay(int32_t milliseconds) {
  Record("Delay", Num(milliseconds));
  delays_.push_back(milliseconds);
}

bool MemoryScoreBoard::FileExists(const std::string& fileName) {
  Record("FileExists", Q(fileName));
  if (fileName == "hs.ini") return stored_.has_value();
  if (fileName == "hs.pak") return package_.has_value();
  throw ComponentError("FileExists", Q(fileName) + " is not a score file");
}
