#include "render/craft.h"

#include <algorithm>

#include "core/game.h"
#include "core/singles.h"

namespace {

// Craft and canopy darken as they near the ground, out of the high sun.
float HeightGrey(const RoundState& r) {
  return Single(std::clamp((775 - double(r.Height)) * 150 / 775 + 105, 0.0, 255.0));
}

}  // namespace

void DrawCanopy(Game& g, const RoundState& r, WorldView view, int16_t opacity) {
  if (!((r.ParachuteOpen || r.ParachuteReleased) && r.ParachuteX > -200)) return;
  const double c = view.CameraY;
  const double u = r.ParachuteUnfold;
  const float grey = HeightGrey(r);
  g.Engine.SetDrawColor(grey, grey, grey);
  g.Engine.DrawImage(g.Tex.TexParachute, Single(double(r.ParachuteX) + view.Shake),
                     Single(double(r.ParachuteY) - c + (180 - u)), 128, 180, r.ParachuteSwing,
                     opacity, 0, 0, 128, Single(u), 64, 180);
  g.Engine.SetDrawColor(255, 255, 255);
}

void DrawCraft(Game& g, const RoundState& r, WorldView view, int16_t opacity) {
  const double c = view.CameraY;
  const double x = double(r.LanderX) + view.Shake;
  if (r.Health > 0) {
    // Until the camera first moves the craft keeps the grey of its starting
    // height. The round's own camera decides, so a ghost greys as it would
    // have when flown.
    const float grey =
        r.CameraY > 0 ? HeightGrey(r) : Single(std::clamp(105 - 13 * 150.0 / 775, 0.0, 255.0));
    g.Engine.SetDrawColor(grey, grey, grey);
    g.Engine.DrawImage(g.Tex.TexLander, Single(x), Single(double(r.LanderY) - c), 64, 64,
                       Single(double(r.SpeedX) * 10), opacity, Single(r.OpenFrame * 64.0), 0, 0, 0,
                       32, 25);
    g.Engine.SetDrawColor(255, 255, 255);
  } else {
    g.Engine.DrawImage(g.Tex.TexLanderBroke, Single(x), Single(double(r.LanderY) - c), 64, 64, 0,
                       opacity, 0, 0, 0, 0, 32, 25);
  }
}
