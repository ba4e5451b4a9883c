#pragma once
#include <cstdint>

struct Game;

// With spawn true: places one particle in the first free entry (if its y is
// inside the band and an entry is free). With spawn false: moves, ages and
// draws every live particle; the other arguments are then unused.
void ParticleEffects(Game& g, bool spawn, int16_t kind, float x, float y, float moveX, float moveY,
                     float spin, float life, bool fade);

// The flight's shorthand for a placement.
inline void Spawn(Game& g, int16_t kind, double x, double y, double moveX, double moveY,
                  double spin, double life) {
  ParticleEffects(g, true, kind, static_cast<float>(x), static_cast<float>(y),
                  static_cast<float>(moveX), static_cast<float>(moveY), static_cast<float>(spin),
                  static_cast<float>(life), true);
}
