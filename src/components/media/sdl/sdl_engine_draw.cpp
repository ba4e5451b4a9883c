// Pictures and text: loading textures, DrawImage, DrawText, clearing.
#include <algorithm>
#include <cmath>

#include "components/component_error.h"
#include "components/media/path_resolve.h"
#include "sdl_blend.h"
#include "sdl_draw_geometry.h"
#include "sdl_engine_impl.h"
#include "sdl_picture.h"
#include "sdl_turn.h"

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

  // The software renderer keeps a streaming texture as a plain surface we
  // may read: the blends it does slowly are then done here (DrawUnturned).
  const uint32_t* pixels = nullptr;
  int pitchPixels = 0;
  SDL_Texture* handle = nullptr;
  if (softwareRenderer_) {
    handle = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                               surface->w, surface->h);
    void* locked = nullptr;
    int pitch = 0;
    if (handle && (SDL_UpdateTexture(handle, nullptr, surface->pixels, surface->pitch) != 0 ||
                   SDL_LockTexture(handle, nullptr, &locked, &pitch) != 0)) {
      SDL_DestroyTexture(handle);
      handle = nullptr;
    }
    if (handle) {
      SDL_UnlockTexture(handle);
      pixels = static_cast<const uint32_t*>(locked);
      pitchPixels = pitch / 4;
    }
  }
  if (!handle) handle = SDL_CreateTextureFromSurface(renderer_, surface.get());
  if (!handle) {
    throw ComponentError(
        "LoadTexture", shownName + ": cannot make a texture (" + std::string(SDL_GetError()) + ")");
  }
  SDL_SetTextureBlendMode(handle, SDL_BLENDMODE_BLEND);
  // On a GPU the page is scaled to the screen, and rotated sprites look far
  // better filtered. The software renderer (headless, or a window at the
  // page's own size) draws pixel for pixel: filtering would triple the cost
  // of every turned picture, and its frames stay the ones the tests check.
  SDL_SetTextureScaleMode(handle, softwareRenderer_ ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);

  auto texture =
      std::make_shared<SdlTexture>(this, handle, surface->w, surface->h, shownName, glyphs,
                                   FindVisibleBox(surface.get()));
  texture->SetPixels(pixels, pitchPixels);
  ForgetReleasedTextures();
  textures_.push_back(texture);
  out = std::move(texture);
}

