#include "shell/app.h"

#include <string>

#include "components/scores/score_board.h"
#include "core/game.h"
#include "core/input_script.h"
#include "core/log.h"
#include "core/sounds.h"
#include "core/trace.h"
#include "flight/flight.h"
#include "scores/scores.h"
#include "shell/assets.h"
#include "shell/score_start.h"
#include "shell/settings.h"
#include "core/step.h"
#include "replay/ghost_race.h"
#include "replay/round_recorder.h"
#include "shell/watch.h"

namespace {

// A setting is off only when it reads as False; anything that cannot be read
// as a boolean (a missing file included) counts as on.
bool SettingIsOn(const std::string& key, const AppOptions& o) {
  return ReadSwitch(o.settingsPath, key, true, o.verbose);
}

// What the pad and the remapped keys mean depends on the screen.
ControlScreen ControlScreenFor(Screen screen) {
  switch (screen) {
    case Screen::kGame: return ControlScreen::kFlight;
    case Screen::kHighScores: return ControlScreen::kTable;
    case Screen::kNameEntry: return ControlScreen::kNameEntry;
    default: return ControlScreen::kMenu;
  }
}

void Call(const Routine& routine, Game& g) {
  if (routine) routine(g);
}

void ShutdownSteps(Game& g) {
  RunStep([&] { ReleaseTextures(g); });
  RunStep([&] { g.Engine.Shutdown(); });
  // The engine itself belongs to the caller; the score store reference is
  // dropped here so nothing touches the table after the engine is gone.
  RunStep([&] { g.Scores = nullptr; });
  int16_t cancel = 0;
  RunStep([&] { Form_Unload(g, cancel); });
}

}  // namespace

void Form_Unload(Game& g, int16_t& cancel) {
  if (g.Shell.Running) {
    cancel = 1;
    g.Shell.Running = false;
  } else {
    // Deliberate: a close before the loop has started ends the program at
    // the next start-up step (nothing could stop the loop afterwards).
    g.Shell.CloseBeforeLoop = true;
  }
}

void ShakeOnImpact(Game& g, bool wasOnGround, bool wasExploding) {
  const RoundState& r = g.Round;
  if (r.ExplosionTime > 0 && !wasExploding) {
    g.Engine.Rumble(1.0f, 400);
  } else if (r.OnGround && !wasOnGround && r.Health > 0) {
    g.Engine.Rumble(0.35f, 120);
  }
}

Screen MainLoopPass(Game& g, const ScreenRoutines& s) {
  RunStep([&] { g.Shell.FrameCount += 1; });
  RunStep([&] {
    if (g.Shell.FrameCount >= 35000) g.Shell.FrameCount = 0;
  });
  // Read once: a routine that switches screens does not cut its pass short.
  const Screen screen = g.Shell.GameState;
  switch (screen) {
    case Screen::kGame:
      RunStep([&] { Call(s.GameKeys, g); });
      RunStep([&] { Call(s.TimeStep, g); });
      RunStep([&] { Call(s.ShakeStep, g); });
      RunStep([&] { Call(s.FlightStep, g); });
      if (RunCondition([&] { return !g.Round.RoundLost; })) RunStep([&] { Call(s.CrashStep, g); });
      RunStep([&] { Call(s.DrawScene, g); });
      break;
    case Screen::kMenu:
      RunStep([&] { Call(s.MenuKeys, g); });
      RunStep([&] { Call(s.DrawMenu, g); });
      RunStep([&] { Call(s.MenuStep, g); });
      break;
    case Screen::kNameEntry: RunStep([&] { Call(s.ShowNameEntry, g); }); break;
    case Screen::kHighScores: RunStep([&] { Call(s.ShowHighScores, g); }); break;
    case Screen::kNone: break;
  }
  return screen;
}

