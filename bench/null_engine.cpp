#include "null_engine.h"

#include <memory>

namespace {

// A picture with a name and no pixels; the game reads its name at most.
class NullTexture final : public TextureObject {
 public:
  explicit NullTexture(std::string name) : name_(std::move(name)) {}
  int Width() const override { return 0; }
  int Height() const override { return 0; }
  const std::string& Name() const override { return name_; }

 private:
  std::string name_;
};

}  // namespace

void NullEngine::LoadTexture(Texture& out, const std::string& path, int32_t) {
  out = std::make_shared<NullTexture>(path);
}
