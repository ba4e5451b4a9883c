#include "menu/menu.h"

#include <cmath>

#include "components/media/key_codes.h"
#include "core/game.h"
#include "core/singles.h"
#include "core/sounds.h"
#include "flight/flight.h"

void MenuKeys(Game& g) {
  MediaEngine& e = g.Engine;
  MenuState& m = g.Menu;
  if (e.KeyDown(key::kS)) e.HotkeyAction();
  // The first Escape moves to exit, the second one leaves.
  if (e.KeyDown(key::kEscape)) {
    if (m.MenuChoice == 2) {
      g.Shell.Running = false;
    } else {
      m.MenuChoice = 2;
      PlaySound(e, Sound::kMenuOption, false, 100, 0, 0);
    }
  }
  g.Keys.KeyMenuEnter = e.KeyDown(key::kReturn);
  g.Keys.KeyThrustUp = e.KeyDown(key::kUp);
  g.Keys.KeyMenuDown = e.KeyDown(key::kDown);
  e.ReadKeys();
}

namespace {

// Deliberate: a flight leaves StartFade at the level that started it (102)
// until the menu steps again, which drew the first menu frame after every
// flight and the whole score table after a win on black. The level fades the
// picture only while a start is actually pending; the value itself is left
// as it is, for the rules that read it.
double DrawnStartFade(const MenuState& m) { return m.StartPending ? double(m.StartFade) : 0.0; }

}  // namespace

void DrawDriftingBackground(Game& g, const Texture& picture) {
  const double f = g.Shell.FrameCount;
  // It drifts and swells a little, never showing its edges.
  const float x = Single(std::cos(f / 20) / 3 - 3 * std::sin(f / 30) - 10);
  const float y = Single(std::sin(f / 20) / 3 - 1.5 * std::cos(f / 30) - 10);
  const float width = Single(660 + 6 * std::sin(f / 30));
  const float height = Single(500 + 3 * std::cos(f / 30));
  g.Engine.DrawImage(picture, x, y, 640, 480, Single(std::cos(f / 20) / 5),
                     RoundToInt16(100.0 - DrawnStartFade(g.Menu)), 0, 0, width, height, -1, -1);
}

void DrawMenu(Game& g) {
  MediaEngine& e = g.Engine;
  MenuState& m = g.Menu;
  const double fade = DrawnStartFade(m);
  e.BeginFrame(0, 0, 0);
  DrawDriftingBackground(g, g.Tex.TexMainMenu);
  const Texture* buttons[3] = {&g.Tex.TexButtonNewGame, &g.Tex.TexButtonHighScores,
                               &g.Tex.TexButtonExit};
  for (int i = 0; i < 3; ++i) {
    const float x = Single(3 * std::sin(double(m.ButtonWobble[i])));
    if (i == m.MenuChoice) {
      e.DrawImage(*buttons[i], x, 0, 512, 512, 0, RoundToInt16(100.0 - fade), 0, 0, 0, 0, 256, 0);
    } else {
      const double dim = 60.0 - fade;
      e.DrawImage(*buttons[i], x, 0, 512, 512, 0, dim >= 0 ? RoundToInt16(dim) : int16_t{0}, 0, 0,
                  0, 0, -1, -1);
    }
  }
  // The title picture fades out over the first 20 menu frames. Changes
  // state: the fade steps as it is drawn, so it counts drawn menu frames.
  if (g.Shell.LogoFade > 0) g.Shell.LogoFade = static_cast<int16_t>(g.Shell.LogoFade - 5);
  e.DrawImage(g.Tex.TexLogo, 0, 0, 640, 480, 0, g.Shell.LogoFade, 0, 0, 0, 0, -1, -1);
  e.EndFrame();
}

void MenuStep(Game& g) {
  MediaEngine& e = g.Engine;
  MenuState& m = g.Menu;
  if (g.Keys.KeyMenuDown) {
    m.MenuChoice = static_cast<int16_t>(m.MenuChoice + 1);
    PlaySound(e, Sound::kMenuOption, false, 100, 0, 0);
  }
  if (g.Keys.KeyThrustUp) {
    m.MenuChoice = static_cast<int16_t>(m.MenuChoice - 1);
    PlaySound(e, Sound::kMenuOption, false, 100, 0, 0);
  }
  if (m.MenuChoice > 2) m.MenuChoice = 0;
  if (m.MenuChoice < 0) m.MenuChoice = 2;
  if (g.Keys.KeyMenuEnter) {
    switch (m.MenuChoice) {
      case 0:
        GameStartFade(g, true);
        PlaySound(e, Sound::kEnter, false, 100, 0, 0);
        break;
      case 1:
        g.Shell.GameState = Screen::kHighScores;
        PlaySound(e, Sound::kEnter, false, 100, 0, 0);
        break;
      case 2: g.Shell.Running = false; break;
      default: break;
    }
  }
  float& wobble = m.ButtonWobble[m.MenuChoice];
  wobble = Single(double(wobble) + 0.1);
  if (wobble > 35000) wobble = 0;
  GameStartFade(g, false);
}

void GameStartFade(Game& g, bool begin) {
  MenuState& m = g.Menu;
  if (begin) m.StartPending = true;
  m.StartFade = m.StartPending ? Single(double(m.StartFade) + 3) : 0.0f;
  SetSoundVolume(g.Engine, Sound::kMenu, RoundToInt32(100 - double(m.StartFade) / 6));
  if (m.StartFade >= 100 && m.StartPending) {
    NewRound(g);
    g.Shell.GameState = Screen::kGame;
    m.StartPending = false;
  }
}
