// What a frame draws through: the camera, the scene's lights, and two queues filled by the
// scene traversal. Opaque drawables are drawn grouped by their stage-0 texture; those that
// blend are drawn afterwards, from the farthest to the nearest.
#pragma once

#include <functional>
#include <map>
#include <unordered_set>
#include <vector>

#include "engine/render/Camera.h"
#include "engine/render/Drawable.h"

namespace engine {

// Drawables under one key, in the order they were added; each at most once.
class DrawableGroup {
public:
  bool add(Drawable& drawable);
  const std::vector<Drawable*>& items() const { return items_; }

private:
  std::vector<Drawable*> items_;
  std::unordered_set<const Drawable*> members_;
};

class RenderView {
public:
  using OpaqueQueue = std::map<const Texture*, DrawableGroup>;
  using TransparentQueue = std::map<float, DrawableGroup, std::greater<float>>; // far to near

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
