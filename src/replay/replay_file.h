#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

#include "core/input_script.h"

// A replay is one won round as an input script: a few header lines that set
// the game up as the round found it, then the keys of each pass.
//
//   # Kestrevan 1.05 replay            (comments: who, when, how long; for people,
//   # name: ANN                         except "name:", which ties the file to
//   # flight time: 522                  its entry in the score table)
//   # date: 2026-12-08 10:15:03 UTC
//   rules 1                           the rules version the round was flown under
//   round 5851f42d4c957f2d 2 menu     the generator's whole state when the round
//                                     began, the help rounds left before it, and
//                                     how it began: from the menu or by a restart
//   time 522                          the flight time the round won in
//   1 -                               pass 1: the pass before the round's (its keys
//   34 up                             make the next pass's presses and releases);
//   ...                               pass 2: the pass the round began in
//
// The generator's state is stored rather than the session's seed: a round
// that began after an hour of play is restarted without that hour.

// Bumped whenever a change of the rules would fly the same keys differently.
constexpr int kRulesVersion = 1;

enum class RoundStart { kMenu, kRestart };

struct Replay {
  int rules = kRulesVersion;
  uint64_t state = 0;
  int32_t helpRoundsLeft = 0;
  RoundStart start = RoundStart::kMenu;
  int32_t flightTime = 0;  // what the header claims
  // From the comments; only `name` has a use beyond being read by people.
  std::string name;
  std::string date;
  std::string version;
  InputScript keys;
};

class ReplayError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws ReplayError with the line and the reason. A file of another rules
// version is refused before anything after its `rules` line is read, as a
// later format may differ.
Replay ParseReplay(const std::string& text);
// The same on a file; the message names it.
Replay LoadReplay(const std::string& path);

// The file's text. `name`, `date` and `version` go into the comments.
std::string ReplayText(const Replay& replay);

// Whether a script's text is a replay rather than a session script (has a
// `rules` line), so the two are never mistaken for each other.
bool LooksLikeReplay(const std::string& text);
