#pragma once
#include <cstdint>
#include <memory>

#include "components/scores/score_board.h"
#include "core/game.h"
#include "replay/replay_file.h"
#include "shell/screens.h"

// Flies a replay's round on a game: sets the game up as the round found it,
// then plays its keys one main-loop pass at a time through the game's own
// routines, exactly as the passes ran when it was flown.
class ReplayDriver {
 public:
  ReplayDriver(Game& g, const Replay& replay, const ScreenRoutines& screens);

  // The shared values, the help rounds and the generator as the round found
  // them; then the pass before the round (its keys only) and the pass the
  // round began in.
  void Begin();
  // One more pass of the round; false, and nothing done, once the round is
  // over or the keys have run out.
  bool Step();

  // The game has left the flight: won (for the table) or lost.
  bool RoundOver() const;
  bool Won() const;
  // Nothing more will happen: the round is over or the keys have run out.
  bool Finished() const;
  // Passes played so far, counted as the file counts them (from 1).
  int64_t Pass() const { return pass_; }

 private:
  void Play(ControlScreen screen);

  Game& g_;
  const Replay& replay_;
  const ScreenRoutines& screens_;
  int64_t pass_ = 0;
};

// A replay's round on a game of its own that nobody sees or hears, with its
// own generator: it never touches another game's state or draws.
class ReplayRound {
 public:
  explicit ReplayRound(const Replay& replay);
  ~ReplayRound();
  ReplayRound(const ReplayRound&) = delete;
  ReplayRound& operator=(const ReplayRound&) = delete;

  void Begin() { driver_.Begin(); }
  bool Step() { return driver_.Step(); }
  bool RoundOver() const { return driver_.RoundOver(); }
  bool Won() const { return driver_.Won(); }
  bool Finished() const { return driver_.Finished(); }
  int64_t Pass() const { return driver_.Pass(); }
  const RoundState& Round() const { return game_->Round; }

 private:
  struct Parts;
  Replay replay_;
  std::unique_ptr<Parts> parts_;
  std::unique_ptr<Game> game_;
  ScreenRoutines screens_;
  ReplayDriver driver_;
};

// The table a replayed round asks for its rank when it wins: nobody's, so
// every win would enter it, and nothing is ever stored.
std::unique_ptr<ScoreBoard> NoScoreTable();

// What a check of a replay found: one line for the player.
struct ReplayVerdict {
  bool passed = false;
  std::string line;  // "won in 522 ticks", or what happened instead
};

// Flies the round at full speed and compares the win with the header's claim.
// A round still flying after this many passes (four and a half hours) is not
// checked any further.
constexpr int64_t kMaxVerifiedPasses = 1000000;
ReplayVerdict VerifyReplay(const Replay& replay);
