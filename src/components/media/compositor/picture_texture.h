#pragma once
#include <string>
#include <utility>

#include "components/media/compositor/picture.h"
#include "components/media/media_engine.h"

// A loaded picture behind the game's Texture handle. The game may keep its
// handle past the engine's shutdown, so the engine can take the pixels away
// early (Release); the handle then only remembers its name.
class PictureTexture final : public TextureObject {
 public:
  PictureTexture(const void* owner, Picture picture, std::string name)
      : owner_(owner),
        width_(picture.width),
        height_(picture.height),
        picture_(std::move(picture)),
        name_(std::move(name)) {}

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  const std::string& Name() const override { return name_; }

  // The engine that made it: a handle from another engine is refused.
  const void* Owner() const { return owner_; }
  bool Released() const { return released_; }
  const Picture& Pixels() const { return picture_; }
  void Release() {
    picture_ = Picture{};
    released_ = true;
  }

 private:
  const void* owner_;
  int width_;
  int height_;
  Picture picture_;
  std::string name_;
  bool released_ = false;
};
