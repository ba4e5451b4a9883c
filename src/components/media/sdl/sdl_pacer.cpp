#include "sdl_pacer.h"

#include <thread>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace {
constexpr int kMaxFramesBehind = 2;
}

#ifdef __EMSCRIPTEN__
// Returns at the browser's next paint; meanwhile the page has its turn.
EM_ASYNC_JS(void, WaitForPaint, (),
            { await new Promise(function(resolve) { requestAnimationFrame(resolve); }); });
#endif

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
  // A page shows a frame at its next paint, whenever it was drawn: frames
  // woken by a timer fall on either side of a paint, so one paint gets two
  // and the next none. Each frame waits for a paint instead, and for one
  // more while its deadline is over half a period away (a screen faster
  // than the game); the deadlines still follow one another a period apart,
  // so the game keeps its speed. A frame already late only yields a turn,
  // as the page hears keys only in its own turns.
  if (Clock::now() >= deadline) {
    emscripten_sleep(0);
    return;
  }
  do {
    WaitForPaint();
  } while (deadline - Clock::now() > period_ / 2);
#else
  std::this_thread::sleep_until(deadline);
#endif
}
