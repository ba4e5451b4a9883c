#include "replay/ghost_race.h"

#include <utility>

GhostRace::GhostRace(Replay replay) : replay_(std::move(replay)) {}
GhostRace::~GhostRace() = default;

void GhostRace::BeforePass(const Game& player) {
  helpBefore_ = player.Shell.HelpRoundsLeft;
  // The ghost's pass runs first, so the frame the player's pass draws shows
  // both crafts after the same number of passes of their rounds.
  if (round_ && player.Shell.GameState == Screen::kGame) {
    round_->Step();
    Update();
  }
}

void GhostRace::AfterPass(const Game& player) {
  // A round began in this pass (see RoundRecorder): the ghost starts over.
  if (player.Shell.HelpRoundsLeft == helpBefore_) return;
  round_ = std::make_unique<ReplayRound>(replay_);
  round_->Begin();
  Update();
}

void GhostRace::Update() {
  extras_.Ghost = &round_->Round();
  // A ghost whose keys ran out mid-flight is over too: it would hang there.
  extras_.GhostOver = round_->Finished();
  extras_.GhostWon = round_->Won();
  extras_.GhostTime = static_cast<int32_t>(round_->Round().FlightTime);
}
