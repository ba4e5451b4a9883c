#include "render/particles.h"

#include "core/game.h"
#include "core/singles.h"

namespace {

constexpr float kFlatHeight = 16;

void Sprite(Game& g, const ParticleRec& p, int16_t opacity, float cellX, bool flat) {
  g.Engine.DrawImage(g.Tex.TexParticles, Single(double(g.Round.ShakeOffset) + p.X), p.Y, 32, 32,
                     p.Angle, opacity, cellX, 0, flat ? 32 : 0, flat ? kFlatHeight : 0, -1, -1);
}

// How each kind looks: up to two sprites from the sheet's left (glow) or
// right (puff) cell, each drawn in its own tint if it names one. A tinted
// kind puts the draw colour back to white afterwards.
struct Layer {
  bool tinted;
  double red, green, blue;
  float cellX;
  bool flat;
};
struct Look {
  int count;
  Layer layers[2];
};
constexpr float kLeft = 0, kRight = 32;
constexpr Layer kPlain = {false, 0, 0, 0, 0, false};
const Look kLooks[8] = {
    {1, {{false, 0, 0, 0, kLeft, false}, kPlain}},        // 0: untinted glow
    {0, {kPlain, kPlain}},                                // 1: moves and ages unseen
    {1, {{true, 60, 60, 60, kRight, false}, kPlain}},     // 2: dark smoke
    {1, {{true, 150, 150, 150, kRight, false}, kPlain}},  // 3: light smoke
    {1, {{true, 100, 100, 100, kRight, true}, kPlain}},   // 4: grey haze
    {2,
     {{true, 255, 248, 170, kLeft, false},                                      // 5: glow with
      {true, 157, 90, 14, kRight, true}}},                                      //    a brown puff
    {2, {{true, 255, 248, 170, kLeft, true}, {false, 0, 0, 0, kRight, true}}},  // 6: pale flame
    {1, {{true, 255, 248, 170, kRight, true}, kPlain}},                         // 7: pale puff
};

void Draw(Game& g, const ParticleRec& p, int16_t opacity) {
  if (p.Kind < 0 || p.Kind >= 8) return;  // unknown kinds move and age unseen
  const Look& look = kLooks[p.Kind];
  bool tinted = false;
  for (int i = 0; i < look.count; ++i) {
    const Layer& layer = look.layers[i];
    if (layer.tinted) g.Engine.SetDrawColor(layer.red, layer.green, layer.blue);
    tinted = tinted || layer.tinted;
    Sprite(g, p, opacity, layer.cellX, layer.flat);
  }
  if (tinted) g.Engine.SetDrawColor(255, 255, 255);
}

}  // namespace

void ParticleEffects(Game& g, bool spawn, int16_t kind, float x, float y, float moveX, float moveY,
                     float spin, float life, bool fade) {
  auto& particles = g.Round.Particles;
  if (spawn) {
    // Particles are only born inside the visible band.
    if (y <= 0 || y >= 500) return;
    for (ParticleRec& p : particles) {
      if (p.Life > 0) continue;
      p.Life = RoundToInt16(life);
      p.Kind = kind;
      p.X = x;
      p.Y = y;
      p.Angle = Single(double(g.Rnd.Next()) * 360);
      p.MoveX = moveX;
      p.MoveY = moveY;
      p.Spin = spin;
      p.Fade = fade;
      return;
    }
    return;  // the pool is full: the particle is lost
  }
  for (ParticleRec& p : particles) {
    if (p.Life <= 0) continue;
    const int16_t opacity = (p.Fade && p.Life < 50) ? p.Life : int16_t{50};
    p.X = Single(double(p.X) + p.MoveX);
    p.Y = Single(double(p.Y) + p.MoveY);
    p.Angle = Single(double(p.Angle) + p.Spin);
    p.Life = static_cast<int16_t>(p.Life - 1);
    // Drawn even on the frame its life runs out; the entry is free from the next.
    Draw(g, p, opacity);
  }
}
