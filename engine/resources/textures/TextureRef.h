// One counted reference to a texture of the store: released when the holder goes.
#pragma once

#include <utility>

#include "engine/resources/textures/Texture.h"

namespace engine {

class TextureRef {
public:
  TextureRef() = default;
  // Adopts a reference the caller already holds (as the store hands them out).
  static TextureRef adopt(Texture* texture) {
    TextureRef ref;
    ref.texture_ = texture;
    return ref;
  }
  // Takes a new reference.
  static TextureRef share(Texture* texture) {
    if (texture) texture->acquire();
    return adopt(texture);
  }
  TextureRef(const TextureRef& other) : texture_(other.texture_) {
    if (texture_) texture_->acquire();
  }
  TextureRef(TextureRef&& other) noexcept : texture_(std::exchange(other.texture_, nullptr)) {}
  TextureRef& operator=(TextureRef other) noexcept {
    std::swap(texture_, other.texture_);
    return *this;
  }
  ~TextureRef() { reset(); }

  void reset() {
    if (texture_) std::exchange(texture_, nullptr)->release();
  }
  Texture* get() const { return texture_; }
  Texture* operator->() const { return texture_; }
  Texture& operator*() const { return *texture_; }
  explicit operator bool() const { return texture_ != nullptr; }
  bool operator==(const TextureRef& other) const { return texture_ == other.texture_; }

private:
  Texture* texture_ = nullptr;
};

} // namespace engine
