#include "replay/replay_round.h"

#include <string>

#include "components/media/silent_engine.h"
#include "components/scores/no_score_board.h"
#include "flight/flight.h"
#include "shell/app.h"

std::unique_ptr<ScoreBoard> NoScoreTable() { return std::make_unique<NoScoreBoard>(); }

ReplayDriver::ReplayDriver(Game& g, const Replay& replay, const ScreenRoutines& screens)
    : g_(g), replay_(replay), screens_(screens) {}

void ReplayDriver::Play(ControlScreen screen) {
  ++pass_;
  const KeySet keys = replay_.keys.KeysForPass(pass_);
  g_.Engine.SetControlScreen(screen);
  g_.Engine.BeginPass(pass_, &keys);
}

void ReplayDriver::Begin() {
  PresetSharedValues(g_);
  g_.Shell.HelpRoundsLeft = replay_.helpRoundsLeft;
  g_.Rnd.Restore(replay_.state);
  // A round begun from the menu began as the menu's fade ended, with nothing
  // of the round run in that pass; a restart began inside a flight pass,
  // whose keys end the old round and whose steps run on the new one.
  const ControlScreen screen =
      replay_.start == RoundStart::kMenu ? ControlScreen::kMenu : ControlScreen::kFlight;
  Play(screen);
  Play(screen);
  if (replay_.start == RoundStart::kMenu) {
    NewRound(g_);
    g_.Shell.GameState = Screen::kGame;
  } else {
    g_.Shell.GameState = Screen::kGame;
    MainLoopPass(g_, screens_);
  }
}

bool ReplayDriver::Finished() const { return RoundOver() || pass_ >= replay_.keys.TotalPasses(); }

bool ReplayDriver::Step() {
  if (Finished()) return false;
  Play(ControlScreen::kFlight);
  MainLoopPass(g_, screens_);
  return true;
}

bool ReplayDriver::RoundOver() const { return g_.Shell.GameState != Screen::kGame; }
bool ReplayDriver::Won() const { return RoundOver() && !g_.Round.RoundLost; }

struct ReplayRound::Parts {
  SilentEngine engine;
  Random random;
  NoScoreBoard scores;
};

ReplayRound::ReplayRound(const Replay& replay)
    : replay_(replay),
      parts_(std::make_unique<Parts>()),
      game_(std::make_unique<Game>(parts_->engine, &parts_->scores, parts_->random)),
      screens_(GameScreens()),
      driver_(*game_, replay_, screens_) {}

ReplayRound::~ReplayRound() = default;

ReplayVerdict VerifyReplay(const Replay& replay) {
  ReplayRound round(replay);
  round.Begin();
  // A file may hold a billion passes of keys that never end the round
  // (the refuelling cheat held while climbing): the check stops once the
  // claim can no longer come true, and at the latest after hours of flight,
  // as the clock stands still at its cap.
  while (round.Step()) {
    if (round.Round().FlightTime > static_cast<float>(replay.flightTime) ||
        round.Pass() >= kMaxVerifiedPasses)
      break;
  }
  const RoundState& r = round.Round();
  // Whole ticks: the clock only ever adds one.
  const std::string ticks = std::to_string(static_cast<int>(r.FlightTime));
  if (!round.Finished()) {
    if (r.FlightTime > static_cast<float>(replay.flightTime))
      return {false, "still flying at flight time " + ticks + ", past the " +
                         std::to_string(replay.flightTime) + " its header claims"};
    return {false,
            "still flying after " + std::to_string(round.Pass()) + " passes; not checked further"};
  }
  if (!round.RoundOver())
    return {false, "still flying when its keys ran out after " + std::to_string(round.Pass()) +
                       " passes (flight time " + ticks + ")"};
  if (!round.Won())
    return {false, std::string(r.ExplosionTime > 0 ? "crashed" : "gave up") + " at flight time " +
                       ticks + " (pass " + std::to_string(round.Pass()) + ")"};
  if (r.FlightTime != static_cast<float>(replay.flightTime))
    return {false, "won in " + ticks + " ticks, not the " + std::to_string(replay.flightTime) +
                       " its header claims"};
  return {true, "won in " + ticks + " ticks"};
}
