#include "sdl_pacer.h"

#include <thread>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace {
constexpr int kMaxFramesBehind = 2;
}

FramePacer::FramePacer(int fps) {
  if (fps > 0) {
    period_ = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / fps));
  }
}

FramePacer::Clock::time_point FramePacer::NextDeadline(Clock::time_point now) {
  if (!anchored_) {
    // The first frame (the logo) goes up at once: nothing came before it
    // that it must keep a period away from.
    anchored_ = true;
    deadline_ = now;
    return deadline_;
  }
  deadline_ += period_;
  if (now - deadline_ > kMaxFramesBehind * period_) deadline_ = now;
  return deadline_;
}

void FramePacer::Wait() {
  if (period_ == Clock::duration::zero()) return;
  const Clock::time_point deadline = NextDeadline(Clock::now());
#ifdef __EMSCRIPTEN__
  // The page only paints and hears keys while the game gives the browser its
  // turn, so even a late frame yields (a zero sleep still waits for the
  // browser's next task). Whole milliseconds: waking a fraction early is
  // absorbed by the next deadline, which follows this one, not the wake.
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  emscripten_sleep(static_cast<unsigned>(left > 0 ? left : 0));
#else
  std::this_thread::sleep_until(deadline);
#endif
}
