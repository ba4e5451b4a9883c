#pragma once
#include <array>
#include <bitset>
#include <cstdint>
#include <string>

// The game speaks DirectInput keyboard scan codes; the backend maps its own
// key events onto these.
namespace key {
constexpr int32_t kEscape = 1;
constexpr int32_t k1 = 2, k2 = 3, k3 = 4, k4 = 5, k5 = 6, k6 = 7, k7 = 8, k8 = 9, k9 = 10, k0 = 11;
constexpr int32_t kMinus = 12;
constexpr int32_t kEquals = 13;
constexpr int32_t kBackspace = 14;
constexpr int32_t kQ = 16, kW = 17, kE = 18, kR = 19, kT = 20, kY = 21, kU = 22, kI = 23, kO = 24,
                  kP = 25;
constexpr int32_t kReturn = 28;
constexpr int32_t kA = 30, kS = 31, kD = 32, kF = 33, kG = 34, kH = 35, kJ = 36, kK = 37, kL = 38;
constexpr int32_t kApostrophe = 40;
constexpr int32_t kLeftShift = 42;
constexpr int32_t kZ = 44, kX = 45, kC = 46, kV = 47, kB = 48, kN = 49, kM = 50;
constexpr int32_t kPeriod = 52;
constexpr int32_t kKeypadStar = 55;
constexpr int32_t kSpace = 57;
constexpr int32_t kKeypadPlus = 78;
constexpr int32_t kKeypadSlash = 181;
constexpr int32_t kUp = 200;
constexpr int32_t kLeft = 203;
constexpr int32_t kRight = 205;
constexpr int32_t kDown = 208;
}  // namespace key

// One bit per scan code: the keys held in one main-loop pass.
using KeySet = std::bitset<256>;

struct KeyEntry {
  int32_t code;
  const char* name;  // in input scripts
  char typed;        // what it types on the name entry; 0 for none
};

// Every key the game asks about. The keys that type come first, in the order
// the name entry tests them (digits, signs, letters, space): keys pressed in
// the same pass land in the name in this order.
inline constexpr std::array<KeyEntry, 52> kKeyTable = {{
    {key::k0, "0", '0'},
    {key::k1, "1", '1'},
    {key::k2, "2", '2'},
    {key::k3, "3", '3'},
    {key::k4, "4", '4'},
    {key::k5, "5", '5'},
    {key::k6, "6", '6'},
    {key::k7, "7", '7'},
    {key::k8, "8", '8'},
    {key::k9, "9", '9'},
    {key::kKeypadPlus, "kp_plus", '+'},
    {key::kApostrophe, "apostrophe", '\''},
    {key::kKeypadSlash, "kp_slash", '/'},
    {key::kEquals, "equals", '='},
    {key::kMinus, "minus", '-'},
    {key::kKeypadStar, "kp_star", '*'},
    {key::kPeriod, "period", '.'},
    {key::kA, "a", 'A'},
    {key::kB, "b", 'B'},
    {key::kC, "c", 'C'},
    {key::kD, "d", 'D'},
    {key::kE, "e", 'E'},
    {key::kF, "f", 'F'},
    {key::kG, "g", 'G'},
    {key::kH, "h", 'H'},
    {key::kI, "i", 'I'},
    {key::kJ, "j", 'J'},
    {key::kK, "k", 'K'},
    {key::kL, "l", 'L'},
    {key::kM, "m", 'M'},
    {key::kN, "n", 'N'},
    {key::kO, "o", 'O'},
    {key::kP, "p", 'P'},
    {key::kQ, "q", 'Q'},
    {key::kR, "r", 'R'},
    {key::kS, "s", 'S'},
    {key::kT, "t", 'T'},
    {key::kU, "u", 'U'},
    {key::kV, "v", 'V'},
    {key::kW, "w", 'W'},
    {key::kX, "x", 'X'},
    {key::kY, "y", 'Y'},
    {key::kZ, "z", 'Z'},
    {key::kSpace, "space", ' '},
    {key::kEscape, "escape", 0},
    {key::kReturn, "return", 0},
    {key::kBackspace, "backspace", 0},
    {key::kUp, "up", 0},
    {key::kDown, "down", 0},
    {key::kLeft, "left", 0},
    {key::kRight, "right", 0},
    {key::kLeftShift, "lshift", 0},
}};

// Names used by input scripts ("escape", "left", "a", "kp_plus", ...), and
// the pad's ("pad_a", "pad_lx-", ...; see pad_codes.h).
// Returns -1 for an unknown name / an empty string for a code without a name.
int32_t KeyCodeFromName(const std::string& name);
std::string KeyNameFromCode(int32_t code);
