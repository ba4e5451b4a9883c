// make_golden: flies the golden replays with the autopilot and writes each as
// an input script (<name>.txt), the trace of its replay (<name>.csv) and the
// digests of its clouds and particles (<name>.digest).
//
//   make_golden [output folder] [name ...]     names: alone, landing, win
//
// It tries a handful of autopilot settings per replay and keeps the best
// (the quickest win, the shortest landing that keeps its health).
//
// The autopilot reads the round between passes and picks the keys of the
// next pass, while the real main loop runs the real routines; the keys it
// held are recorded, and the recording is then replayed through Main from
// scratch. The files are written only if the replay's trace matches the
// live one (and its digests) byte for byte, so a script never depends on the
// autopilot.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "components/media/key_codes.h"
#include "testkit/autopilot.h"
#include "testkit/golden_replay.h"

namespace {

// Passes after the game screen is left, so the trace shows the next screen.
constexpr int kTailPasses = 30;

// The session around the autopilot: Return on "new game" at the first
// pass, the autopilot while the round is in flight, then a few passes of the
// screen that follows.
class Session {
 public:
  Session(const Game& game, Mission mission, const PilotPlan& plan)
      : g_(game), pilot_(game, mission, plan) {}

  bool Done() const { return done_; }

  KeySet Next(int64_t pass) {
    KeySet keys = Choose(pass);
    // A key must be let go for a pass before it can be pressed again.
    for (int32_t tap : {key::kSpace, key::kEscape, key::kReturn})
      if (keys.test(tap) && previous_.test(tap)) keys.reset(tap);
    previous_ = keys;
    return keys;
  }

 private:
  KeySet Choose(int64_t pass) {
    if (pass == 1) return KeySet().set(key::kReturn);
    if (g_.Shell.GameState == Screen::kGame) {
      inRound_ = true;
      return pilot_.Fly();
    }
    if (inRound_ && ++tail_ >= kTailPasses) done_ = true;
    return {};
  }

  const Game& g_;
  Autopilot pilot_;
  KeySet previous_;
  bool inRound_ = false;
  bool done_ = false;
  int tail_ = 0;
};

struct Flight {
  std::string script;  // the recorded keys, in the script format
  std::string trace;
  std::string digests;
  std::string finalState;
  RoundState round;
  int64_t passes = 0;
};

constexpr int64_t kPassLimit = 30000;

Flight Fly(uint64_t seed, Mission mission, const PilotPlan& plan) {
  golden::GoldenRun run(seed);
  Session session(run.game, mission, plan);
  int64_t passes = 0;
  run.engine.keysForPass = [&](int64_t pass) {
    passes = pass;
    const KeySet keys = session.Next(pass);
    if (session.Done() || pass >= kPassLimit) run.game.Shell.Running = false;
    return keys;
  };
  InputRecorder recorder(seed);
  run.options.recorder = &recorder;
  run.options.maxPasses = kPassLimit;
  run.Run();
  Flight f;
  f.script = recorder.Text();
  f.trace = run.trace.Text();
  f.digests = run.digests;
  // The screen of the last pass, as the trace has it (shutdown may still
  // store a waiting entry and move on).
  const std::size_t lastRow = f.trace.rfind('\n', f.trace.size() - 2) + 1;
  const std::size_t comma = f.trace.find(',', lastRow);
  f.finalState = f.trace.substr(comma + 1, f.trace.find(',', comma + 1) - comma - 1);
  f.round = run.game.Round;
  f.passes = passes;
  return f;
}

bool Succeeded(Mission mission, const Flight& f) {
  switch (mission) {
    case Mission::kAlone: return f.finalState == ScreenName(Screen::kMenu) && f.round.RoundLost;
    case Mission::kLanding:
      return f.finalState == ScreenName(Screen::kMenu) && f.round.Health > 65 && f.round.OnGround &&
             (f.round.PadVisited[0] || f.round.PadVisited[1] || f.round.PadVisited[2]);
    case Mission::kWin:
      return f.finalState == ScreenName(Screen::kNameEntry) && f.round.RoundFinished;
  }
  return false;
}

// Lower is better: the win wants the shortest time, the landing the fewest passes.
double Cost(Mission mission, const Flight& f) {
  return mission == Mission::kWin ? f.round.FlightTime : static_cast<double>(f.passes);
}

std::vector<PilotPlan> Candidates(Mission mission) {
  if (mission == Mission::kAlone) return {PilotPlan{}};
  std::vector<PilotPlan> plans;
  if (mission == Mission::kLanding) {
    // Less heat on the way down, more hanging under the canopy.
    for (double open : {20.0, 17.0, 14.0})
      for (double drop : {900.0, 500.0})
        for (double brake : {0.03, 0.045})
          plans.push_back({.openSpeed = open, .cutDrop = drop, .brake = brake});
    return plans;
  }
  for (double margin : {1.05, 1.2})
    for (double climbTo : {104.0, 110.0})
      for (double brake : {0.035, 0.045})
        for (double hop : {14.0, 18.0})
          for (double climb : {40.0, 46.0})
            plans.push_back({.openMargin = margin,
                             .brake = brake,
                             .hopFuel = hop,
                             .climbFuel = climb,
                             .climbTo = climbTo});
  return plans;
}

std::string Describe(const PilotPlan& p, Mission mission) {
  char text[200];
  std::snprintf(
      text, sizeof text,
      "canopy at %.0f px/frame or margin %.2f, cut at %.1f px/frame below %.0f px, braking %.3f",
      p.openSpeed, p.openMargin, p.cutSpeed, std::min(p.cutDrop, 9999.0), p.brake);
  std::string described = text;
  if (mission == Mission::kWin) {
    std::snprintf(text, sizeof text, ", fuel %.0f per hop and %.0f to climb to %.0f m", p.hopFuel,
                  p.climbFuel, p.climbTo);
    described += text;
  }
  return described;
}

std::string Header(const std::string& name, Mission mission, const PilotPlan& plan,
                   const Flight& f) {
  std::string text = "# Golden replay '" + name + "', flown by tests/golden/make_golden.\n";
  static const char* const kWhat[] = {
      "then hands off until the wreck has burnt out and the menu is back",
      "a powered descent onto one pad, a rest there, then Escape",
      "all three pads, a climb above 100 m until the data is sent"};
  text += std::string("# Return on new game, ") + kWhat[static_cast<int>(mission)] + ".\n";
  if (mission != Mission::kAlone) text += "# Autopilot: " + Describe(plan, mission) + ".\n";
  char facts[160];
  std::snprintf(facts, sizeof facts,
                "# %lld passes; at the end: time %.0f, health %.2f, fuel %.2f.\n",
                static_cast<long long>(f.passes), f.round.FlightTime, f.round.Health, f.round.Fuel);
  return text + facts;
}

bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (!out) {
    std::cerr << "make_golden: " << path << ": cannot write\n";
    return false;
  }
  return true;
}

