#include "engine/resources/textures/TextureManager.h"

#include <algorithm>

namespace engine {
namespace {

TextureManager* g_published = nullptr;

} // namespace

TextureManager* textureManager() { return g_published; }

void publishTextureManager(TextureManager* manager) { g_published = manager; }

TextureManager::~TextureManager() {
  for (Texture* texture : all_)
    texture->manager_ = nullptr;
  if (g_published == this) g_published = nullptr;
}

bool TextureManager::resolve(FileLocation& location, const FileSearchPaths* searchPaths) const {
  if (!(location.flags & (kLocationDisk | kLocationArchive))) return true;
  if (searchPaths && searchPaths->resolve(location)) return true;
  // A disk file given by its absolute path (the user's photo) names that file itself.
  return searchPaths_.resolveOrAbsolute(location);
}

Texture* TextureManager::findShared(const TextureRequest& request, const FileLocation& location) const {
  // Every kind of source is looked up under its own location: a texture made from other
  // bytes (or an image, for a request of an empty texture) is never handed out.
  auto [first, last] = byLocation_.equal_range(location);
  for (auto entry = first; entry != last; ++entry) {
    Texture* texture = entry->second;
    if (!texture->matches(request)) continue;
    // A memory block is known by its address, which a freed block hands on to the next one
    // made there: the texture is the block's only when it was made from the same bytes.
    if ((location.flags & kLocationMemory) && !texture->madeFromBytesOf(location)) continue;
    return texture;
  }
  return nullptr;
}

TextureRef TextureManager::withSub(Texture* texture, const TextureRequest& request) {
  if (!(request.flags & (kMatchSubName | kMatchSubRect))) return TextureRef::share(texture);
  // A name alone may name an animation: its animated image is handed out.
  Texture* sub = nullptr;
  if (!(request.flags & kMatchSubRect)) sub = texture->animatedImage(request.subName);
  if (!sub) sub = texture->findSub(request);
  if (!sub && !request.noCreate) sub = texture->addSub(request);
  if (!sub) {
    // A texture made for this request and left without a holder goes again.
    if (texture->references() == 0) texture->destroy();
    return {};
  }
  return TextureRef::share(sub);
}

TextureRef TextureManager::get(const TextureRequest& request, const FileSearchPaths* searchPaths) {
  if (request.flags & kStartFromTexture) {
    if (!request.texture) return {};
    return withSub(request.texture, request);
  }
  FileLocation location = request.location;
  if (!resolve(location, searchPaths)) return {};

  if (!request.unshared)
    if (Texture* shared = findShared(request, location)) return withSub(shared, request);
  if (request.noCreate) return {};
  if (loadingStopped_ && loadingStopped_()) return {};

  auto* texture = new Texture();
  if (!texture->load(request, location)) {
    delete texture;
    return {};
  }
  texture->manager_ = this;
  byLocation_.emplace(location, texture);
  all_.push_back(texture);
  return withSub(texture, request);
}

void TextureManager::forget(Texture* texture) {
  for (auto entry = byLocation_.begin(); entry != byLocation_.end(); ++entry) {
    if (entry->second == texture) {
      byLocation_.erase(entry);
      break;
    }
  }
  all_.erase(std::remove(all_.begin(), all_.end(), texture), all_.end());
}

bool TextureManager::restoreDeviceObjects() {
  bool ok = true;
  for (Texture* texture : all_)
    ok = texture->restore() && ok;
  return ok;
}

bool TextureManager::invalidateDeviceObjects() {
  for (Texture* texture : all_)
    texture->invalidate();
  return true;
}

} // namespace engine
