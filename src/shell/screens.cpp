#include "shell/screens.h"

#include "components/media/key_codes.h"
#include "core/game.h"

namespace {

// Interim menu screen until the real menu lands: shows the menu picture and
// lets Escape end the program, so the shell can be run and closed.
void InterimMenuKeys(Game& g) {
  if (g.Engine.KeyDown(key::kS)) g.Engine.HotkeyAction();
  if (g.Engine.KeyDown(key::kEscape)) g.Shell.Running = false;
  g.Engine.ReadKeys();
}

void InterimDrawMenu(Game& g) {
  g.Engine.BeginFrame(0, 0, 0);
  g.Engine.DrawImage(g.Tex.TexMainMenu, 0, 0, 640, 480, 0, 100, 0, 0, 0, 0, -1, -1);
  g.Engine.EndFrame();
}

}  // namespace

ScreenRoutines GameScreens() {
  ScreenRoutines s;
  s.MenuKeys = InterimMenuKeys;
  s.DrawMenu = InterimDrawMenu;
  return s;
}
