#include "sdl_full_screen.h"

#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11) && defined(KESTREVAN_X11)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

bool WindowManagerRunsFullScreen(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11) && defined(KESTREVAN_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return true;
  Display* display = info.info.x11.display;
  // A window manager that follows the desktop conventions names its own
  // window on the root; full screen is one of those conventions.
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                        XA_WINDOW, &type, &format, &items, &after, &data);
  const bool found = status == Success && type == XA_WINDOW && format == 32 && items == 1;
  if (data) XFree(data);
  return found;
#else
  (void)window;
  return true;
#endif
}

bool FullScreenSwitch::Set(bool on) {
  if (on == on_) return on_;
  if (on) {
    if (WindowManagerRunsFullScreen(window_)) {
      if (SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) return on_;
      byHand_ = false;
    } else {
      SDL_Rect bounds;
      const int display = SDL_GetWindowDisplayIndex(window_);
      if (display < 0 || SDL_GetDisplayBounds(display, &bounds) != 0) return on_;
      SDL_GetWindowPosition(window_, &windowed_.x, &windowed_.y);
      SDL_GetWindowSize(window_, &windowed_.w, &windowed_.h);
      SDL_SetWindowBordered(window_, SDL_FALSE);
      SDL_SetWindowPosition(window_, bounds.x, bounds.y);
      SDL_SetWindowSize(window_, bounds.w, bounds.h);
      SDL_RaiseWindow(window_);
      byHand_ = true;
    }
    on_ = true;
    return on_;
  }
  if (byHand_) {
    SDL_SetWindowBordered(window_, SDL_TRUE);
    SDL_SetWindowSize(window_, windowed_.w, windowed_.h);
    SDL_SetWindowPosition(window_, windowed_.x, windowed_.y);
  } else if (SDL_SetWindowFullscreen(window_, 0) != 0) {
    return on_;
  }
  byHand_ = false;
  on_ = false;
  return on_;
}
