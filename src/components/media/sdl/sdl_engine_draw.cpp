// Pictures and text: loading textures, DrawImage, DrawText, clearing.
#include <algorithm>
#include <cmath>

#include "components/component_error.h"
#include "components/media/path_resolve.h"
#include "sdl_draw_geometry.h"
#include "sdl_engine_impl.h"
#include "sdl_picture.h"

namespace {

uint8_t ColourByte(double value) {
  if (!(value > 0)) return 0;  // also NaN
  if (value >= 255) return 255;
  return static_cast<uint8_t>(std::lround(value));
}

uint8_t OpacityAlpha(int32_t opacity) {
  const int32_t clamped = std::clamp<int32_t>(opacity, 0, 100);
  return static_cast<uint8_t>(std::lround(clamped * 255.0 / 100.0));
}

constexpr int kGlyphAdvance = 20;  // a glyph cell is 32 wide but the letters sit 20 apart

}  // namespace

SdlTexture& SdlEngine::RequireTexture(const Texture& texture, const char* operation) const {
  RequireRunning(operation);
  if (!texture) throw ComponentError(operation, "no texture");
  auto* own = dynamic_cast<SdlTexture*>(texture.get());
  if (!own || own->Owner() != this) {
    throw ComponentError(operation, texture->Name() + ": texture belongs to another engine");
  }
  if (!own->Handle()) throw ComponentError(operation, own->Name() + ": texture was released");
  return *own;
}

void SdlEngine::ForgetReleasedTextures() {
  if (textures_.size() < pruneAt_) return;
  textures_.erase(std::remove_if(textures_.begin(), textures_.end(),
                                 [](const std::weak_ptr<SdlTexture>& t) { return t.expired(); }),
                  textures_.end());
  pruneAt_ = std::max<size_t>(64, textures_.size() * 2);
}

void SdlEngine::LoadTexture(Texture& out, const std::string& path, int32_t colorKey) {
  RequireRunning("LoadTexture");
  const std::string shownName = NormalizeSlashes(path);
  SurfacePtr surface;
  try {
    surface = DecodePictureFile(FilePath(path));
  } catch (const PictureError& error) {
    throw ComponentError("LoadTexture", shownName + ": " + error.what());
  }
  ApplyColorKey(surface.get(), colorKey);
  const std::bitset<256> glyphs = FindGlyphCells(surface.get());

  SDL_Texture* handle = SDL_CreateTextureFromSurface(renderer_, surface.get());
  if (!handle) {
    throw ComponentError(
        "LoadTexture", shownName + ": cannot make a texture (" + std::string(SDL_GetError()) + ")");
  }
  SDL_SetTextureBlendMode(handle, SDL_BLENDMODE_BLEND);
  // In a window the page is scaled to the screen, and rotated sprites look
  // far better filtered; headless frames stay pixel-exact for the tests.
  SDL_SetTextureScaleMode(handle, options_.headless ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);

  auto texture =
      std::make_shared<SdlTexture>(this, handle, surface->w, surface->h, shownName, glyphs);
  ForgetReleasedTextures();
  textures_.push_back(texture);
  out = std::move(texture);
}

void SdlEngine::DrawImage(const Texture& texture, float x, float y, float sourceWidth,
                          float sourceHeight, float angle, int16_t opacity, float sourceX,
                          float sourceY, float drawnWidth, float drawnHeight, float pivotX,
                          float pivotY) {
  SdlTexture& tex = RequireTexture(texture, "DrawImage");
  if (windowGone_) return;

  DrawRequest request;
  request.x = x;
  request.y = y;
  request.sourceX = sourceX;
  request.sourceY = sourceY;
  request.sourceWidth = sourceWidth;
  request.sourceHeight = sourceHeight;
  request.drawnWidth = drawnWidth;
  request.drawnHeight = drawnHeight;
  request.pivotX = pivotX;
  request.pivotY = pivotY;
  request.textureWidth = tex.Width();
  request.textureHeight = tex.Height();
  const DrawPlacement place = PlaceDraw(request);
  if (!place.visible) return;

  SDL_Texture* handle = tex.Handle();
  SDL_SetTextureColorMod(handle, tint_[0], tint_[1], tint_[2]);
  SDL_SetTextureAlphaMod(handle, OpacityAlpha(opacity));
  const SDL_Rect source{place.sourceX, place.sourceY, place.sourceWidth, place.sourceHeight};
  const SDL_FRect dest{place.destX, place.destY, place.destWidth, place.destHeight};
  int result;
  if (angle == 0) {
    result = SDL_RenderCopyF(renderer_, handle, &source, &dest);
  } else {
    const SDL_FPoint centre{place.pivotX, place.pivotY};
    result = SDL_RenderCopyExF(renderer_, handle, &source, &dest, angle, &centre, SDL_FLIP_NONE);
  }
  if (result != 0) throw ComponentError("DrawImage", tex.Name() + ": " + SDL_GetError());
}

void SdlEngine::DrawText(const Texture& font, const std::string& text, float x, float y,
                         float scale, float, int32_t opacity, float red, float green, float blue) {
  SdlTexture& tex = RequireTexture(font, "DrawText");
  if (windowGone_ || !(scale > 0)) return;

  SDL_Texture* handle = tex.Handle();
  SDL_SetTextureColorMod(handle, ColourByte(red), ColourByte(green), ColourByte(blue));
  SDL_SetTextureAlphaMod(handle, OpacityAlpha(opacity));
  const std::bitset<256>& glyphs = tex.Glyphs();
  const float size = kGlyphCell * scale;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto code = static_cast<unsigned char>(text[i]);
    if (!glyphs.test(code)) continue;  // a space or a character the font lacks
    const SDL_Rect source{(code % 16) * kGlyphCell, (code / 16) * kGlyphCell, kGlyphCell,
                          kGlyphCell};
    const SDL_FRect dest{x + static_cast<float>(i) * kGlyphAdvance * scale, y, size, size};
    if (SDL_RenderCopyF(renderer_, handle, &source, &dest) != 0) {
      throw ComponentError("DrawText", tex.Name() + ": " + SDL_GetError());
    }
  }
}

void SdlEngine::BeginFrame(int32_t red, int32_t green, int32_t blue) {
  RequireRunning("BeginFrame");
  if (windowGone_) return;
  // Clear everything black first: in a window the bars beside the page stay
  // black whatever colour the game clears its page to.
  SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  const uint8_t r = ColourByte(red), g = ColourByte(green), b = ColourByte(blue);
  if (r || g || b) {
    SDL_SetRenderDrawColor(renderer_, r, g, b, 255);
    SDL_RenderFillRect(renderer_, nullptr);
  }
}

void SdlEngine::SetDrawColor(double red, double green, double blue) {
  RequireRunning("SetDrawColor");
  tint_[0] = ColourByte(red);
  tint_[1] = ColourByte(green);
  tint_[2] = ColourByte(blue);
}
