#pragma once
#include <optional>

#include "core/game.h"
#include "replay/replay_file.h"

// Watches the main loop and keeps the keys of the round being flown, from
// the pass before it began, with what the game was when it began; a round
// that is won is kept until its entry is stored. Only the round's own
// passes are kept, however long the session.
class RoundRecorder {
 public:
  // Before the pass: the game as the pass finds it.
  void BeforePass(const Game& g);
  // After the pass ran, with the screen it ran and the keys it was given.
  void AfterPass(const Game& g, Screen screen, const KeySet& keys);

  // The last round won, when its flight time is `flightTime`; it is handed
  // over once. Name, date and version are the caller's to fill in.
  std::optional<Replay> TakeWon(int32_t flightTime);
  bool HasWon() const { return won_.has_value(); }

 private:
  uint64_t stateBefore_ = 0;
  int32_t helpBefore_ = 0;
  KeySet lastKeys_;
  std::optional<Replay> flying_;
  std::optional<Replay> won_;
};
