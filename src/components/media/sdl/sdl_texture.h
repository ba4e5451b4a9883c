#pragma once
#include <SDL.h>

#include <bitset>
#include <cstdint>
#include <string>

#include "components/media/media_engine.h"

// A picture on the GPU (or in the software renderer). The game may keep its
// handle past the engine's shutdown, so the engine can take the SDL texture
// away early (Release) and this object then only remembers its name.
class SdlTexture final : public TextureObject {
 public:
  SdlTexture(const void* owner, SDL_Texture* texture, int width, int height, std::string name,
             const std::bitset<256>& glyphs, const SDL_Rect& visibleBox);
  ~SdlTexture() override;
  SdlTexture(const SdlTexture&) = delete;
  SdlTexture& operator=(const SdlTexture&) = delete;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  const std::string& Name() const override { return name_; }

  // Null once released.
  SDL_Texture* Handle() const { return texture_; }
  // The engine that made it: a handle from another engine is refused.
  const void* Owner() const { return owner_; }
  // Font cells that hold a glyph (see FindGlyphCells).
  const std::bitset<256>& Glyphs() const { return glyphs_; }
  // The smallest rectangle holding every pixel that is not fully
  // transparent (w = 0 when there is none).
  const SDL_Rect& VisibleBox() const { return visibleBox_; }
  // The texture's own pixels, ARGB8888, when the renderer keeps them in
  // memory we may read (the software renderer); null otherwise.
  const uint32_t* Pixels() const { return texture_ ? pixels_ : nullptr; }
  int PitchPixels() const { return pitchPixels_; }
  void SetPixels(const uint32_t* pixels, int pitchPixels) {
    pixels_ = pixels;
    pitchPixels_ = pitchPixels;
  }
  // Destroys the SDL texture now, before its renderer goes away.
  void Release();

 private:
  const void* owner_;
  SDL_Texture* texture_;
  int width_;
  int height_;
  std::string name_;
  std::bitset<256> glyphs_;
  SDL_Rect visibleBox_;
  const uint32_t* pixels_ = nullptr;
  int pitchPixels_ = 0;
};
