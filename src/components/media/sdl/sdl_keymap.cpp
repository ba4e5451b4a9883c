#include "sdl_keymap.h"

#include <array>

#include "components/media/key_codes.h"

namespace {

struct KeyPair {
  SDL_Scancode sdl;
  int32_t game;
};

constexpr KeyPair kPairs[] = {
    {SDL_SCANCODE_ESCAPE, key::kEscape},
    {SDL_SCANCODE_1, key::k1},
    {SDL_SCANCODE_2, key::k2},
    {SDL_SCANCODE_3, key::k3},
    {SDL_SCANCODE_4, key::k4},
    {SDL_SCANCODE_5, key::k5},
    {SDL_SCANCODE_6, key::k6},
    {SDL_SCANCODE_7, key::k7},
    {SDL_SCANCODE_8, key::k8},
    {SDL_SCANCODE_9, key::k9},
    {SDL_SCANCODE_0, key::k0},
    {SDL_SCANCODE_MINUS, key::kMinus},
    {SDL_SCANCODE_EQUALS, key::kEquals},
    {SDL_SCANCODE_BACKSPACE, key::kBackspace},
    {SDL_SCANCODE_Q, key::kQ},
    {SDL_SCANCODE_W, key::kW},
    {SDL_SCANCODE_E, key::kE},
    {SDL_SCANCODE_R, key::kR},
    {SDL_SCANCODE_T, key::kT},
    {SDL_SCANCODE_Y, key::kY},
    {SDL_SCANCODE_U, key::kU},
    {SDL_SCANCODE_I, key::kI},
    {SDL_SCANCODE_O, key::kO},
    {SDL_SCANCODE_P, key::kP},
    {SDL_SCANCODE_RETURN, key::kReturn},
    {SDL_SCANCODE_KP_ENTER, key::kReturn},
    {SDL_SCANCODE_A, key::kA},
    {SDL_SCANCODE_S, key::kS},
    {SDL_SCANCODE_D, key::kD},
    {SDL_SCANCODE_F, key::kF},
    {SDL_SCANCODE_G, key::kG},
    {SDL_SCANCODE_H, key::kH},
    {SDL_SCANCODE_J, key::kJ},
    {SDL_SCANCODE_K, key::kK},
    {SDL_SCANCODE_L, key::kL},
    {SDL_SCANCODE_APOSTROPHE, key::kApostrophe},
    {SDL_SCANCODE_LSHIFT, key::kLeftShift},
    {SDL_SCANCODE_Z, key::kZ},
    {SDL_SCANCODE_X, key::kX},
    {SDL_SCANCODE_C, key::kC},
    {SDL_SCANCODE_V, key::kV},
    {SDL_SCANCODE_B, key::kB},
    {SDL_SCANCODE_N, key::kN},
    {SDL_SCANCODE_M, key::kM},
    {SDL_SCANCODE_PERIOD, key::kPeriod},
    {SDL_SCANCODE_KP_MULTIPLY, key::kKeypadStar},
    {SDL_SCANCODE_SPACE, key::kSpace},
    {SDL_SCANCODE_KP_PLUS, key::kKeypadPlus},
    {SDL_SCANCODE_KP_DIVIDE, key::kKeypadSlash},
    {SDL_SCANCODE_UP, key::kUp},
    {SDL_SCANCODE_LEFT, key::kLeft},
    {SDL_SCANCODE_RIGHT, key::kRight},
    {SDL_SCANCODE_DOWN, key::kDown},
};

std::array<int32_t, SDL_NUM_SCANCODES> BuildTable() {
  std::array<int32_t, SDL_NUM_SCANCODES> table;
  table.fill(-1);
  for (const KeyPair& pair : kPairs) table[pair.sdl] = pair.game;
  return table;
}

}  // namespace

int32_t GameKeyFromScancode(SDL_Scancode scancode) {
  static const std::array<int32_t, SDL_NUM_SCANCODES> kTable = BuildTable();
  const int index = static_cast<int>(scancode);
  if (index < 0 || index >= SDL_NUM_SCANCODES) return -1;
  return kTable[index];
}