void SdlEngine::DrawImage(const Texture& texture, float x, float y, float sourceWidth,
                          float sourceHeight, float angle, int16_t opacity, float sourceX,
                          float sourceY, float drawnWidth, float drawnHeight, float pivotX,
                          float pivotY) {
  // Deliberate: a picture whose file failed to load draws nothing. Its load
  // already named the file and the reason; failing every draw as well would
  // cost the rest of each frame (and its EndFrame) for one missing picture.
  RequireRunning("DrawImage");
  if (!texture) return;
  SdlTexture& tex = RequireTexture(texture, "DrawImage");
  if (windowGone_) return;
  const uint8_t alpha = OpacityAlpha(opacity);
  // Every texture blends, so a fully transparent draw leaves each pixel as it
  // was: the help pictures are asked for at opacity 0 once they have faded.
  if (alpha == 0 && !options_.plainDrawing) return;

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
  if (!options_.plainDrawing && MissesFrame(place, angle, frameWidth_, frameHeight_)) return;

  SDL_Texture* handle = tex.Handle();
  SDL_SetTextureColorMod(handle, tint_[0], tint_[1], tint_[2]);
  SDL_SetTextureAlphaMod(handle, alpha);
  if (!options_.plainDrawing &&
      (angle == 0 ? DrawTrimmed(tex, place) : DrawTurned(tex, place, angle))) {
    return;
  }
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

bool SdlEngine::DrawTrimmed(const SdlTexture& tex, const DrawPlacement& place) {
  // Only a copy at the source size onto an unscaled page maps texture
  // pixels one to one onto the frame; anything else samples differently
  // once trimmed and goes the plain way.
  if (place.destWidth != static_cast<float>(place.sourceWidth) ||
      place.destHeight != static_cast<float>(place.sourceHeight)) {
    return false;
  }
  // A GPU renderer places pictures at fractions of a pixel; only the
  // software one works on the whole-pixel grid the trimmed copy relies on.
  if (!softwareRenderer_) return false;
  float scaleX = 1, scaleY = 1;
  SDL_RenderGetScale(renderer_, &scaleX, &scaleY);
  if (scaleX != 1 || scaleY != 1) return false;

  // Fully transparent pixels blend to nothing, so the clouds and the help
  // pictures (two thirds empty) need only their visible box copied.
  const SDL_Rect& box = tex.VisibleBox();
  const int left = std::max(place.sourceX, box.x);
  const int top = std::max(place.sourceY, box.y);
  const int right = std::min(place.sourceX + place.sourceWidth, box.x + box.w);
  const int bottom = std::min(place.sourceY + place.sourceHeight, box.y + box.h);
  if (right <= left || bottom <= top) return true;  // nothing visible to copy
  const SDL_Rect source{left, top, right - left, bottom - top};
  // The software renderer truncates a float position to whole pixels; the
  // trimmed copy keeps the picture on that same grid.
  const SDL_Rect dest{static_cast<int>(place.destX) + (left - place.sourceX),
                      static_cast<int>(place.destY) + (top - place.sourceY), source.w, source.h};
  if (BlendOnTarget(tex, source, dest)) return true;
  if (SDL_RenderCopy(renderer_, tex.Handle(), &source, &dest) != 0) {
    throw ComponentError("DrawImage", tex.Name() + ": " + SDL_GetError());
  }
  return true;
}

SDL_Surface* SdlEngine::DirectTarget() {
  // Only the software renderer's frame is memory we may write, and only
  // when the page is the whole of it, unscaled, as it is headless and in a
  // window at the page's size.
  if (!softwareRenderer_) return nullptr;
  float scaleX = 1, scaleY = 1;
  SDL_RenderGetScale(renderer_, &scaleX, &scaleY);
  if (scaleX != 1 || scaleY != 1) return nullptr;
  SDL_Surface* target = headlessTarget_ ? headlessTarget_ : SDL_GetWindowSurface(window_);
  if (!target || SDL_MUSTLOCK(target)) return nullptr;
  const uint32_t format = target->format->format;
  if (format != SDL_PIXELFORMAT_ARGB8888 && format != SDL_PIXELFORMAT_RGB888) return nullptr;
  SDL_Rect viewport;
  SDL_RenderGetViewport(renderer_, &viewport);
  if (target->w != frameWidth_ || target->h != frameHeight_ || viewport.x != 0 || viewport.y != 0 ||
      viewport.w != frameWidth_ || viewport.h != frameHeight_) {
    return nullptr;
  }
  return target;
}

bool SdlEngine::ReadModulation(const SdlTexture& tex, BlendModulation& modulation) const {
  uint8_t r = 255, g = 255, b = 255, a = 255;
  SDL_GetTextureColorMod(tex.Handle(), &r, &g, &b);
  SDL_GetTextureAlphaMod(tex.Handle(), &a);
  modulation.red = r;
  modulation.green = g;
  modulation.blue = b;
  modulation.alpha = a;
  return (r & g & b & a) != 255;
}

void SdlEngine::BlendOnto(SDL_Surface* target, const uint32_t* pixels, int pitch, int x, int y,
                          int width, int height, const BlendModulation& modulation) {
  // Clipped to the frame as SDL clips a blit.
  int sourceX = 0, sourceY = 0;
  if (x < 0) {
    sourceX -= x;
    width += x;
    x = 0;
  }
  if (y < 0) {
    sourceY -= y;
    height += y;
    y = 0;
  }
  width = std::min(width, target->w - x);
  height = std::min(height, target->h - y);
  if (width <= 0 || height <= 0) return;
  const int targetPitch = target->pitch / 4;
  BlendModulated(pixels + static_cast<long>(sourceY) * pitch + sourceX, pitch,
                 static_cast<uint32_t*>(target->pixels) + static_cast<long>(y) * targetPitch + x,
                 targetPitch, width, height, modulation,
                 target->format->format == SDL_PIXELFORMAT_ARGB8888);
}

bool SdlEngine::BlendOnTarget(const SdlTexture& tex, const SDL_Rect& source, const SDL_Rect& dest) {
  // SDL's own blend is quick when nothing is faded or tinted; only the
  // modulated case, which it does pixel by pixel in general code, is ours.
  BlendModulation modulation;
  if (!ReadModulation(tex, modulation) || !tex.Pixels()) return false;
  SDL_Surface* target = DirectTarget();
  if (!target) return false;
  // Whatever SDL still holds queued lands first, as it would have.
  SDL_RenderFlush(renderer_);
  BlendOnto(target,
            tex.Pixels() + static_cast<long>(source.y) * tex.PitchPixels() + source.x,
            tex.PitchPixels(), dest.x, dest.y, source.w, source.h, modulation);
  return true;
}

bool SdlEngine::DrawTurned(const SdlTexture& tex, const DrawPlacement& place, float angle) {
  if (!tex.Pixels() || !IsGeneralTurn(angle)) return false;
  // SDL's renderer keeps whole pixels of the requested rectangle,
  // truncating, before it stretches and turns.
  const int drawnWidth = static_cast<int>(place.destWidth);
  const int drawnHeight = static_cast<int>(place.destHeight);
  if (drawnWidth < 1 || drawnHeight < 1 || drawnWidth > 65535 || drawnHeight > 65535) return false;
  SDL_Surface* target = DirectTarget();
  if (!target) return false;

  const TurnBox box = PlaceTurn(drawnWidth, drawnHeight, angle, place.pivotX, place.pivotY);
  if (box.width <= 0 || box.height <= 0) return true;
  const int x = static_cast<int>(place.destX) + box.x;
  const int y = static_cast<int>(place.destY) + box.y;
  // Nothing of the box on the frame: the turning would be wasted.
  if (x >= target->w || y >= target->h || x + box.width <= 0 || y + box.height <= 0) return true;
  if (!turnScratch_ || turnScratch_->w < box.width || turnScratch_->h < box.height) {
    // Grown to hold every box seen so far, so it settles after a few frames.
    const int width = std::max(box.width, turnScratch_ ? turnScratch_->w : 0);
    const int height = std::max(box.height, turnScratch_ ? turnScratch_->h : 0);
    SDL_FreeSurface(turnScratch_);
    turnScratch_ = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!turnScratch_) return false;
    SDL_SetSurfaceBlendMode(turnScratch_, SDL_BLENDMODE_BLEND);
  }
  const int scratchPitch = turnScratch_->pitch / 4;
  auto* scratch = static_cast<uint32_t*>(turnScratch_->pixels);
  TurnPicture(tex.Pixels() + static_cast<long>(place.sourceY) * tex.PitchPixels() + place.sourceX,
              tex.PitchPixels(), place.sourceWidth, place.sourceHeight, drawnWidth, drawnHeight,
              box, place.pivotX, place.pivotY, scratch, scratchPitch);

  // Whatever SDL still holds queued lands first, as it would have.
  SDL_RenderFlush(renderer_);
  BlendModulation modulation;
  if (ReadModulation(tex, modulation)) {
    BlendOnto(target, scratch, scratchPitch, x, y, box.width, box.height, modulation);
    return true;
  }
  // Unfaded and untinted: SDL's own blitter, as its renderer would use.
  SDL_Rect source{0, 0, box.width, box.height};
  SDL_Rect dest{x, y, box.width, box.height};
  if (SDL_BlitSurface(turnScratch_, &source, target, &dest) != 0) {
    throw ComponentError("DrawImage", tex.Name() + ": " + SDL_GetError());
  }
  return true;
}

void SdlEngine::DrawText(const Texture& font, const std::string& text, float x, float y,
                         float scale, float, int32_t opacity, float red, float green, float blue) {
  RequireRunning("DrawText");
  if (!font) return;  // as DrawImage: the font's load already said why
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
