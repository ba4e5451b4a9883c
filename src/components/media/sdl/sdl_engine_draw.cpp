// Pictures and text: loading textures, DrawImage, DrawText, clearing. The
// drawing itself is the compositor's; this is the engine's bookkeeping.
#include <algorithm>

#include "components/component_error.h"
#include "components/media/path_resolve.h"
#include "sdl_engine_impl.h"
#include "sdl_picture.h"

const Picture& SdlEngine::RequirePicture(const Texture& texture, const char* operation) const {
  RequireRunning(operation);
  if (!texture) throw ComponentError(operation, "no texture");
  auto* own = dynamic_cast<PictureTexture*>(texture.get());
  if (!own || own->Owner() != this) {
    throw ComponentError(operation, texture->Name() + ": texture belongs to another engine");
  }
  if (own->Released()) throw ComponentError(operation, own->Name() + ": texture was released");
  return own->Pixels();
}

void SdlEngine::ForgetReleasedTextures() {
  if (textures_.size() < pruneAt_) return;
  textures_.erase(
      std::remove_if(textures_.begin(), textures_.end(),
                     [](const std::weak_ptr<PictureTexture>& t) { return t.expired(); }),
      textures_.end());
  pruneAt_ = std::max<size_t>(64, textures_.size() * 2);
}

void SdlEngine::LoadTexture(Texture& out, const std::string& path, int32_t colorKey) {
  RequireRunning("LoadTexture");
  const std::string shownName = NormalizeSlashes(path);
  Picture picture;
  try {
    picture = DecodePicture(FilePath(path), colorKey);
  } catch (const PictureError& error) {
    throw ComponentError("LoadTexture", shownName + ": " + error.what());
  }
  auto texture = std::make_shared<PictureTexture>(this, std::move(picture), shownName);
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
  const Picture& picture = RequirePicture(texture, "DrawImage");
  if (windowGone_) return;
  ImageDraw draw;
  draw.x = x;
  draw.y = y;
  draw.sourceWidth = sourceWidth;
  draw.sourceHeight = sourceHeight;
  draw.angle = angle;
  draw.opacity = opacity;
  draw.sourceX = sourceX;
  draw.sourceY = sourceY;
  draw.drawnWidth = drawnWidth;
  draw.drawnHeight = drawnHeight;
  draw.pivotX = pivotX;
  draw.pivotY = pivotY;
  compositor_->DrawImage(picture, draw);
}

void SdlEngine::DrawText(const Texture& font, const std::string& text, float x, float y,
                         float scale, float, int32_t opacity, float red, float green, float blue) {
  RequireRunning("DrawText");
  if (!font) return;  // as DrawImage: the font's load already said why
  const Picture& picture = RequirePicture(font, "DrawText");
  if (windowGone_) return;
  compositor_->DrawText(picture, text, x, y, scale, opacity, red, green, blue);
}

void SdlEngine::BeginFrame(int32_t red, int32_t green, int32_t blue) {
  RequireRunning("BeginFrame");
  if (windowGone_) return;
  compositor_->BeginFrame(red, green, blue);
}

void SdlEngine::SetDrawColor(double red, double green, double blue) {
  RequireRunning("SetDrawColor");
  compositor_->SetDrawColor(red, green, blue);
}
