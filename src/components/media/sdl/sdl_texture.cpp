#include "sdl_texture.h"

#include <utility>

SdlTexture::SdlTexture(const void* owner, SDL_Texture* texture, int width, int height,
                       std::string name, const std::bitset<256>& glyphs,
                       const SDL_Rect& visibleBox)
    : owner_(owner),
      texture_(texture),
      width_(width),
      height_(height),
      name_(std::move(name)),
      glyphs_(glyphs),
      visibleBox_(visibleBox) {}

SdlTexture::~SdlTexture() { Release(); }

void SdlTexture::Release() {
  if (texture_) SDL_DestroyTexture(texture_);
  texture_ = nullptr;
}
