#pragma once
// The autopilot of the golden replays and the soak. It reads the round
// between passes and picks the keys of the next pass; it flies only the
// round in flight (the game screen), the other screens are its caller's.
#include <cstdint>
#include <optional>
#include <vector>

#include "components/media/key_codes.h"

struct Game;

enum class Mission {
  kAlone,    // hands off: the craft falls and burns
  kLanding,  // the nearer end pad, a rest there, then Escape
  kWin,      // all three pads, then the climb until the data is sent
};

// The tunables of a flight; the golden generator and the soak try a few.
struct PilotPlan {
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

class Autopilot {
 public:
  Autopilot(const Game& game, Mission mission, PilotPlan plan)
      : g_(game), mission_(mission), plan_(plan) {}

  // The keys for the next pass of the round in flight. A tap key may come
  // in two passes running; the caller lets it go in between.
  KeySet Fly();

 private:
  bool CanopyTime() const;
  KeySet Powered();
  bool Stay(KeySet& keys);
  bool Standing() const;
  bool OnPad(int i) const;
  int NextPad();
  double TargetX();
  double LandingSpeed() const;
  double SpeedToward(double y) const;
  bool Steer(KeySet& keys, double x) const;
  int32_t Alternate();

  const Game& g_;
  Mission mission_;
  PilotPlan plan_;
  bool flip_ = false;
  int standing_ = 0;
  std::vector<int> order_;
  std::optional<float> holdX_;
};
