#pragma once
// The winning autopilot of the golden replays (tests/golden/make_golden.cpp),
// reduced to the one mission the soak needs: all three pads, then the climb
// until the data is sent. It reads the round between passes and picks the
// keys of the next pass; it flies only while the game screen shows.
#include <optional>
#include <vector>

#include "components/media/key_codes.h"

struct Game;

struct PilotPlan {
  double openMargin = 1.2;  // canopy opens when the braking distance times this fills the drop
  double openSpeed = 99;    // ... or as soon as the fall is this fast
  double cutSpeed = 2.5;    // the canopy is cut once the fall has slowed to this
  double brake = 0.04;      // deceleration the powered descent plans with
  double hopFuel = 18;      // fuel to leave a pad for the next one
  double climbFuel = 48;    // fuel to leave the last pad for the sending height
  double climbTo = 118;     // height held while the data is sent (m)
  double sideSpeed = 4;     // fastest sideways speed between pads (px/frame)
  double cruise = 20;       // height above the ground between pads (px)
  double sideBrake = 0.1;   // sideways deceleration planned when nearing a pad
};

class Autopilot {
 public:
  Autopilot(const Game& game, PilotPlan plan) : g_(game), plan_(plan) {}

  // The keys for the next pass of the round in flight.
  KeySet Fly();

 private:
  bool CanopyTime() const;
  KeySet Powered();
  bool Stay();
  bool Standing() const;
  bool OnPad(int i) const;
  int NextPad();
  double TargetX();
  double LandingSpeed() const;
  double SpeedToward(double y) const;
  bool Steer(KeySet& keys, double x) const;
  int32_t Alternate();

  const Game& g_;
  PilotPlan plan_;
  bool flip_ = false;
  std::vector<int> order_;
  std::optional<float> holdX_;
};
