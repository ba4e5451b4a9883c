#pragma once
#include <SDL.h>

#include <string>
#include <vector>

#include "components/media/control_input.h"

// Every game pad SDL recognises, through its game-controller interface, as
// pad codes pressed and released on a ControlInput. Pads come and go at any
// time; one that goes releases what it held.
class SdlGamepads {
 public:
  // After SDL's game-controller system has started, before any event is
  // handled: SDL's own mappings plus the player's file, if there is one.
  static void AddMappings(const std::string& userMappingFile);
  // Takes pad events; false for any other event. While `replaying`, only
  // the script's own virtual pad is heard.
  bool Handle(const SDL_Event& event, ControlInput& input, bool replaying);
  void Rumble(float strength, int milliseconds);
  // Focus lost: a button let go meanwhile never reaches us, so nothing is
  // taken as held until the pad says so again. The input is released by the
  // caller.
  void ReleaseAll();
  void CloseAll(ControlInput& input);

  // A script's pad, attached inside SDL so a replay takes the same way as a
  // real pad. False (with the reason logged) when SDL cannot make one.
  bool AttachScriptPad();
  // Holds the script's pad codes on it; their events follow with the next
  // look at SDL's event queue.
  void HoldOnScriptPad(const KeySet& input);

 private:
  struct Pad {
    SDL_GameController* controller = nullptr;
    SDL_JoystickID id = -1;
    KeySet held;
  };
  Pad* Find(SDL_JoystickID id);
  Pad* Heard(SDL_JoystickID id, bool replaying);
  void Open(int deviceIndex);
  void Publish(ControlInput& input);

  std::vector<Pad> pads_;
  KeySet published_;  // the union of every pad's buttons, as the input has it
  int scriptDevice_ = -1;
  SDL_Joystick* scriptJoystick_ = nullptr;
};
