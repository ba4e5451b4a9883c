#include "shell/assets.h"

#include <array>
#include <chrono>
#include <thread>

#include "components/media/key_codes.h"
#include "core/game.h"
#include "core/sounds.h"
#include "core/step.h"

namespace {

struct TextureFile {
  Texture Textures::*handle;
  const char* file;
  int32_t colorKey;
};

// Load order matters: a failure stops the loading routine, so everything
// after the failing file stays unloaded.
const std::array<TextureFile, 24> kTextures = {{
    {&Textures::TexFontBitmap, "files\\font_default.bmp", 0xFF00FF},
    {&Textures::TexFont, "files\\font_default.dds", 0},
    {&Textures::TexLand, "files\\land.dds", 0},
    {&Textures::TexLand2, "files\\land2.dds", 0},
    {&Textures::TexLander, "files\\lander.dds", 0},
    {&Textures::TexLanderBroke, "files\\lander_broke.dds", 0},
    {&Textures::TexParachute, "files\\parachute.dds", 0},
    {&Textures::TexShade, "files\\shade.dds", 0},
    {&Textures::TexLights, "files\\lights.dds", 0},
    {&Textures::TexStars, "files\\stars.dds", 0},
    {&Textures::TexCloud, "files\\cloud.dds", 0},
    {&Textures::TexParticles, "files\\particles.png", 0},
    {&Textures::TexStatus, "files\\status.dds", 0},
    {&Textures::TexLanding, "files\\landing.dds", 0},
    {&Textures::TexSignalLine, "files\\signal_line.dds", 0},
    {&Textures::TexMainMenu, "files\\main_menu.jpg", 0},
    {&Textures::TexButtonNewGame, "files\\b_newgame.dds", 0},
    {&Textures::TexButtonHighScores, "files\\b_highscores.dds", 0},
    {&Textures::TexButtonExit, "files\\b_exit.dds", 0},
    {&Textures::TexEnterName, "files\\entername.jpg", 0},
    {&Textures::TexMenuHs, "files\\menu_hs.jpg", 0},
    {&Textures::TexKeys, "files\\keys.dds", 0},
    {&Textures::TexHints, "files\\hints.dds", 0},
    {&Textures::TexBackSky, "files\\back_sky.dds", 0},
}};

}  // namespace

// Deliberate: every file loads on its own, so a missing or broken file costs
// that file alone (and is reported by name) instead of every file after it.
void LoadTexturesAndShowLogo(Game& g) {
  MediaEngine& e = g.Engine;
  RunStep([&] { g.Shell.LogoTick = e.Milliseconds(); });
  RunStep([&] { e.LoadTexture(g.Tex.TexLogo, "files\\logo.jpg", 0); });
  RunStep([&] { LoadSound(e, Sound::kLogo); });
  // No BeginFrame: the logo is the whole frame, and it stays up as the last
  // frame shown until the menu draws.
  RunStep([&] { e.DrawImage(g.Tex.TexLogo, 0, 0, 640, 480, 0, 100, 0, 0, 0, 0, -1, -1); });
  RunStep([&] { e.ProcessMessages(); });
  RunStep([&] { e.EndFrame(); });
  RunStep([&] { e.ProcessMessages(); });
  if (g.Shell.SoundOn) RunStep([&] { PlaySound(e, Sound::kLogo, false, 100, 0, 0); });
  for (const auto& t : kTextures)
    RunStep([&] { e.LoadTexture(g.Tex.*(t.handle), t.file, t.colorKey); });
}

void CreateGameFont(Game& g) { g.Engine.CreateFont("smalltext", "Verdana", 7, 0, 0); }

void LoadSoundsAndWaitForLogo(Game& g, bool waitForLogo) {
  MediaEngine& e = g.Engine;
  // The logo's sound is loaded already, with its picture.
  if (g.Shell.SoundOn)
    for (const SoundEntry& s : kSoundTable)
      if (s.id != Sound::kLogo) RunStep([&] { LoadSound(e, s.id); });
  if (!waitForLogo) return;
  for (;;) {
    // Unsigned difference: the counter may wrap during the wait.
    const auto elapsed =
        static_cast<uint32_t>(e.Milliseconds()) - static_cast<uint32_t>(g.Shell.LogoTick);
    if (elapsed > 1000) break;
    e.ProcessMessages();
    if (g.Shell.CloseBeforeLoop) break;
    if (e.KeyHeld(key::kEscape)) break;
    // Deliberate: the wait sleeps between polls instead of spinning a core.
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

void ReleaseTextures(Game& g) {
  g.Tex.TexLogo.reset();
  for (const auto& t : kTextures) (g.Tex.*(t.handle)).reset();
}
