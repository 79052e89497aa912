#include "engine/scene/CameraPath.h"

#include <algorithm>

#include "engine/data/udf/UdfNode.h"
#include "engine/scene/UdfValues.h"

namespace engine {

void CameraPath::clear() {
  position_.clear();
  rotation_.clear();
}

std::size_t CameraPath::addKeys(const UdfNode& root) {
  std::size_t added = 0;
  for (const auto& entry : root.children()) {
    const UdfNode& child = *entry.value;
    AnimationKey key;
    if (child.isList() || !AnimationKey::fromBytes(child.bytes(), key)) continue;
    if ((child.typeName() == "pos" ? position_ : rotation_).addKey(key)) ++added;
  }
  return added;
}

bool CameraPath::load(FileLocation location) {
  clear();
  bool opened = false;
  const std::unique_ptr<UdfNode> root = readUdfFile(location, opened);
  return root && addKeys(*root) > 0;
}

bool CameraPath::timeRange(float& start, float& end) const {
  float ps = 0, pe = 0, rs = 0, re = 0;
  const bool hasPosition = position_.timeRange(ps, pe);
  const bool hasRotation = rotation_.timeRange(rs, re);
  if (!hasPosition && !hasRotation) return false;
  start = hasPosition && hasRotation ? std::min(ps, rs) : hasPosition ? ps : rs;
  end = hasPosition && hasRotation ? std::max(pe, re) : hasPosition ? pe : re;
  return true;
}

bool CameraPath::evaluate(float t, CameraPose& pose) const {
  if (position_.empty() && rotation_.empty()) return false;
  D3DXVECTOR3 eye(0.0f, 0.0f, 0.0f);
  position_.evaluateVector(t, eye);
  D3DXQUATERNION q(0.0f, 0.0f, 0.0f, 1.0f);
  rotation_.evaluateRotation(t, q);
  D3DXMATRIX m;
  D3DXMatrixRotationQuaternion(&m, &q);
  const D3DXVECTOR3 forward(0.0f, 0.0f, 1.0f), up(0.0f, 1.0f, 0.0f);
  pose.eye = eye;
  D3DXVec3TransformCoord(&pose.direction, &forward, &m);
  D3DXVec3TransformCoord(&pose.up, &up, &m);
  return true;
}

} // namespace engine
