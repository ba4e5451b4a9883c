#include "sdl_gamepads.h"

#include <array>
#include <cstdlib>

#include "components/media/pad_axes.h"
#include "components/media/pad_codes.h"
#include "core/log.h"

namespace {

int32_t PadCodeOfButton(Uint8 button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_A: return pad::kA;
    case SDL_CONTROLLER_BUTTON_B: return pad::kB;
    case SDL_CONTROLLER_BUTTON_X: return pad::kX;
    case SDL_CONTROLLER_BUTTON_Y: return pad::kY;
    case SDL_CONTROLLER_BUTTON_START: return pad::kStart;
    case SDL_CONTROLLER_BUTTON_BACK: return pad::kBack;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return pad::kUp;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return pad::kDown;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return pad::kLeft;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return pad::kRight;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: return pad::kLeftShoulder;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: return pad::kRightShoulder;
    default: return -1;
  }
}

void Set(KeySet& set, int32_t code, bool on) { set.set(static_cast<std::size_t>(code), on); }
bool Has(const KeySet& set, int32_t code) { return set.test(static_cast<std::size_t>(code)); }

// An axis as the two pad codes of its directions (or one, for a trigger).
void UpdateAxis(KeySet& held, Uint8 axis, Sint16 value) {
  const int32_t v = value;
  switch (axis) {
    case SDL_CONTROLLER_AXIS_LEFTX:
      Set(held, pad::kStickLeft, AxisPressed(Has(held, pad::kStickLeft), -v, kStickOn, kStickOff));
      Set(held, pad::kStickRight, AxisPressed(Has(held, pad::kStickRight), v, kStickOn, kStickOff));
      break;
    case SDL_CONTROLLER_AXIS_LEFTY:
      Set(held, pad::kStickUp, AxisPressed(Has(held, pad::kStickUp), -v, kStickOn, kStickOff));
      Set(held, pad::kStickDown, AxisPressed(Has(held, pad::kStickDown), v, kStickOn, kStickOff));
      break;
    case SDL_CONTROLLER_AXIS_TRIGGERLEFT:
      Set(held, pad::kLeftTrigger,
          AxisPressed(Has(held, pad::kLeftTrigger), v, kTriggerOn, kTriggerOff));
      break;
    case SDL_CONTROLLER_AXIS_TRIGGERRIGHT:
      Set(held, pad::kRightTrigger,
          AxisPressed(Has(held, pad::kRightTrigger), v, kTriggerOn, kTriggerOff));
      break;
    default: break;
  }
}

}  // namespace

void SdlGamepads::AddMappings(const std::string& userMappingFile) {
  if (userMappingFile.empty()) return;
  SDL_RWops* file = SDL_RWFromFile(userMappingFile.c_str(), "rb");
  if (file == nullptr) return;  // no file of the player's: SDL's own mappings
  if (SDL_GameControllerAddMappingsFromRW(file, 1) < 0)
    LogOnce(userMappingFile + ": not read as controller mappings: " + SDL_GetError());
}

SdlGamepads::Pad* SdlGamepads::Find(SDL_JoystickID id) {
  for (Pad& p : pads_)
    if (p.id == id) return &p;
  return nullptr;
}

// While a script plays, only its own pad is heard.
SdlGamepads::Pad* SdlGamepads::Heard(SDL_JoystickID id, bool replaying) {
  Pad* p = Find(id);
  if (p != nullptr && replaying && SDL_GameControllerGetJoystick(p->controller) != scriptJoystick_)
    return nullptr;
  return p;
}

void SdlGamepads::Open(int deviceIndex) {
  SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
  if (controller == nullptr) {
    LogOnce(std::string("a game pad could not be opened: ") + SDL_GetError());
    return;
  }
  const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
  if (Find(id) != nullptr) {  // announced twice: keep the one we have
    SDL_GameControllerClose(controller);
    return;
  }
  pads_.push_back(Pad{controller, id, {}});
  if (deviceIndex == scriptDevice_) {
    scriptJoystick_ = SDL_GameControllerGetJoystick(controller);
    HoldOnScriptPad({});  // its triggers rest let go, not half way
  }
}

void SdlGamepads::ReleaseAll() {
  for (Pad& p : pads_) p.held.reset();
  published_.reset();
}

void SdlGamepads::Publish(ControlInput& input) {
  KeySet now;
  for (const Pad& p : pads_) now |= p.held;
  for (int32_t code = pad::kFirst; code <= pad::kLast; ++code) {
    if (Has(now, code) && !Has(published_, code)) input.Press(code);
    if (!Has(now, code) && Has(published_, code)) input.Release(code);
  }
  published_ = now;
}

