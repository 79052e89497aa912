#include "engine/scene/SceneLight.h"

#include <algorithm>
#include <cmath>

#include "engine/render/DevicePointer.h"

namespace engine {

namespace {

constexpr float kNoRange = 0.001f;
constexpr float kNoDirection = 0.00001f;

} // namespace

bool boxesOverlap(const BoundingBox& a, const BoundingBox& b) {
  return 2.0f * std::fabs(a.centre.x - b.centre.x) <= a.size.x + b.size.x &&
         2.0f * std::fabs(a.centre.y - b.centre.y) <= a.size.y + b.size.y &&
         2.0f * std::fabs(a.centre.z - b.centre.z) <= a.size.z + b.size.z;
}

SceneLight::SceneLight(D3DLIGHTTYPE type) { light_.Type = type; }

bool PointLight::reaches(const BoundingBox& box) const {
  const float edge = 2.0f * light().Range;
  return boxesOverlap(BoundingBox{D3DXVECTOR3(light().Position), D3DXVECTOR3(edge, edge, edge)}, box);
}

bool SpotLight::reaches(const BoundingBox& box) const {
  const D3DLIGHT9& l = light();
  const D3DXVECTOR3 direction(l.Direction);
  const float length = D3DXVec3Length(&direction);
  if (std::fabs(l.Range) <= kNoRange || length <= kNoDirection) return false;
  const D3DXVECTOR3 centre = D3DXVECTOR3(l.Position) + direction * (l.Range / 2.0f / length);
  const float radius = l.Range * std::tan(l.Phi);
  const float edge = 2.0f * std::sqrt(radius * radius + l.Range * l.Range);
  return boxesOverlap(BoundingBox{centre, D3DXVECTOR3(edge, edge, edge)}, box);
}

bool LightSet::add(std::unique_ptr<SceneLight> light) {
  if (!light) return false;
  lights_.push_back(std::move(light));
  return true;
}

void LightSet::setAll() {
  IDirect3DDevice9* device = currentDevice();
  for (std::size_t i = 0; i < lights_.size(); ++i) {
    lights_[i]->setIndex(DWORD(i));
    if (device) device->SetLight(DWORD(i), &lights_[i]->light());
  }
}

void LightSet::enableFor(const BoundingBox& box) {
  IDirect3DDevice9* device = currentDevice();
  for (const auto& light : lights_) {
    light->setEnabled(light->reaches(box));
    if (device) device->LightEnable(light->index(), light->enabled() ? TRUE : FALSE);
  }
}

void LightSet::disableAll() {
  IDirect3DDevice9* device = currentDevice();
  for (const auto& light : lights_) {
    light->setEnabled(false);
    if (device) device->LightEnable(light->index(), FALSE);
  }
}

} // namespace engine
