#pragma once
#include <cmath>
#include <cstdint>

// The arithmetic the game's rules are written in.
namespace vb {

// Nearest whole number, halves to the even one (2.5 -> 2, 3.5 -> 4).
inline double Round(double v) { return std::nearbyint(v); }

// Largest whole number not above v (Int(-1.5) = -2).
inline double Int(double v) { return std::floor(v); }

// Whole-number division: both sides are first rounded to whole numbers
// (halves to even), then the quotient is truncated toward zero.
inline int32_t IntDiv(double a, double b) {
  const auto ia = static_cast<int64_t>(Round(a));
  const auto ib = static_cast<int64_t>(Round(b));
  return static_cast<int32_t>(ia / ib);
}

// Booleans the way the game stores them: True is all bits set.
constexpr int16_t kTrue = -1;
constexpr int16_t kFalse = 0;

}  // namespace vb

#include <stdexcept>
#include <string>

// An overflow or a division by zero in the game's arithmetic. Caught by the
// shell's step runner like a failing component operation.
class ArithmeticFault : public std::runtime_error {
 public:
  explicit ArithmeticFault(const std::string& what) : std::runtime_error(what) {}
};