bool SdlGamepads::Handle(const SDL_Event& event, ControlInput& input, bool replaying) {
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED: Open(event.cdevice.which); return true;
    case SDL_CONTROLLERDEVICEREMOVED: {
      for (auto it = pads_.begin(); it != pads_.end(); ++it) {
        if (it->id != event.cdevice.which) continue;
        SDL_GameControllerClose(it->controller);
        pads_.erase(it);
        break;
      }
      Publish(input);  // what it held is let go
      return true;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      Pad* p = Heard(event.cbutton.which, replaying);
      const int32_t code = PadCodeOfButton(event.cbutton.button);
      if (p == nullptr || code < 0) return true;
      Set(p->held, code, event.type == SDL_CONTROLLERBUTTONDOWN);
      Publish(input);
      return true;
    }
    case SDL_CONTROLLERAXISMOTION: {
      Pad* p = Heard(event.caxis.which, replaying);
      if (p == nullptr) return true;
      UpdateAxis(p->held, event.caxis.axis, event.caxis.value);
      Publish(input);
      return true;
    }
    default: return false;
  }
}

void SdlGamepads::Rumble(float strength, int milliseconds) {
  const float s = strength < 0 ? 0.0f : strength > 1 ? 1.0f : strength;
  const auto level = static_cast<Uint16>(s * 65535.0f);
  // A pad that cannot shake says so, and that is no fault of the game's.
  for (const Pad& p : pads_)
    SDL_GameControllerRumble(p.controller, level, level, static_cast<Uint32>(milliseconds));
}

void SdlGamepads::CloseAll(ControlInput& input) {
  for (const Pad& p : pads_) SDL_GameControllerClose(p.controller);
  pads_.clear();
  Publish(input);
  if (scriptDevice_ >= 0) SDL_JoystickDetachVirtual(scriptDevice_);
  scriptDevice_ = -1;
  scriptJoystick_ = nullptr;
}

bool SdlGamepads::AttachScriptPad() {
  SDL_VirtualJoystickDesc desc;
  SDL_zero(desc);
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.name = "Kestrevan script pad";
  scriptDevice_ = SDL_JoystickAttachVirtualEx(&desc);
  if (scriptDevice_ < 0) {
    LogOnce(std::string("the script's pad cannot be attached: ") + SDL_GetError());
    return false;
  }
  return true;
}

void SdlGamepads::HoldOnScriptPad(const KeySet& input) {
  if (scriptJoystick_ == nullptr) return;
  static constexpr std::array<std::pair<int32_t, SDL_GameControllerButton>, 12> kButtons = {{
      {pad::kA, SDL_CONTROLLER_BUTTON_A},
      {pad::kB, SDL_CONTROLLER_BUTTON_B},
      {pad::kX, SDL_CONTROLLER_BUTTON_X},
      {pad::kY, SDL_CONTROLLER_BUTTON_Y},
      {pad::kStart, SDL_CONTROLLER_BUTTON_START},
      {pad::kBack, SDL_CONTROLLER_BUTTON_BACK},
      {pad::kUp, SDL_CONTROLLER_BUTTON_DPAD_UP},
      {pad::kDown, SDL_CONTROLLER_BUTTON_DPAD_DOWN},
      {pad::kLeft, SDL_CONTROLLER_BUTTON_DPAD_LEFT},
      {pad::kRight, SDL_CONTROLLER_BUTTON_DPAD_RIGHT},
      {pad::kLeftShoulder, SDL_CONTROLLER_BUTTON_LEFTSHOULDER},
      {pad::kRightShoulder, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER},
  }};
  for (const auto& [code, button] : kButtons)
    SDL_JoystickSetVirtualButton(scriptJoystick_, button, Has(input, code) ? 1 : 0);
  // Pushed fully, as the script's names say.
  auto axis = [&](int32_t minus, int32_t plus) -> Sint16 {
    return Has(input, minus) ? -32768 : Has(input, plus) ? 32767 : 0;
  };
  SDL_JoystickSetVirtualAxis(scriptJoystick_, SDL_CONTROLLER_AXIS_LEFTX,
                             axis(pad::kStickLeft, pad::kStickRight));
  SDL_JoystickSetVirtualAxis(scriptJoystick_, SDL_CONTROLLER_AXIS_LEFTY,
                             axis(pad::kStickUp, pad::kStickDown));
  // A trigger's whole travel is the axis's whole range.
  SDL_JoystickSetVirtualAxis(scriptJoystick_, SDL_CONTROLLER_AXIS_TRIGGERLEFT,
                             Has(input, pad::kLeftTrigger) ? 32767 : -32768);
  SDL_JoystickSetVirtualAxis(scriptJoystick_, SDL_CONTROLLER_AXIS_TRIGGERRIGHT,
                             Has(input, pad::kRightTrigger) ? 32767 : -32768);
}
