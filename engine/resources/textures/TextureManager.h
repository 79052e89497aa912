// The texture store: every Direct3D texture of the program comes from here, and identical
// requests share one texture. Textures are indexed by the file they were made from (in the
// case-insensitive order of file locations); the store tells them about device loss and
// reset as one device-object listener of the application.
#pragma once

#include <functional>
#include <map>
#include <vector>

#include "engine/data/FileSearchPaths.h"
#include "engine/device/DeviceObjectListener.h"
#include "engine/resources/textures/TextureRef.h"

namespace engine {

class TextureManager : public DeviceObjectListener {
public:
  TextureManager() = default;
  // Textures still referenced outlive the store; they only leave its indexes.
  ~TextureManager();
  TextureManager(const TextureManager&) = delete;
  TextureManager& operator=(const TextureManager&) = delete;

  // The texture the request names, shared when an existing one matches, else loaded; an
  // empty reference when the file cannot be found or the image cannot be made.
  TextureRef get(const TextureRequest& request, const FileSearchPaths* searchPaths = nullptr);

  // Asked before a texture would be made anew: while it answers true, such requests answer
  // an empty reference at once instead of decoding (a run told to stop while it loads).
  void setLoadingStopped(std::function<bool()> stopped) { loadingStopped_ = std::move(stopped); }

  // Where bare names are looked up when a request brings no search paths of its own.
  FileSearchPaths& searchPaths() { return searchPaths_; }

  bool restoreDeviceObjects() override;
  bool invalidateDeviceObjects() override;

  std::size_t size() const { return all_.size(); }

private:
  friend class Texture;
  using LocationIndex = std::multimap<FileLocation, Texture*, FileLocationLess>;

  bool resolve(FileLocation& location, const FileSearchPaths* searchPaths) const;
  Texture* findShared(const TextureRequest& request, const FileLocation& location) const;
  TextureRef withSub(Texture* texture, const TextureRequest& request);
  void forget(Texture* texture);

  FileSearchPaths searchPaths_;
  LocationIndex byLocation_;
  std::vector<Texture*> all_;
  std::function<bool()> loadingStopped_;
};

// The store the application publishes for everything that draws (null while there is none).
TextureManager* textureManager();
void publishTextureManager(TextureManager* manager);

} // namespace engine
