#pragma once
#include <cstdint>

// A faded or tinted copy of ARGB8888 pixels onto a 32-bit frame, with the
// very arithmetic of SDL's own blitter for that case (integer division by
// 255, truncating; the source premultiplied after its modulation), so the
// frame comes out bit for bit as SDL would draw it, in a fraction of the
// time: fully transparent source pixels are skipped, and the loop is ours.
struct BlendModulation {
  uint32_t red = 255, green = 255, blue = 255, alpha = 255;
};

// `targetHasAlpha`: the frame is ARGB8888 (else XRGB8888, whose top byte
// SDL leaves 0 after a blend). Pitches are in pixels.
void BlendModulated(const uint32_t* source, int sourcePitch, uint32_t* target, int targetPitch,
                    int width, int height, const BlendModulation& modulation, bool targetHasAlpha);
