// The engine's own faded and tinted blend against SDL's blitter, on both
// frame formats it draws into (the headless ARGB surface, a window's XRGB).
#include <SDL.h>
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "components/media/sdl/sdl_blend.h"

namespace {

SDL_Surface* RandomSurface(int width, int height, uint32_t format, std::mt19937& rng) {
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, format);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) + y * surface->pitch);
    for (int x = 0; x < width; ++x) {
      // Runs of transparent and opaque pixels as well as anything between.
      const uint32_t kind = (rng() >> 3) % 4;
      const uint32_t alpha = kind == 0 ? 0 : kind == 1 ? 255 : rng() % 256;
      row[x] = (alpha << 24) | (rng() & 0xFFFFFFu);
    }
  }
  return surface;
}

TEST(SdlBlend, MatchesSdlsModulatedBlitOnBothFrameFormats) {
  std::mt19937 rng(5);
  for (uint32_t format : {SDL_PIXELFORMAT_ARGB8888, SDL_PIXELFORMAT_RGB888}) {
    for (int round = 0; round < 12; ++round) {
      const int width = 1 + static_cast<int>(rng() % 40), height = 1 + static_cast<int>(rng() % 9);
      SDL_Surface* source = RandomSurface(width, height, SDL_PIXELFORMAT_ARGB8888, rng);
      SDL_Surface* sdlFrame = RandomSurface(width, height, format, rng);
      SDL_Surface* ourFrame = SDL_ConvertSurfaceFormat(sdlFrame, format, 0);
      BlendModulation m;
      m.alpha = round % 3 == 0 ? 255 : rng() % 256;  // tinted only, faded only, or both
      const bool tinted = round % 3 != 1;
      m.red = tinted ? rng() % 256 : 255;
      m.green = tinted ? rng() % 256 : 255;
      m.blue = tinted ? rng() % 256 : 255;
      if ((m.red & m.green & m.blue & m.alpha) == 255) m.red = 254;

      SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_BLEND);
      SDL_SetSurfaceAlphaMod(source, static_cast<Uint8>(m.alpha));
      SDL_SetSurfaceColorMod(source, static_cast<Uint8>(m.red), static_cast<Uint8>(m.green),
                             static_cast<Uint8>(m.blue));
      ASSERT_EQ(SDL_BlitSurface(source, nullptr, sdlFrame, nullptr), 0) << SDL_GetError();
      BlendModulated(static_cast<const uint32_t*>(source->pixels), source->pitch / 4,
                     static_cast<uint32_t*>(ourFrame->pixels), ourFrame->pitch / 4, width, height, m,
                     format == SDL_PIXELFORMAT_ARGB8888);
      int differing = 0;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
          const auto at = [&](SDL_Surface* s) {
            return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch)[x];
          };
          differing += at(sdlFrame) != at(ourFrame);
        }
      EXPECT_EQ(differing, 0) << SDL_GetPixelFormatName(format) << " round " << round;
      SDL_FreeSurface(source);
      SDL_FreeSurface(sdlFrame);
      SDL_FreeSurface(ourFrame);
    }
  }
}

}  // namespace
