#pragma once

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

// The letter chords of the game screen (held together): a full tank for
// testers, and a repaired craft.
namespace chord {
constexpr int kRefuelA = 33;  // F
constexpr int kRefuelB = 38;  // L
constexpr int kRepairA = 35;  // H
constexpr int kRepairB = 25;  // P
}  // namespace chord
