#include "replay/round_recorder.h"

namespace {

void AddPass(InputScript& script, const KeySet& keys) {
  if (!script.segments.empty() && script.segments.back().keys == keys) {
    ++script.segments.back().frames;
    return;
  }
  InputSegment segment;
  segment.frames = 1;
  segment.keys = keys;
  script.segments.push_back(segment);
}

}  // namespace

void RoundRecorder::BeforePass(const Game& g) {
  stateBefore_ = g.Rnd.State();
  helpBefore_ = g.Shell.HelpRoundsLeft;
}

void RoundRecorder::AfterPass(const Game& g, Screen screen, const KeySet& keys) {
  // Every new round counts down the help rounds, and nothing else touches
  // them once the game runs: a change means a round began in this pass.
  // Before it, the pass drew nothing from the generator (a restart ends the
  // old round first, which draws nothing either).
  if (g.Shell.HelpRoundsLeft != helpBefore_) {
    flying_.emplace();
    flying_->state = stateBefore_;
    flying_->helpRoundsLeft = helpBefore_;
    flying_->start = screen == Screen::kGame ? RoundStart::kRestart : RoundStart::kMenu;
    AddPass(flying_->keys, lastKeys_);
    AddPass(flying_->keys, keys);
  } else if (flying_ && screen == Screen::kGame) {
    AddPass(flying_->keys, keys);
  }
  if (flying_ && g.Shell.GameState != Screen::kGame) {
    if (!g.Round.RoundLost) {
      flying_->flightTime = static_cast<int32_t>(g.Round.FlightTime);
      won_ = std::move(flying_);
    }
    flying_.reset();
  }
  lastKeys_ = keys;
}

std::optional<Replay> RoundRecorder::TakeWon(int32_t flightTime) {
  if (!won_ || won_->flightTime != flightTime) return std::nullopt;
  std::optional<Replay> taken = std::move(won_);
  won_.reset();
  return taken;
}
