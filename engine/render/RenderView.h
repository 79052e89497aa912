// What a frame draws through: the camera, the scene's lights, and two queues filled by the
// scene traversal. Opaque drawables are drawn grouped by their stage-0 texture; those that
// blend are drawn afterwards, from the farthest to the nearest.
#pragma once

#include <algorithm>
#include <functional>
#include <vector>

#include "engine/render/Camera.h"
#include "engine/render/Drawable.h"

namespace engine {

// Drawables kept in the order of their keys (by `Compare`), each key's drawables in the order
// they were added, each drawable at most once under a key. A flat vector rather than a map of
// sets: the queues are filled and emptied every frame, and a vector that keeps its capacity
// lets a steady frame run without touching the heap.
template <typename Key, typename Compare> class DrawQueue {
public:
  struct Entry {
    Key key;
    Drawable* drawable;
  };

  // False when the drawable is already queued under this key.
  bool add(Key key, Drawable& drawable) {
    const auto byKey = [](const Entry& entry, const Key& k) { return Compare{}(entry.key, k); };
    const auto first = std::lower_bound(entries_.begin(), entries_.end(), key, byKey);
    auto last = first;
    for (; last != entries_.end() && !Compare{}(key, last->key); ++last)
      if (last->drawable == &drawable) return false;
    entries_.insert(last, Entry{key, &drawable});
    return true;
  }
  void clear() { entries_.clear(); }
  const std::vector<Entry>& entries() const { return entries_; }
  // How many distinct keys are queued.
  std::size_t keyCount() const {
    std::size_t count = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i)
      if (i == 0 || Compare{}(entries_[i - 1].key, entries_[i].key)) ++count;
    return count;
  }

private:
  std::vector<Entry> entries_;
};

class RenderView {
public:
  using OpaqueQueue = DrawQueue<const Texture*, std::less<const Texture*>>;
  using TransparentQueue = DrawQueue<float, std::greater<float>>; // far to near

  void setProjection(float nearPlane, float farPlane, float fov, float aspect) {
    camera_.setProjection(nearPlane, farPlane, fov, aspect);
  }
  void setView(const D3DXVECTOR3& eye, const D3DXVECTOR3& direction, const D3DXVECTOR3& up) {
    camera_.setView(eye, direction, up);
  }
  void setLights(ViewLights* lights) { lights_ = lights; }
  ViewLights* lights() const { return lights_; }
  Camera& camera() { return camera_; }

  // Puts a drawable in its queue (used by the scene traversal).
  void add(Drawable& drawable);
  // Draws both queues; true only when every draw succeeded. The queues stay filled.
  bool drawQueued();
  // Empties both queues (once per frame, before the traversal that fills them).
  void clear();
  // Sets the camera's view and projection on the device through the state cache.
  bool applyCamera();

  const OpaqueQueue& opaqueQueue() const { return opaque_; }
  const TransparentQueue& transparentQueue() const { return transparent_; }
  // The matrices of the last drawQueued.
  const Matrix& viewMatrix() const { return view_; }
  const Matrix& viewProjectionMatrix() const { return viewProjection_; }

private:
  bool drawOne(Drawable& drawable);

  Camera camera_;
  ViewLights* lights_ = nullptr;
  OpaqueQueue opaque_;
  TransparentQueue transparent_;
  Matrix view_;
  Matrix viewProjection_;
};

} // namespace engine
