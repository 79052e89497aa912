// A node's local transform as the scene file gives it: either a general matrix, or the
// decomposed form (position, three unit axis rows, per-axis scale) that animation can
// change channel by channel. Transforms are shared between holders (std::shared_ptr keeps
// the count in its own allocation).
#pragma once

#include <memory>

#include "engine/core/Matrix.h"
#include "engine/scene/Track.h"
#include "platform/d3dx9/d3dx9math.h"

namespace engine {

// A matrix split into scale, a proper rotation and a translation. A mirrored matrix keeps
// a proper rotation and carries the mirror as a negative X scale, so the rotation can
// always become a quaternion and the frame rebuilds the matrix it came from.
struct Frame {
  D3DXVECTOR3 scale{1.0f, 1.0f, 1.0f};
  D3DXVECTOR3 axes[3]{{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
  D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};

  // scale(x) * axis rows * translation(position).
  Matrix matrix() const;
};

// Splits `m` into a frame; false for a degenerate matrix (the scales sum to about 0 or an
// axis row has no length) or one whose axis rows are not orthogonal (a dot product of two
// normalised rows beyond 0.1). Such matrices can only be kept whole.
bool decomposeFrame(const D3DXMATRIX& m, Frame& frame);

class NodeTransform {
public:
  // The file's NodeTM: decomposed when it is a clean frame, kept whole otherwise.
  static std::shared_ptr<NodeTransform> fromNodeTM(const D3DXMATRIX& nodeTM);
  // Always a general matrix (the file's ObjectTM).
  static std::shared_ptr<NodeTransform> general(const D3DXMATRIX& m);

  NodeTransform() = default;
  virtual ~NodeTransform() = default;
  NodeTransform(const NodeTransform&) = default;
  NodeTransform& operator=(const NodeTransform&) = default;

  virtual Matrix localMatrix() const;

  bool isDecomposed() const { return decomposed_; }
  const Frame& frame() const { return frame_; }
  const D3DXMATRIX& generalMatrix() const { return general_; }

  // Setting a channel of a general transform decomposes it first (or, when it cannot be
  // decomposed, starts from the identity frame).
  void setPosition(const D3DXVECTOR3& position);
  void setAxes(const D3DXVECTOR3& x, const D3DXVECTOR3& y, const D3DXVECTOR3& z);
  void setScale(const D3DXVECTOR3& scale);

private:
  void ensureDecomposed();

  bool decomposed_ = true;
  Frame frame_;
  D3DXMATRIX general_{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

// A transform that follows a rotation key owned by someone else (the clock's hands): its
// local matrix is the key's rotation, a turn about the parent's axes through the parent's
// origin.
class RotationKeyTransform final : public NodeTransform {
public:
  // `key` must outlive the transform; the owner may change it at any time.
  explicit RotationKeyTransform(const AnimationKey* key) : key_(key) {}
  Matrix localMatrix() const override;

private:
  const AnimationKey* key_;
};

} // namespace engine
