#include "testkit/autopilot.h"

#include <algorithm>
#include <cmath>

#include "core/game.h"

namespace {

// Where the craft stands on the ground (LanderY), and the pads' middles.
constexpr double kGroundY = 8075;
constexpr double kPadMiddle[3] = {80, 290, 495};
constexpr double kPadHalfWidth = 20;
// Net accelerations in px/frame² (down is positive).
constexpr double kGravity = 1.0 / 20;
constexpr double kCanopyBrake = 1.0 / 20 - 1.0 / 60 - 3.0 / 20;  // while faster than 2

}  // namespace

KeySet Autopilot::Fly() {
  const RoundState& r = g_.Round;
  KeySet keys;
  if (mission_ == Mission::kAlone) return keys;
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
    if (!Steer(keys, TargetX()) && r.SpeedY > 1.5) keys.set(static_cast<std::size_t>(Alternate()));
    return keys;
  }
  return Powered();
}

// The canopy opens once braking from this speed down to the cut speed, plus
// the unfolding and the powered descent after it, needs the drop left.
bool Autopilot::CanopyTime() const {
  const RoundState& r = g_.Round;
  const double v = r.SpeedY, cut = plan_.cutSpeed;
  const double canopy = v > cut ? (v * v - cut * cut) / (2 * -kCanopyBrake) : 0;
  const double after = 70 * (cut + 0.5) + (cut + 0.5) * (cut + 0.5) / (2 * plan_.brake) + 150;
  return r.SpeedY >= plan_.openSpeed || kGroundY - r.LanderY <= canopy * plan_.openMargin + after;
}

KeySet Autopilot::Powered() {
  const RoundState& r = g_.Round;
  KeySet keys;
  const int pad = NextPad();
  if (r.OnGround && Standing() && !Stay(keys)) return keys;
  double targetY = kGroundY - plan_.cruise;  // low between pads
  double targetX = TargetX();
  bool land = false;
  const bool sending = mission_ == Mission::kWin && r.DataCollected;
  if (sending) {
    targetY = 8150 - 10 * (6 + plan_.climbTo);  // above the 100 m the sending needs
    if (!holdX_) holdX_ = r.LanderX;
    targetX = *holdX_;
  } else if (pad >= 0) {
    land = std::fabs(targetX - r.LanderX) < 6 && std::fabs(r.SpeedX) < 0.3;
  }
  const bool sideUsed = Steer(keys, targetX);
  double want = land ? LandingSpeed() : SpeedToward(targetY);
  // Between pads the side thrusters lift a little too, so a low hop climbs
  // gently instead of sailing high over the next pad.
  if (!sending) want = std::max(want, -0.4);
  if (r.SpeedY > want) {
    keys.set(key::kUp);
    if (r.SpeedY > want + 0.15 && !sideUsed && !r.OnGround)
      keys.set(static_cast<std::size_t>(Alternate()));
  }
  return keys;
}

// Called while standing on a visited pad: true when it is time to leave.
bool Autopilot::Stay(KeySet& keys) {
  const RoundState& r = g_.Round;
  ++standing_;
  if (mission_ == Mission::kLanding) {
    if (standing_ >= plan_.standPasses) keys.set(key::kEscape);
    return false;
  }
  // The middle pad pumps twice as fast, so the craft fills up there for the
  // rest of the round and takes on elsewhere only what the next hop needs.
  const int next = NextPad();
  double need = plan_.climbFuel;
  if (next >= 0)
    need = OnPad(1) ? plan_.hopFuel * (next == 1 ? 2 : 1) + plan_.climbFuel : plan_.hopFuel;
  if (r.Fuel < std::min(need, 99.0) || std::fabs(r.SpeedX) > 0.05) return false;
  standing_ = 0;
  return true;
}

bool Autopilot::Standing() const {
  for (int i = 0; i < 3; ++i)
    if (OnPad(i) && g_.Round.PadVisited[static_cast<std::size_t>(i)]) return true;
  return false;
}

bool Autopilot::OnPad(int i) const {
  return std::fabs(g_.Round.LanderX - kPadMiddle[i]) < kPadHalfWidth;
}

// The pad still to visit: the nearer end pad first, then along the row.
int Autopilot::NextPad() {
  const RoundState& r = g_.Round;
  if (order_.empty()) {
    order_ = r.LanderX < kPadMiddle[1] ? std::vector<int>{0, 1, 2} : std::vector<int>{2, 1, 0};
    if (mission_ == Mission::kLanding) order_.resize(1);
  }
  for (int i : order_)
    if (!r.PadVisited[static_cast<std::size_t>(i)]) return i;
  return -1;
}

double Autopilot::TargetX() {
  const int pad = NextPad();
  if (pad >= 0) return kPadMiddle[pad];
  if (mission_ == Mission::kLanding) return kPadMiddle[order_.front()];
  return g_.Round.LanderX;
}

// The fall speed that still stops in time over the drop left to the ground.
double Autopilot::LandingSpeed() const {
  const double drop = std::max(0.0, kGroundY - g_.Round.LanderY - 2);
  return std::sqrt(0.2 * 0.2 + 2 * plan_.brake * drop);
}

// The vertical speed that brings the craft to rest at `y`: climbing it
// coasts up against gravity, sinking it brakes with the engines.
double Autopilot::SpeedToward(double y) const {
  const double error = y - g_.Round.LanderY;
  if (error >= 0) return std::min(4.0, std::sqrt(2 * plan_.brake * error));
  return -std::sqrt(2 * 0.8 * kGravity * -error);
}

// Side thrust toward `x`: true when a side key was chosen.
bool Autopilot::Steer(KeySet& keys, double x) const {
  const RoundState& r = g_.Round;
  if (r.OnGround || r.Fuel <= 0) return false;
  const double dx = x - r.LanderX;
  const double want =
      std::fabs(dx) < 1.5
          ? 0.0
          : std::copysign(std::min(plan_.sideSpeed, std::sqrt(2 * plan_.sideBrake * std::fabs(dx))),
                          dx);
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

int32_t Autopilot::Alternate() { return (flip_ = !flip_) ? key::kLeft : key::kRight; }
