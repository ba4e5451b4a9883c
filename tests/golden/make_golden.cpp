// make_golden: flies the golden replays with a simple autopilot and writes
// each as an input script (<name>.txt) and the trace of its replay (<name>.csv).
//
//   make_golden [output folder] [name ...]     names: alone, landing, win
//
// It tries a handful of autopilot settings per replay and keeps the best
// (the quickest win, the shortest landing that keeps its health); with
// GOLDEN_DUMP=file.csv set, each tried flight's trace is written there, for
// looking into a flight that fails.
//
// The autopilot reads the round between passes and picks the keys of the
// next pass, while the real main loop runs the real routines; the keys it
// held are recorded, and the recording is then replayed through Main from
// scratch. The files are written only if the replay's trace matches the
// live one byte for byte, so a script never depends on the autopilot.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "components/media/key_codes.h"
#include "golden/golden_replay.h"

namespace {

// Where the craft stands on the ground (LanderY), and the pads' middles.
constexpr double kGroundY = 8075;
constexpr double kPadMiddle[3] = {80, 290, 495};
constexpr double kPadHalfWidth = 20;
// Net accelerations in px/frame² (down is positive).
constexpr double kGravity = 1.0 / 20;
constexpr double kCanopyBrake = 1.0 / 20 - 1.0 / 60 - 3.0 / 20;  // while faster than 2
// Passes after the game screen is left, so the trace shows the next screen.
constexpr int kTailPasses = 30;

enum class Mission { kAlone, kLanding, kWin };

// The tunables of a flight; the search below tries a few.
struct Plan {
  double openMargin = 1.2;  // canopy opens when the braking distance times this fills the drop
  double openSpeed = 99;    // ... or as soon as the fall is this fast (less heat, more hanging)
  double cutSpeed = 2.5;    // the canopy is cut once the fall has slowed to this
  double cutDrop = 1e9;     // ... and the drop left is at most this (px)
  double brake = 0.04;      // deceleration the powered descent plans with
  double hopFuel = 18;      // fuel to leave a pad for the next one (win)
  double climbFuel = 48;    // fuel to leave the last pad for the sending height (win)
  double climbTo = 118;     // height held while the data is sent (m)
  double sideSpeed = 4;     // fastest sideways speed between pads (px/frame)
  double cruise = 20;       // height above the ground between pads (px)
  double sideBrake = 0.1;   // sideways deceleration planned when nearing a pad
  int standPasses = 150;    // passes to stand on the pad before giving up (landing)
};

KeySet Keys(std::initializer_list<int32_t> codes) {
  KeySet keys;
  for (int32_t code : codes) keys.set(static_cast<std::size_t>(code));
  return keys;
}

class Pilot {
 public:
  Pilot(Game& game, Mission mission, Plan plan) : g_(game), mission_(mission), plan_(plan) {}

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
    if (pass == 1) return Keys({key::kReturn});
    if (g_.Shell.GameState == Screen::kGame) {
      inRound_ = true;
      return mission_ == Mission::kAlone ? KeySet() : Fly();
    }
    if (inRound_ && ++tail_ >= kTailPasses) done_ = true;
    return {};
  }

  KeySet Fly() {
    const RoundState& r = g_.Round;
    KeySet keys;
    if (!r.ParachuteOpen && !r.ParachuteReleased) {
      if (CanopyTime()) keys.set(key::kSpace);
      Steer(keys, TargetX());
      return keys;
    }
    if (r.ParachuteOpen) {
      if ((r.SpeedY <= plan_.cutSpeed && kGroundY - r.LanderY <= plan_.cutDrop) || r.Height < 30)
        keys.set(key::kSpace);
      Steer(keys, TargetX());
      return keys;
    }
    if (!r.LanderOpened) {
      // Unfolding: no main engine yet, but a side burst lifts a little, so
      // alternating sides holds the fall almost steady.
      if (!Steer(keys, TargetX()) && r.SpeedY > 1.5) keys.set(Alternate());
      return keys;
    }
    return Powered();
  }

  // The canopy opens once braking from this speed down to the cut speed,
  // plus the unfolding and the powered descent after it, needs the drop left.
  bool CanopyTime() const {
    const RoundState& r = g_.Round;
    const double v = r.SpeedY, cut = plan_.cutSpeed;
    const double canopy = v > cut ? (v * v - cut * cut) / (2 * -kCanopyBrake) : 0;
    const double after = 70 * (cut + 0.5) + (cut + 0.5) * (cut + 0.5) / (2 * plan_.brake) + 150;
    return r.SpeedY >= plan_.openSpeed || kGroundY - r.LanderY <= canopy * plan_.openMargin + after;
  }

