#include "components/scores/score_table.h"

#include <algorithm>
#include <cmath>

bool IsStorableScore(float value) {
  return std::isfinite(value) && value >= kLowestScore && value <= kHighestScore;
}

ScoreTable ScoreTable::FromRows(const std::vector<ScoreRow>& rows) {
  std::vector<ScoreRow> sorted = rows;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const ScoreRow& a, const ScoreRow& b) { return a.value > b.value; });
  ScoreTable table;
  for (size_t i = 0; i < sorted.size() && i < table.rows_.size(); ++i) table.rows_[i] = sorted[i];
  return table;
}

int16_t ScoreTable::RankOf(float value) const {
  if (!IsStorableScore(value)) return kScoreRows + 1;
  int16_t rank = 1;
  for (const ScoreRow& row : rows_) {
    if (row.value >= value) ++rank;
  }
  return rank;
}

int16_t ScoreTable::Insert(float value, const std::string& name) {
  const int16_t rank = RankOf(value);
  if (rank > kScoreRows) return kScoreRows + 1;
  const size_t at = static_cast<size_t>(rank - 1);
  for (size_t i = rows_.size() - 1; i > at; --i) rows_[i] = std::move(rows_[i - 1]);
  rows_[at] = ScoreRow{value, CleanScoreName(name)};
  return rank;
}

namespace {

// Length of the UTF-8 sequence starting at `at`, or 0 when it is not a
// well-formed one (overlong forms, surrogates and values past U+10FFFF too).
size_t Utf8Length(const std::string& text, size_t at, uint32_t& codePoint) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  size_t length = 0;
  uint32_t lowest = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    lowest = 0x80;
    codePoint = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    lowest = 0x800;
    codePoint = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    lowest = 0x10000;
    codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (byte(at + i) & 0x3F);
  }
  if (codePoint < lowest || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
    return 0;
  }
  return length;
}

bool IsControl(uint32_t codePoint) {
  return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

}  // namespace

std::string CleanScoreName(const std::string& name) {
  std::string clean;
  size_t characters = 0;
  size_t at = 0;
  while (at < name.size() && characters < kMaxNameCharacters) {
    uint32_t codePoint = 0;
    const size_t length = Utf8Length(name, at, codePoint);
    if (length == 0) {
      clean += '?';
      at += 1;
    } else {
      if (IsControl(codePoint)) {
        clean += '?';
      } else {
        clean.append(name, at, length);
      }
      at += length;
    }
    ++characters;
  }
  return clean;
}
