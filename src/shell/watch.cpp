#include "shell/watch.h"

#include <cstdio>

#include "core/game.h"
#include "core/step.h"
#include "core/trace.h"
#include "replay/replay_round.h"

namespace {

// How long the round's last frame stays once it is over: two seconds.
constexpr int64_t kLastFramePasses = 120;

}  // namespace

void WatchReplay(Game& g, const Replay& replay, const AppOptions& o,
                 const ScreenRoutines& screens) {
  MediaEngine& e = g.Engine;
  FlightExtras extras;
  extras.ReplayMark = true;
  g.Extras = &extras;
  ReplayDriver driver(g, replay, screens);
  g.Shell.Running = true;
  if (o.trace) std::fputs(TraceHeader().c_str(), o.trace);
  RunStep([&] { driver.Begin(); });
  // The pass the round began in, as the session's trace has it.
  if (o.trace)
    std::fputs(TraceRow(driver.Pass(),
                        replay.start == RoundStart::kMenu ? Screen::kMenu : Screen::kGame, g)
                   .c_str(),
               o.trace);
  int64_t pass = driver.Pass();
  int64_t after = 0;
  while (g.Shell.Running && !e.PlayerPressed()) {
    if (o.maxPasses > 0 && pass >= o.maxPasses) break;
    bool stepped = false;
    RunStep([&] { stepped = driver.Step(); });
    if (stepped) {
      pass = driver.Pass();
      if (o.trace) std::fputs(TraceRow(pass, Screen::kGame, g).c_str(), o.trace);
      continue;
    }
    if (++after > kLastFramePasses) break;
    ++pass;
    RunStep([&] {
      e.SetControlScreen(ControlScreen::kFlight);
      e.BeginPass(pass, nullptr);
    });
    RunStep([&] {
      if (screens.DrawScene) screens.DrawScene(g);
    });
  }
  g.Shell.Running = false;
  g.Extras = nullptr;
}
