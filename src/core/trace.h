#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/screen.h"

struct Game;

// One CSV row per main-loop pass, so two runs can be compared byte for byte.
// Reals are written with %.9g (they read back to the same single), booleans
// as 0/1, the player's name as a quoted CSV field.
// Both end with a newline.
std::string TraceHeader();
// `screen` is the screen the pass dispatched on (a pass may switch screens
// for the next one), written by its name.
std::string TraceRow(int64_t pass, Screen screen, const Game& game);
// Quoting of one CSV field: wrapped in double quotes, inner quotes doubled.
std::string CsvQuote(const std::string& text);
