#pragma once
#include <cstdint>

#include "core/vb_math.h"

// The game keeps its reals as singles but works out each expression in
// double precision before storing it back.
template <class T>
inline float Single(T value) {
  return static_cast<float>(value);
}

// A whole number handed to a 32-bit parameter: rounded half to even.
inline int32_t RoundToInt32(double value) {
  const double r = vb::Round(value);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw ArithmeticFault("overflow");
  return static_cast<int32_t>(r);
}

// The same for a 16-bit parameter or variable.
inline int16_t RoundToInt16(double value) {
  const double r = vb::Round(value);
  if (!(r >= -32768.0 && r <= 32767.0)) throw ArithmeticFault("overflow");
  return static_cast<int16_t>(r);
}
