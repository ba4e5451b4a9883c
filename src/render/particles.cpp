#include "render/particles.h"

#include "core/game.h"
#include "core/singles.h"

namespace {

constexpr float kFlatHeight = 16;

void Sprite(Game& g, const ParticleRec& p, int16_t opacity, float cellX, bool flat) {
  g.Engine.DrawImage(g.Tex.TexParticles, Single(double(g.Round.ShakeOffset) + p.X), p.Y, 32, 32,
                     p.Angle, opacity, cellX, 0, flat ? 32 : 0, flat ? kFlatHeight : 0, -1, -1);
}

void Draw(Game& g, const ParticleRec& p, int16_t opacity) {
  MediaEngine& e = g.Engine;
  constexpr float kLeft = 0, kRight = 32;
  switch (p.Kind) {
    case 0:  // untinted glow
      Sprite(g, p, opacity, kLeft, false);
      break;
    case 2:  // dark smoke
      e.SetDrawColor(60, 60, 60);
      Sprite(g, p, opacity, kRight, false);
      e.SetDrawColor(255, 255, 255);
      break;
    case 3:  // light smoke
      e.SetDrawColor(150, 150, 150);
      Sprite(g, p, opacity, kRight, false);
      e.SetDrawColor(255, 255, 255);
      break;
    case 4:  // grey haze
      e.SetDrawColor(100, 100, 100);
      Sprite(g, p, opacity, kRight, true);
      e.SetDrawColor(255, 255, 255);
      break;
    case 5:  // glow with a brown puff
      e.SetDrawColor(255, 248, 170);
      Sprite(g, p, opacity, kLeft, false);
      e.SetDrawColor(157, 90, 14);
      Sprite(g, p, opacity, kRight, true);
      e.SetDrawColor(255, 255, 255);
      break;
    case 6:  // pale flame
      e.SetDrawColor(255, 248, 170);
      Sprite(g, p, opacity, kLeft, true);
      Sprite(g, p, opacity, kRight, true);
      e.SetDrawColor(255, 255, 255);
      break;
    case 7:  // pale puff
      e.SetDrawColor(255, 248, 170);
      Sprite(g, p, opacity, kRight, true);
      e.SetDrawColor(255, 255, 255);
      break;
    default:  // kind 1 and unknown kinds move and age unseen
      break;
  }
}

}  // namespace

void ParticleEffects(Game& g, bool spawn, int16_t kind, float x, float y, float moveX,
                     float moveY, float spin, float life, bool fade) {
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
