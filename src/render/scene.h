#pragma once
#include <string>

struct Game;

// One whole frame of a flight: sky, landscape, canopy, craft, clouds, pads,
// data messages, particles and the status display.
void DrawScene(Game& g);

// Number texts of the status display.
// Int(v) with at least three digits: 90 -> "090", -1 -> "-001".
std::string ThreeDigits(double value);
// A single as the shortest text that names it: 805, 0, -1, 1E+07.
std::string SingleText(float value);
