#pragma once
#include <cstddef>
#include <cstdint>

// A fingerprint of a frame's pixels (FNV-1a, 64-bit, one step per pixel):
// two runs that drew the same frame print the same number, so a replay's
// pictures can be checked as closely as its state without keeping PNGs.
inline uint64_t FrameHash(const uint32_t* pixels, size_t count) {
  uint64_t hash = 14695981039346656037ull;
  for (size_t i = 0; i < count; ++i) {
    hash ^= pixels[i];
    hash *= 1099511628211ull;
  }
  return hash;
}
