// The scene's fixed-function lights: point, directional and spot lights with the boxes
// they can reach, and the set the render view switches on and off for each drawable.
#pragma once

#include <memory>
#include <vector>

#include "engine/render/Drawable.h"
#include "platform/d3d9/d3d9types.h"

namespace engine {

// Two boxes overlap when on every axis 2 |c1 - c2| <= s1 + s2 (touching counts).
bool boxesOverlap(const BoundingBox& a, const BoundingBox& b);

class SceneLight {
public:
  virtual ~SceneLight() = default;

  // Whether the light can reach a drawable's box.
  virtual bool reaches(const BoundingBox& box) const = 0;

  D3DLIGHT9& light() { return light_; }
  const D3DLIGHT9& light() const { return light_; }
  DWORD index() const { return index_; }
  void setIndex(DWORD index) { index_ = index; }
  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }

protected:
  explicit SceneLight(D3DLIGHTTYPE type);

private:
  D3DLIGHT9 light_{};
  DWORD index_ = 0;
  bool enabled_ = false;
};

class PointLight final : public SceneLight {
public:
  PointLight() : SceneLight(D3DLIGHT_POINT) {}
  // The cube of edge 2 x Range around the position.
  bool reaches(const BoundingBox& box) const override;
};

class DirectionalLight final : public SceneLight {
public:
  DirectionalLight() : SceneLight(D3DLIGHT_DIRECTIONAL) {}
  bool reaches(const BoundingBox&) const override { return true; }
};

class SpotLight final : public SceneLight {
public:
  SpotLight() : SceneLight(D3DLIGHT_SPOT) {}
  // The cube around the middle of the cone's axis that holds the cone; nothing without a
  // range or a direction.
  bool reaches(const BoundingBox& box) const override;
};

class LightSet final : public ViewLights {
public:
  // Adds a light; the set owns it, so a light is held once. False for none.
  bool add(std::unique_ptr<SceneLight> light);
  std::size_t size() const { return lights_.size(); }
  bool empty() const { return lights_.empty(); }
  SceneLight& at(std::size_t i) { return *lights_[i]; }

  // Numbers the lights from 0 and puts each on the device.
  void setAll() override;
  // Enables each light that reaches the box and disables the others.
  void enableFor(const BoundingBox& box) override;
  void disableAll() override;

private:
  std::vector<std::unique_ptr<SceneLight>> lights_;
};

} // namespace engine