  KeySet Powered() {
    const RoundState& r = g_.Round;
    KeySet keys;
    const int pad = NextPad();
    if (r.OnGround && Standing()) {
      if (!Stay(keys)) return keys;
    }
    double targetY = kGroundY - plan_.cruise;  // low between pads
    double targetX = TargetX();
    bool land = false;
    if (mission_ == Mission::kWin && r.DataCollected) {
      targetY = 8150 - 10 * (6 + plan_.climbTo);  // above the 100 m the sending needs
      targetX = holdX_ ? *holdX_ : (holdX_ = r.LanderX, *holdX_);
    } else if (pad >= 0) {
      land = std::fabs(targetX - r.LanderX) < 6 && std::fabs(r.SpeedX) < 0.3;
    }
    const bool sideUsed = Steer(keys, targetX);
    double want = land ? LandingSpeed() : SpeedToward(targetY);
    // Between pads the side thrusters lift a little too, so a low hop climbs
    // gently instead of sailing high over the next pad.
    if (!r.DataCollected || mission_ != Mission::kWin) want = std::max(want, -0.4);
    if (r.SpeedY > want) {
      keys.set(key::kUp);
      if (r.SpeedY > want + 0.15 && !sideUsed && !r.OnGround) keys.set(Alternate());
    }
    return keys;
  }

  // Called while standing on a visited pad: true when it is time to leave.
  bool Stay(KeySet& keys) {
    const RoundState& r = g_.Round;
    ++standing_;
    if (mission_ == Mission::kLanding) {
      if (standing_ >= plan_.standPasses) keys.set(key::kEscape);
      return false;
    }
    // The middle pad pumps twice as fast, so the craft fills up there for
    // the rest of the round and takes on elsewhere only what the next hop needs.
    const int next = NextPad();
    double need = plan_.climbFuel;
    if (next >= 0) need = OnPad(1) ? plan_.hopFuel * (next == 1 ? 2 : 1) + plan_.climbFuel : plan_.hopFuel;
    if (r.Fuel < std::min(need, 99.0) || std::fabs(r.SpeedX) > 0.05) return false;
    standing_ = 0;
    return true;
  }

  bool Standing() const {
    for (int i = 0; i < 3; ++i)
      if (OnPad(i) && g_.Round.PadVisited[static_cast<std::size_t>(i)]) return true;
    return false;
  }

  bool OnPad(int i) const {
    return std::fabs(g_.Round.LanderX - kPadMiddle[i]) < kPadHalfWidth;
  }

  // The pad still to visit: the nearer end pad first, then along the row.
  int NextPad() {
    const RoundState& r = g_.Round;
    if (order_.empty()) {
      order_ = r.LanderX < kPadMiddle[1] ? std::vector<int>{0, 1, 2} : std::vector<int>{2, 1, 0};
      if (mission_ == Mission::kLanding) order_.resize(1);
    }
    for (int i : order_)
      if (!r.PadVisited[static_cast<std::size_t>(i)]) return i;
    return -1;
  }

  double TargetX() {
    const int pad = NextPad();
    if (pad >= 0) return kPadMiddle[pad];
    if (mission_ == Mission::kLanding) return kPadMiddle[order_.front()];
    return g_.Round.LanderX;
  }

  // The fall speed that still stops in time over the drop left to the ground.
  double LandingSpeed() const {
    const double drop = std::max(0.0, kGroundY - g_.Round.LanderY - 2);
    return std::sqrt(0.2 * 0.2 + 2 * plan_.brake * drop);
  }

  // The vertical speed that brings the craft to rest at `y`: climbing it
  // coasts up against gravity, sinking it brakes with the engines.
  double SpeedToward(double y) const {
    const double error = y - g_.Round.LanderY;
    if (error >= 0) return std::min(4.0, std::sqrt(2 * plan_.brake * error));
    return -std::sqrt(2 * 0.8 * kGravity * -error);
  }

  // Side thrust toward `x`: true when a side key was chosen.
  bool Steer(KeySet& keys, double x) {
    const RoundState& r = g_.Round;
    if (r.OnGround || r.Fuel <= 0) return false;
    const double dx = x - r.LanderX;
    const double want =
        std::fabs(dx) < 1.5 ? 0.0
                            : std::copysign(std::min(plan_.sideSpeed, std::sqrt(2 * plan_.sideBrake * std::fabs(dx))), dx);
    if (r.SpeedX < want - 0.08) {
      keys.set(key::kRight);
      return true;
    }
    if (r.SpeedX > want + 0.08) {
      keys.set(key::kLeft);
      return true;
    }
    return false;
  }

