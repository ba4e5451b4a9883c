#include <cmath>
#include <cstdio>
#include <string>

#include "render/scene.h"

std::string ThreeDigits(double value) {
  const double whole = std::floor(value);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%03.0f", whole < 0 ? "-" : "", std::fabs(whole));
  return buf;
}

std::string SingleText(float value) {
  // Seven significant digits is what a single can name; beyond that the text
  // switches to an exponent, written with a capital E.
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(value));
  std::string s = buf;
  for (char& c : s)
    if (c == 'e') c = 'E';
  if (s == "-0") s = "0";
  return s;
}
