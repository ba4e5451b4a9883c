#pragma once
#include <chrono>

// Holds the game to a steady frame rate by sleeping, never by spinning. The
// game's rules advance one step per frame, so a steady tick is what keeps the
// lander falling at the speed it always did.
class FramePacer {
 public:
  using Clock = std::chrono::steady_clock;

  explicit FramePacer(int fps);

  // The moment the frame that ends at `now` should wait for: `now` itself for
  // the very first frame, then one period after another. Deadlines follow
  // each other one period apart so small oversleeps do not add up; a run that
  // fell more than a couple of frames behind (a dragged window, a debugger)
  // starts afresh instead of racing through the missed frames.
  Clock::time_point NextDeadline(Clock::time_point now);
  // Sleeps until the next deadline (does nothing when fps was 0).
  void Wait();

 private:
  Clock::duration period_{};
  Clock::time_point deadline_{};
  bool anchored_ = false;
};