bool Make(const std::string& folder, const std::string& name, Mission mission, uint64_t seed) {
  std::optional<Flight> best;
  PilotPlan bestPlan;
  for (const PilotPlan& plan : Candidates(mission)) {
    Flight f = Fly(seed, mission, plan);
    if (Succeeded(mission, f) && (!best || Cost(mission, f) < Cost(mission, *best))) {
      best = std::move(f);
      bestPlan = plan;
    }
  }
  if (!best) {
    std::cerr << "make_golden: " << name << ": no plan flew it\n";
    return false;
  }
  // The keys alone must fly the same flight.
  std::string script = best->script;
  const std::string marker = "# kestrevan input script\n";
  if (script.compare(0, marker.size(), marker) == 0) script.erase(0, marker.size());
  script = Header(name, mission, bestPlan, *best) + script;
  const InputScript parsed = ParseInputScript(script);
  const golden::Replayed replayed = golden::Replay(parsed);
  if (replayed.trace != best->trace || replayed.digests != best->digests) {
    std::cerr << "make_golden: " << name
              << ": the replay of the recorded keys differs from the flight\n";
    return false;
  }
  return WriteFile(folder + "/" + name + ".txt", script) &&
         WriteFile(folder + "/" + name + ".csv", replayed.trace) &&
         WriteFile(folder + "/" + name + ".digest", replayed.digests);
}

}  // namespace

int main(int argc, char** argv) {
#ifdef KESTREVAN_GOLDEN_DIR
  std::string folder = KESTREVAN_GOLDEN_DIR;
#else
  std::string folder = ".";
#endif
  std::vector<std::string> names;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "alone" || arg == "landing" || arg == "win")
      names.push_back(arg);
    else
      folder = arg;
  }
  if (names.empty()) names = {"alone", "landing", "win"};
  bool ok = true;
  for (const std::string& name : names) {
    const Mission mission =
        name == "alone" ? Mission::kAlone : (name == "landing" ? Mission::kLanding : Mission::kWin);
    ok = Make(folder, name, mission, golden::kDefaultSeed) && ok;
  }
  return ok ? 0 : 1;
}
