// Every picture the game loads, plus the icon, comes out of the generator
// with the size the screens draw it at, and reads through the engine's own
// decoders. The font is checked against the way the text drawing uses it.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "components/media/compositor/compositor.h"
#include "core/game.h"
#include "menu/menu.h"
#include "sdl_picture.h"
#include "testkit/quiet_engine.h"

namespace {

namespace fs = std::filesystem;

fs::path FilesFolder() { return fs::path(KESTREVAN_BINARY).parent_path() / "files"; }

// Decodes a generated picture the way the game does. Throws PictureError.
Picture Decode(const std::string& name) {
  return DecodePicture((FilesFolder() / name).string(), 0);
}

struct PictureSize {
  const char* name;
  int width;
  int height;
};

// The load table's 25 pictures and the window icon.
constexpr PictureSize kPictures[] = {
    {"logo.jpg", 640, 480},         {"font_default.bmp", 512, 512}, {"font_default.dds", 512, 512},
    {"land.dds", 1025, 64},         {"land2.dds", 1025, 64},        {"lander.dds", 256, 64},
    {"lander_broke.dds", 64, 64},   {"parachute.dds", 128, 180},    {"shade.dds", 88, 46},
    {"lights.dds", 32, 134},        {"stars.dds", 640, 480},        {"cloud.dds", 512, 128},
    {"particles.png", 64, 32},      {"status.dds", 32, 360},        {"landing.dds", 64, 8},
    {"signal_line.dds", 640, 50},   {"main_menu.jpg", 640, 480},    {"b_newgame.dds", 512, 512},
    {"b_highscores.dds", 512, 512}, {"b_exit.dds", 512, 512},       {"entername.jpg", 640, 480},
    {"menu_hs.jpg", 640, 480},      {"keys.dds", 256, 256},         {"hints.dds", 256, 256},
    {"back_sky.dds", 640, 480},     {"icon.png", 256, 256},
};

TEST(AssetPictures, EveryPictureDecodesAtItsSize) {
  for (const PictureSize& expected : kPictures) {
    SCOPED_TRACE(expected.name);
    Picture picture;
    EXPECT_NO_THROW(picture = Decode(expected.name));
    EXPECT_EQ(picture.width, expected.width);
    EXPECT_EQ(picture.height, expected.height);
  }
}

constexpr int kCell = 32;
constexpr int kAdvance = 20;  // the text drawing's step between letters at scale 1

bool Inked(uint32_t argb) { return (argb >> 24) != 0; }

// The visible pixels of one cell: all of them, or those right of the advance.
int InkOfCell(const Picture& sheet, int code, int fromColumn = 0) {
  int ink = 0;
  const int left = (code % 16) * kCell, top = (code / 16) * kCell;
  for (int y = top; y < top + kCell; ++y)
    for (int x = left + fromColumn; x < left + kCell; ++x) ink += Inked(sheet.At(x, y));
  return ink;
}

TEST(AssetPictures, FontHasEveryPrintableGlyphInsideItsAdvance) {
  const Picture sheet = Decode("font_default.dds");
  ASSERT_EQ(sheet.width, 16 * kCell);
  ASSERT_EQ(sheet.height, 16 * kCell);
  EXPECT_EQ(InkOfCell(sheet, ' '), 0) << "the space must draw nothing";
  for (int code = 33; code <= 126; ++code) {
    EXPECT_GT(InkOfCell(sheet, code), 0) << char(code);
    EXPECT_EQ(InkOfCell(sheet, code, kAdvance), 0) << char(code) << " overlaps the next letter";
  }
  // The ink is a light neutral grey or white: the game tints it by
  // multiplying, so any colour or darkness here would shift every text.
  int offWhite = 0;
  for (uint32_t p : sheet.argb) {
    const uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    if ((p >> 24) == 0xFF && (r != g || g != b || r < 200)) ++offWhite;
  }
  EXPECT_EQ(offWhite, 0);
}

// A dark ring keeps tinted texts readable on bright sand. The HUD draws at
// 1/2 and so shows every other texel: beside and below the ink the ring must
// be 2 texels wide to show at all; above the letters 1 (the score rows sit
// too close for more).
TEST(AssetPictures, FontLettersAreRingedInDark) {
  const Picture sheet = Decode("font_default.dds");
  struct Step {
    int dx, dy;
  };
  constexpr Step kSteps[] = {{-1, 0}, {-2, 0}, {1, 0}, {2, 0}, {0, 1}, {0, 2}, {0, -1}};
  for (int code = 33; code <= 126; ++code) {
    const int left = (code % 16) * kCell, top = (code / 16) * kCell;
    int gaps = 0;
    for (int y = top; y < top + kCell; ++y)
      for (int x = left; x < left + kCell; ++x) {
        if ((sheet.At(x, y) >> 24) != 0xFF) continue;
        for (const Step s : kSteps) {
          const int u = x + s.dx, v = y + s.dy;
          if (u < left || u >= left + kCell || v < top || v >= top + kCell) {
            ++gaps;  // the ring would leave the cell
            continue;
          }
          const uint32_t p = sheet.At(u, v);
          const bool ink = (p >> 24) == 0xFF, dark = (p >> 24) >= 200 && (p & 0xE0E0E0) == 0;
          gaps += !ink && !dark;
        }
      }
    EXPECT_EQ(gaps, 0) << char(code);
  }
}

TEST(AssetPictures, BitmapFontHoldsTheSameGlyphsOnMagenta) {
  const Picture sheet = Decode("font_default.dds");
  const Picture bitmap = Decode("font_default.bmp");
  ASSERT_EQ(bitmap.width, sheet.width);
  ASSERT_EQ(bitmap.height, sheet.height);
  int mismatches = 0;
  for (int y = 0; y < sheet.height; ++y)
    for (int x = 0; x < sheet.width; ++x)
      mismatches += ((bitmap.At(x, y) & 0xFFFFFF) == 0xFF00FF) == Inked(sheet.At(x, y));
  EXPECT_EQ(mismatches, 0) << "pixels where the two fonts disagree on ink";
}

// The title picture fades out over the menu's first 19 frames, drawn over
// the drifting menu picture: at frame 10, both at half strength, the two
// titles must be one.
TEST(AssetPictures, LogoTitleLiesOnTheMenuTitleHalfwayThroughTheFade) {
  QuietEngine engine(QuietEngine::kRecording);
  Random random{1};
  Game g{engine, nullptr, random};
  g.Shell.FrameCount = 10;
  DrawDriftingBackground(g, g.Tex.TexMainMenu);
  std::istringstream args(engine.CallsOf("DrawImage").at(0).args);
  std::vector<float> n;  // the draw's numbers, after the picture's name
  for (std::string item; std::getline(args, item, ',');)
    if (item != "<none>") n.push_back(std::stof(item));
  ASSERT_EQ(n.size(), 12u);
  const ImageDraw draw{n[0], n[1], n[2], n[3], n[4],  int32_t(n[5]),
                       n[6], n[7], n[8], n[9], n[10], n[11]};
  Compositor menu(640, 480);
  menu.BeginFrame(0, 0, 0);
  menu.DrawImage(Decode("main_menu.jpg"), draw);
  const Picture logo = Decode("logo.jpg");
  // In the title's band the chrome letters are all that is bright.
  auto bright = [](uint32_t argb) { return ((argb >> 16) & 0xFF) > 200; };
  int both = 0, either = 0;
  for (int y = 40; y < 110; ++y)
    for (int x = 100; x < 540; ++x) {
      const bool m = bright(menu.Pixels()[y * 640 + x]), l = bright(logo.At(x, y));
      both += m && l;
      either += m || l;
    }
  EXPECT_GT(either, 5000) << "no title found";
  EXPECT_GT(both, either * 0.9) << "bright pixels of either title that the other lacks";
}

}  // namespace