int Main(Game& g, const AppOptions& o, const ScreenRoutines& screens) {
  MediaEngine& e = g.Engine;
  e.SetCloseHandler([&g](int16_t& cancel) { Form_Unload(g, cancel); });
  auto closedEarly = [&] {
    if (!g.Shell.CloseBeforeLoop) return false;
    ShutdownSteps(g);
    return true;
  };

  // Sound.
  if (!o.mute)
    RunStep([&] {
      if (SettingIsOn("Sound_On", o)) g.Shell.SoundOn = true;
    });

  // The window.
  bool fullScreen = false;
  RunStep([&] { fullScreen = o.fullScreen ? *o.fullScreen : SettingIsOn("FULL_SCREEN", o); });
  try {
    e.Initialize(o.programFolder, 640.0f, 480.0f, fullScreen, 0, 0, true);
  } catch (const ComponentError& err) {
    // Deliberate: without a window no key and no close could ever end the
    // loop, so a failed start ends the program with the reason.
    LogLine(std::string("cannot start: ") + err.what());
    RunStep([&] { e.Shutdown(); });
    return 1;
  }
  if (closedEarly()) return 0;

  // The score store: restore the table from the package when it is missing.
  if (g.Scores) PrepareScoreStore(*g.Scores);

  // Assets while the logo shows.
  RunStep([&] { LoadTexturesAndShowLogo(g); });
  if (closedEarly()) return 0;
  RunStep([&] { CreateGameFont(g); });
  RunStep([&] { LoadSoundsAndWaitForLogo(g, o.waitForLogo); });
  if (closedEarly()) return 0;

  if (o.watch) {
    WatchReplay(g, *o.watch, o, screens);
    ShutdownSteps(g);
    return 0;
  }

  // The table.
  if (g.Scores) RunStep([&] { OpenScoreTable(*g.Scores); });
  // The ghost the table names, now that it is open.
  GhostRace* ghost = o.ghost;
  std::optional<GhostRace> tableGhost;
  if (!ghost && o.tableGhost)
    RunStep([&] {
      if (std::optional<Replay> replay = o.tableGhost()) ghost = &tableGhost.emplace(*replay);
    });

  // Shared values, then the menu and its music. Setting a value cannot
  // fail or be seen from outside, so all of them come first.
  RunStep([&] { PresetSharedValues(g); });
  RunStep([&] { g.Shell.GameState = Screen::kMenu; });
  RunStep([&] { PlaySound(e, Sound::kMenu, true, 100, 0, 0); });
  if (closedEarly()) return 0;

  // The loop.
  g.Shell.Running = true;
  int64_t pass = 0;
  KeySet scripted;
  if (o.trace) std::fputs(TraceHeader().c_str(), o.trace);
  if (ghost) g.Extras = &ghost->Extras();
  while (g.Shell.Running) {
    ++pass;
    if (o.rounds) o.rounds->BeforePass(g);
    if (ghost) ghost->BeforePass(g);
    RunStep([&] {
      if (o.script) scripted = o.script->KeysForPass(pass);
      e.SetControlScreen(ControlScreenFor(g.Shell.GameState));
      e.BeginPass(pass, o.script ? &scripted : nullptr);
    });
    if (o.recorder) RunStep([&] { o.recorder->AddPass(e.HeldKeys()); });
    const bool wasOnGround = g.Round.OnGround;
    const bool wasExploding = g.Round.ExplosionTime > 0;
    const Screen screen = MainLoopPass(g, screens);
    if (o.rounds) o.rounds->AfterPass(g, screen, e.HeldKeys());
    if (ghost) ghost->AfterPass(g);
    if (screen == Screen::kGame) RunStep([&] { ShakeOnImpact(g, wasOnGround, wasExploding); });
    if (o.trace) std::fputs(TraceRow(pass, screen, g).c_str(), o.trace);
    if (o.maxPasses > 0 && pass >= o.maxPasses) g.Shell.Running = false;
  }

  // Deliberate: a flight that won a place in the table is never lost to a
  // closed window; it is stored with the name typed so far.
  RunStep([&] { StoreWaitingEntry(g); });

  g.Extras = nullptr;
  ShutdownSteps(g);
  return 0;
}
