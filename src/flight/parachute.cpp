#include <cmath>

#include "components/media/key_codes.h"
#include "core/game.h"
#include "core/singles.h"
#include "core/sounds.h"
#include "flight/flight_sections.h"

void AutoDeploy(Game& g) {
  RoundState& r = g.Round;
  // Below 200 m the canopy opens by itself, as if the key had been pressed.
  if (r.Height < 200 && !r.ParachuteOpen && !r.ParachuteReleased) g.Keys.KeyParachute = true;
}

void ParachuteKey(Game& g) {
  RoundState& r = g.Round;
  // Below 20 m this acts on every frame: open on one, cut loose on the next.
  if (!(r.Height < 20 || g.Keys.KeyParachute)) return;
  if (r.ParachuteOpen) {
    r.ParachuteReleased = true;
    r.ParachuteOpen = false;
    StopSound(g.Engine, Sound::kParachute, false);
  } else if (!r.ParachuteReleased) {
    r.ParachuteOpen = true;
    PlaySound(g.Engine, Sound::kParachuteOpen, false, 100, 0, 0);
    PlaySound(g.Engine, Sound::kParachute, true, 83, 0, 0);
  }
}

void CanopyUnfolding(Game& g) {
  RoundState& r = g.Round;
  if (r.ParachuteUnfold <= 180 && r.ParachuteOpen) {
    if (r.ParachuteUnfold == 0) PlaySound(g.Engine, Sound::kParachuteOnWind, true, 100, 0, 0);
    r.ParachuteUnfold = r.ParachuteUnfold + 20;
  }
}

void LanderUnfolding(Game& g) {
  RoundState& r = g.Round;
  if (r.OpenProgress >= 100 && r.ParachuteReleased && !r.LanderOpened) {
    r.LanderOpened = true;
    // A key pressed on this very frame would otherwise miss its sound.
    if (g.Engine.KeyDown(key::kUp)) PlaySound(g.Engine, Sound::kThrustersUp, true, 95, 0, 4);
  }
}

void ParachuteHanging(Game& g) {
  RoundState& r = g.Round;
  if (r.ParachuteOpen && !r.ParachuteReleased) {
    r.ParachuteY = Single(double(r.LanderY) - 145);
    r.ParachuteX = Single(double(r.LanderX) - 32);
    if (r.SpeedY > 2) r.SpeedY = Single(double(r.SpeedY) - double(g.Shell.Gravity) * 3);
    r.ParachuteSwing = 0;
    if (r.SpeedY > 2) {
      const double quarter = double(r.SpeedY) / 4;
      r.ParachuteSwing = Single(double(g.Rnd.Next()) * quarter - quarter / 2);
    }
    r.ParachuteSwing = Single(double(r.ParachuteSwing) - double(r.SpeedX) * 4);
  } else if (r.ParachuteX > -200 && r.ParachuteReleased) {
    // The cut-loose canopy flutters away up and to the left.
    r.ParachuteSwing = Single(std::sin(double(g.Shell.FrameCount)));
    const double left = double(g.Rnd.Next()) * 5;
    r.ParachuteX = Single(double(r.ParachuteX) - left);
    const double up = double(g.Rnd.Next()) * 10;
    r.ParachuteY = Single(double(r.ParachuteY) - up);
    StopSound(g.Engine, Sound::kParachuteOnWind, false);
  }
}

void UnfoldingFrames(Game& g) {
  RoundState& r = g.Round;
  if (!r.LanderOpened) return;
  r.OpenFrameTimer = static_cast<int16_t>(r.OpenFrameTimer - 1);
  if (r.OpenFrameTimer <= 0) {
    r.OpenFrameTimer = 6;
    if (r.OpenFrame > 0) r.OpenFrame = static_cast<int16_t>(r.OpenFrame - 1);
  }
}
