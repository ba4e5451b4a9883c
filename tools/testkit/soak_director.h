#pragma once
// The soak's player: seeded random keys that keep the game moving through
// every screen (menu, flights won by the autopilot, crashes, give-ups,
// restarts, name entry, the table) without ever leaving it. It reads the game
// between passes, so what it presses always fits the screen it is on.
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "components/media/key_codes.h"
#include "core/input_script.h"
#include "core/random.h"
#include "core/screen.h"
#include "testkit/autopilot.h"

struct Game;

// What the soak went through, counted from the screens the game showed.
struct SoakTally {
  std::map<Screen, int64_t> passesOn;  // passes spent on each screen
  int64_t rounds = 0;                  // rounds started (restarts included)
  int64_t piloted = 0;                 // rounds handed to the autopilot
  int64_t wins = 0;                    // rounds that sent their data
  int64_t crashes = 0;                 // rounds that ended with the craft destroyed
  int64_t givenUp = 0;                 // Escape in flight
  int64_t restarts = 0;                // Return in flight
  int64_t namesTyped = 0;              // name entries confirmed
  int64_t tablesFromMenu = 0;          // the table opened from the menu
};

class SoakDirector {
 public:
  // `opening`: keys replayed from pass 1 while the game is still in the menu
  // or its first flight (the golden win flies only from a fresh generator).
  SoakDirector(const Game& game, uint64_t seed, const InputScript* opening);

  // The keys of pass `pass`, about to begin.
  KeySet Next(int64_t pass);

  const SoakTally& Tally() const { return tally_; }

 private:
  struct Segment {
    KeySet keys;
    int64_t passes = 1;
  };
  enum class FlightMode { kPilot, kHandsOff, kRandom };

  void Notice(Screen screen);
  void PlanMenu();
  void ChooseButton(int16_t from, int16_t to);
  void PlanFlight();
  void PlanRandomFlight(int64_t passes);
  void PlanNameEntry();
  void PlanTable();
  KeySet FlightKeys();
  void EndFlight();

  void Hold(KeySet keys, int64_t passes);
  void Tap(int32_t code, int64_t releasePasses);
  void Idle(int64_t passes);
  int64_t Between(int64_t low, int64_t high);  // uniform in [low, high]
  bool Chance(int percent);

  const Game& g_;
  Random rng_;
  const InputScript* opening_;
  bool inOpening_ = true;
  std::deque<Segment> plan_;
  Screen screen_ = Screen::kNone;
  KeySet previous_;
  // The flight in progress.
  FlightMode mode_ = FlightMode::kHandsOff;
  std::unique_ptr<Autopilot> pilot_;
  int64_t flightPassesLeft_ = 0;  // then the flight's ending key
  int32_t endingKey_ = 0;         // escape, return or 0 (let the round end itself)
  bool startPressed_ = false;     // new game chosen; the menu fades out
  SoakTally tally_;
};
