#pragma once
#include <memory>

#include "core/game.h"
#include "replay/replay_file.h"
#include "replay/replay_round.h"

// A replay flown beside the player's rounds, pass for pass: each round the
// player begins, the ghost begins its own again, on its own game and its own
// generator, so nothing the player sees, hears or records changes but the
// second craft drawn.
class GhostRace {
 public:
  explicit GhostRace(Replay replay);
  ~GhostRace();

  // Around each pass of the player's main loop.
  void BeforePass(const Game& player);
  void AfterPass(const Game& player);

  // What the flight draws of the ghost.
  const FlightExtras& Extras() const { return extras_; }

 private:
  void Update();

  Replay replay_;
  std::unique_ptr<ReplayRound> round_;
  int32_t helpBefore_ = 0;
  FlightExtras extras_;
};
