#pragma once
#include <cstdint>

// The one random source of the game (PCG32). Every draw of every routine
// comes from it in rule order, so a seed plus an input script replays a
// flight exactly.
class Random {
 public:
  explicit Random(uint64_t seed = 0) { Seed(seed); }

  void Seed(uint64_t seed) {
    state_ = 0;
    Next32();
    state_ += seed;
    Next32();
  }

  // Uniform in [0, 1), single precision, 24 random bits.
  float Next() { return static_cast<float>(Next32() >> 8) * (1.0f / 16777216.0f); }

  // The whole of the generator: what a replay of one round needs to take the
  // stream up exactly where the round took it.
  uint64_t State() const { return state_; }
  void Restore(uint64_t state) { state_ = state; }

  uint32_t Next32() {
    const uint64_t old = state_;
    state_ = old * 6364136223846793005ULL + kIncrement;
    const auto xorshifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rot = static_cast<uint32_t>(old >> 59u);
    return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
  }

 private:
  static constexpr uint64_t kIncrement = 1442695040888963407ULL;
  uint64_t state_ = 0;
};
