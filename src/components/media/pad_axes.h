#pragma once
#include <cstdint>

// When an analog axis counts as a pressed button. A stick rests a little off
// centre and wobbles around any threshold, so it is on past half its travel
// and off again only below 30 %: a held push never flickers. Triggers work
// the same way on their own half.
constexpr int32_t kStickOn = 16384;
constexpr int32_t kStickOff = 9830;
constexpr int32_t kTriggerOn = 16384;
constexpr int32_t kTriggerOff = 13107;

constexpr bool AxisPressed(bool wasOn, int32_t value, int32_t on, int32_t off) {
  return wasOn ? value > off : value >= on;
}
