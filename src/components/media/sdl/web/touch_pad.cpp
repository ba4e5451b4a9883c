// The page's on-screen buttons (for touch screens) reach the game as a game
// pad of SDL's own: the pad already means the right thing on every screen,
// the name entry's letter picker included, so touching needs no rules of its
// own. The page calls kestrevan_touch for each button pressed or let go.
#include <SDL.h>
#include <emscripten.h>

namespace {

SDL_GameController* touchPad = nullptr;

// Attached at the first touch, so a page played with keys has no phantom
// pad. The engine hears it arrive and opens it as it would any pad.
bool Attach() {
  if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) == 0) return false;
  SDL_VirtualJoystickDesc desc;
  SDL_zero(desc);
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = 0;  // buttons only: no stick to rest, no trigger half way
  // Enough for any layout SDL maps it by: in a browser SDL gives every pad
  // the browser's standard layout, whose buttons go up to 16.
  desc.nbuttons = 32;
  desc.name = "Kestrevan touch buttons";
  const int device = SDL_JoystickAttachVirtualEx(&desc);
  if (device < 0) return false;
  touchPad = SDL_GameControllerOpen(device);
  if (touchPad == nullptr) SDL_JoystickDetachVirtual(device);
  return touchPad != nullptr;
}

}  // namespace

// `button` is an SDL_GameControllerButton. Returns 1 when passed on, 0 when
// it cannot be (the game has not started its pads, or has closed them), and
// 2 when the pad has only now been attached: the game opens it in its next
// frame, and a press passed before that would be lost, so the page passes
// it again then.
extern "C" EMSCRIPTEN_KEEPALIVE int kestrevan_touch(int button, int down) {
  if (touchPad != nullptr && !SDL_GameControllerGetAttached(touchPad)) {
    SDL_GameControllerClose(touchPad);
    touchPad = nullptr;
  }
  if (touchPad == nullptr) return Attach() ? 2 : 0;
  if (button < 0 || button >= SDL_CONTROLLER_BUTTON_MAX) return 0;
  // Pressed where the pad's mapping reads that button.
  const SDL_GameControllerButtonBind bind =
      SDL_GameControllerGetBindForButton(touchPad, static_cast<SDL_GameControllerButton>(button));
  if (bind.bindType != SDL_CONTROLLER_BINDTYPE_BUTTON) return 0;
  SDL_Joystick* joystick = SDL_GameControllerGetJoystick(touchPad);
  return SDL_JoystickSetVirtualButton(joystick, bind.value.button, down != 0 ? 1 : 0) == 0 ? 1 : 0;
}
