#pragma once
#include <array>
#include <cstdint>

#include "components/media/key_codes.h"

// A game pad's buttons as codes in the same set as the keys, above every
// scan code the game knows, so a pass's input (what a script holds and a
// recording writes) is one set. The rules never ask about these codes: the
// engine turns them into keys below the rules (see control_translator.h).
namespace pad {
constexpr int32_t kA = 232, kB = 233, kX = 234, kY = 235;
constexpr int32_t kStart = 236, kBack = 237;
constexpr int32_t kUp = 238, kDown = 239, kLeft = 240, kRight = 241;
constexpr int32_t kLeftShoulder = 242, kRightShoulder = 243;
constexpr int32_t kLeftTrigger = 244, kRightTrigger = 245;
// The left stick pushed past its dead zone, one code per direction.
constexpr int32_t kStickLeft = 246, kStickRight = 247, kStickUp = 248, kStickDown = 249;
constexpr int32_t kFirst = kA, kLast = kStickDown;
}  // namespace pad

struct PadEntry {
  int32_t code;
  const char* name;  // in input scripts
};

inline constexpr std::array<PadEntry, 18> kPadTable = {{
    {pad::kA, "pad_a"},
    {pad::kB, "pad_b"},
    {pad::kX, "pad_x"},
    {pad::kY, "pad_y"},
    {pad::kStart, "pad_start"},
    {pad::kBack, "pad_back"},
    {pad::kUp, "pad_up"},
    {pad::kDown, "pad_down"},
    {pad::kLeft, "pad_left"},
    {pad::kRight, "pad_right"},
    {pad::kLeftShoulder, "pad_lb"},
    {pad::kRightShoulder, "pad_rb"},
    {pad::kLeftTrigger, "pad_lt"},
    {pad::kRightTrigger, "pad_rt"},
    {pad::kStickLeft, "pad_lx-"},
    {pad::kStickRight, "pad_lx+"},
    {pad::kStickUp, "pad_ly-"},
    {pad::kStickDown, "pad_ly+"},
}};

constexpr bool IsPadCode(int32_t code) { return code >= pad::kFirst && code <= pad::kLast; }

// The pad's part of a set, and the keyboard's.
KeySet PadPart(const KeySet& input);
KeySet KeyboardPart(const KeySet& input);
