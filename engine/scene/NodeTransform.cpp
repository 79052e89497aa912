#include "engine/scene/NodeTransform.h"

#include <cmath>

namespace engine {

namespace {

// Below this sum of the three scales a matrix has collapsed.
constexpr float kDegenerateScaleSum = 0.01f;
// Normalised axis rows whose dot product exceeds this are not a frame.
constexpr float kMaxAxisDot = 0.1f;

D3DXVECTOR3 row(const D3DXMATRIX& m, int r) { return D3DXVECTOR3(m.m[r][0], m.m[r][1], m.m[r][2]); }

} // namespace

Matrix Frame::matrix() const {
  const float s[3] = {scale.x, scale.y, scale.z};
  D3DXMATRIX m;
  for (int r = 0; r < 3; ++r) {
    const D3DXVECTOR3 a = axes[r] * s[r];
    m.m[r][0] = a.x;
    m.m[r][1] = a.y;
    m.m[r][2] = a.z;
    m.m[r][3] = 0.0f;
  }
  m.m[3][0] = position.x;
  m.m[3][1] = position.y;
  m.m[3][2] = position.z;
  m.m[3][3] = 1.0f;
  return Matrix(m, MatrixKind::General);
}

bool decomposeFrame(const D3DXMATRIX& m, Frame& frame) {
  D3DXVECTOR3 axes[3];
  float scale[3];
  for (int r = 0; r < 3; ++r) {
    axes[r] = row(m, r);
    scale[r] = D3DXVec3Length(&axes[r]);
    if (scale[r] != 0.0f) axes[r] = axes[r] / scale[r];
  }
  if (std::fabs(scale[0] + scale[1] + scale[2]) <= kDegenerateScaleSum) return false;
  // A row without length has no direction, so no rotation can be made of the three.
  if (scale[0] == 0.0f || scale[1] == 0.0f || scale[2] == 0.0f) return false;
  if (std::fabs(D3DXVec3Dot(&axes[2], &axes[1])) > kMaxAxisDot) return false;
  if (std::fabs(D3DXVec3Dot(&axes[2], &axes[0])) > kMaxAxisDot) return false;
  if (std::fabs(D3DXVec3Dot(&axes[1], &axes[0])) > kMaxAxisDot) return false;
  D3DXVECTOR3 c;
  D3DXVec3Cross(&c, &axes[1], &axes[2]);
  D3DXVec3Normalize(&c, &c);
  if (D3DXVec3Dot(&axes[0], &c) < 0.0f) {
    // Mirrored: keep the rotation proper and move the mirror into the X scale.
    scale[0] = -scale[0];
    axes[0] = -axes[0];
  }
  for (int r = 0; r < 3; ++r)
    frame.axes[r] = axes[r];
  frame.scale = D3DXVECTOR3(scale[0], scale[1], scale[2]);
  frame.position = row(m, 3);
  return true;
}

std::shared_ptr<NodeTransform> NodeTransform::fromNodeTM(const D3DXMATRIX& nodeTM) {
  auto transform = std::make_shared<NodeTransform>();
  if (!decomposeFrame(nodeTM, transform->frame_)) {
    transform->decomposed_ = false;
    transform->general_ = nodeTM;
  }
  return transform;
}

std::shared_ptr<NodeTransform> NodeTransform::general(const D3DXMATRIX& m) {
  auto transform = std::make_shared<NodeTransform>();
  transform->decomposed_ = false;
  transform->general_ = m;
  return transform;
}

Matrix NodeTransform::localMatrix() const {
  if (!decomposed_) return Matrix(general_, MatrixKind::General);
  return frame_.matrix();
}

void NodeTransform::ensureDecomposed() {
  if (decomposed_) return;
  Frame frame;
  if (!decomposeFrame(general_, frame)) frame = Frame{};
  frame_ = frame;
  decomposed_ = true;
}

void NodeTransform::setPosition(const D3DXVECTOR3& position) {
  ensureDecomposed();
  frame_.position = position;
}

void NodeTransform::setAxes(const D3DXVECTOR3& x, const D3DXVECTOR3& y, const D3DXVECTOR3& z) {
  ensureDecomposed();
  frame_.axes[0] = x;
  frame_.axes[1] = y;
  frame_.axes[2] = z;
}

void NodeTransform::setScale(const D3DXVECTOR3& scale) {
  ensureDecomposed();
  frame_.scale = scale;
}

Matrix RotationKeyTransform::localMatrix() const {
  const D3DXQUATERNION rotation = key_->asQuaternion();
  D3DXMATRIX m;
  D3DXMatrixRotationQuaternion(&m, &rotation);
  return Matrix(m, MatrixKind::Rotation);
}

} // namespace engine