  int32_t Alternate() { return (flip_ = !flip_) ? key::kLeft : key::kRight; }

  Game& g_;
  Mission mission_;
  Plan plan_;
  KeySet previous_;
  bool inRound_ = false;
  bool done_ = false;
  bool flip_ = false;
  int tail_ = 0;
  int standing_ = 0;
  std::vector<int> order_;
  std::optional<float> holdX_;
};

struct Flight {
  std::string script;  // the recorded keys, in the script format
  std::string trace;
  std::string finalState;
  RoundState round;
  int64_t passes = 0;
};

constexpr int64_t kPassLimit = 30000;

Flight Fly(uint64_t seed, Mission mission, const Plan& plan) {
  golden::GoldenRun run(seed);
  Pilot pilot(run.game, mission, plan);
  int64_t passes = 0;
  run.engine.pilot = [&](int64_t pass) {
    passes = pass;
    const KeySet keys = pilot.Next(pass);
    if (pilot.Done() || pass >= kPassLimit) run.game.Shell.Running = false;
    return keys;
  };
  InputRecorder recorder(seed);
  run.options.recorder = &recorder;
  run.options.maxPasses = kPassLimit;
  Main(run.game, run.options);
  Flight f;
  f.script = recorder.Text();
  f.trace = run.trace.Text();
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
    case Mission::kAlone:
      return f.finalState == ScreenName(Screen::kMenu) && f.round.RoundLost;
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

std::vector<Plan> Candidates(Mission mission) {
  if (mission == Mission::kAlone) return {Plan{}};
  std::vector<Plan> plans;
  if (mission == Mission::kLanding) {
    // Less heat on the way down, more hanging under the canopy.
    for (double open : {20.0, 17.0, 14.0})
      for (double drop : {900.0, 500.0})
        for (double brake : {0.03, 0.045}) {
          Plan p;
          p.openSpeed = open;
          p.cutDrop = drop;
          p.brake = brake;
          plans.push_back(p);
        }
    return plans;
  }
  for (double margin : {1.05, 1.2})
    for (double climbTo : {104.0, 110.0})
      for (double brake : {0.035, 0.045})
        for (double hop : {14.0, 18.0})
          for (double climb : {40.0, 46.0}) {
            Plan p;
            p.openMargin = margin;
            p.climbTo = climbTo;
            p.brake = brake;
            p.hopFuel = hop;
            p.climbFuel = climb;
            plans.push_back(p);
          }
  return plans;
}

std::string Describe(const Plan& p, Mission mission) {
  char text[200];
  std::snprintf(text, sizeof text,
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

std::string Header(const std::string& name, Mission mission, const Plan& plan, const Flight& f) {
  std::string text = "# Golden replay '" + name + "', flown by tests/golden/make_golden.\n";
  switch (mission) {
    case Mission::kAlone:
      text += "# Return on new game, then hands off until the wreck has burnt out and the menu is back.\n";
      break;
    case Mission::kLanding:
      text += "# Return on new game, a powered descent onto one pad, a rest there, then Escape.\n";
      break;
    case Mission::kWin:
      text += "# Return on new game, all three pads, a climb above 100 m until the data is sent.\n";
      break;
  }
  if (mission != Mission::kAlone) text += "# Autopilot: " + Describe(plan, mission) + ".\n";
  char facts[160];
  std::snprintf(facts, sizeof facts, "# %lld passes; at the end: time %.0f, health %.2f, fuel %.2f.\n",
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
  Plan bestPlan;
  for (const Plan& plan : Candidates(mission)) {
    Flight f = Fly(seed, mission, plan);
    if (const char* dump = std::getenv("GOLDEN_DUMP")) WriteFile(dump, f.trace);
    const bool ok = Succeeded(mission, f);
    std::cerr << name << ": " << Describe(plan, mission) << ": " << (ok ? "ok" : "failed") << ", "
              << f.passes << " passes, time " << f.round.FlightTime << ", health " << f.round.Health
              << ", fuel " << f.round.Fuel << "\n";
    if (ok && (!best || Cost(mission, f) < Cost(mission, *best))) {
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
  if (golden::ReplayTrace(parsed) != best->trace) {
    std::cerr << "make_golden: " << name << ": the replay of the recorded keys differs from the flight\n";
    return false;
  }
  return WriteFile(folder + "/" + name + ".txt", script) &&
         WriteFile(folder + "/" + name + ".csv", best->trace);
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
