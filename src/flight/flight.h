#pragma once
#include <cstdint>

#include "components/media/key_codes.h"

struct Game;

// The values start-up hands to every round and to the menu (thrust, gravity,
// the rounds that still show the help, the logo's fade), set once before the
// first menu. Anything that builds a game without the shell calls it too, so
// its rounds fly as the program's do.
void PresetSharedValues(Game& g);

// A round: set-up, the per-frame routines of the game screen in the order the
// main loop calls them, and the end of a round.
void NewRound(Game& g);
void GameKeys(Game& g);
void TimeStep(Game& g);
void ShakeStep(Game& g);
void FlightStep(Game& g);
void CrashStep(Game& g);
void RoundEnd(Game& g);

// The craft's unfolding after the canopy is cut (RoundState::OpenProgress)
// does not advance in FlightStep: DrawScene steps it while it draws the
// lights strip, and FlightStep's LanderUnfolding opens the craft once it is
// full, on the pass after.

// The letter chords of the game screen (held together): a full tank for
// testers, and a repaired craft.
namespace chord {
constexpr int32_t kRefuelA = key::kF;
constexpr int32_t kRefuelB = key::kL;
constexpr int32_t kRepairA = key::kH;
constexpr int32_t kRepairB = key::kP;
}  // namespace chord
