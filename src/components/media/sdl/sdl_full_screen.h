#pragma once
#include <SDL.h>

// Full screen as the desktop does it: the window covers its display and the
// frame is scaled into it. Where a window manager takes care of that, SDL's
// desktop full screen is used. Where nothing does (an X server with no
// window manager, a kiosk), SDL would believe the window had grown while it
// stays as it was, and the frame would be cut off at its top-left corner;
// there the window is made borderless and moved and sized by hand.
class FullScreenSwitch {
 public:
  explicit FullScreenSwitch(SDL_Window* window) : window_(window) {}

  // Returns whether the window is full screen afterwards.
  bool Set(bool on);
  bool On() const { return on_; }

 private:
  SDL_Window* window_;
  bool on_ = false;
  bool byHand_ = false;
  SDL_Rect windowed_{0, 0, 0, 0};  // where the window was before going full screen by hand
};

// Whether a window manager that can make windows full screen looks after
// this window's display (always assumed away from X11).
bool WindowManagerRunsFullScreen(SDL_Window* window);
