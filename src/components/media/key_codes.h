#pragma once
#include <bitset>
#include <cstdint>
#include <string>

// The game speaks DirectInput keyboard scan codes; the backend maps its own
// key events onto these.
namespace key {
constexpr int32_t kEscape = 1;
constexpr int32_t k1 = 2;  // main-row digits 1..9 are 2..10, 0 is 11
constexpr int32_t k0 = 11;
constexpr int32_t kMinus = 12;
constexpr int32_t kEquals = 13;
constexpr int32_t kBackspace = 14;
constexpr int32_t kQ = 16, kW = 17, kE = 18, kR = 19, kT = 20, kY = 21, kU = 22, kI = 23, kO = 24, kP = 25;
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

// Names used by input scripts ("escape", "left", "a", "kp_plus", ...).
// Returns -1 for an unknown name / an empty string for a code without a name.
int32_t KeyCodeFromName(const std::string& name);
std::string KeyNameFromCode(int32_t code);
