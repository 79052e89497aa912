// The render view's camera: projection and view parameters and the matrices made from
// them, recomputed lazily after a change.
#pragma once

#include "engine/core/Matrix.h"
#include "platform/d3dx9/d3dx9math.h"

namespace engine {

class Camera {
public:
  void setProjection(float nearPlane, float farPlane, float fov, float aspect);
  void setView(const D3DXVECTOR3& eye, const D3DXVECTOR3& direction, const D3DXVECTOR3& up);

  float nearPlane() const { return nearPlane_; }
  float farPlane() const { return farPlane_; }
  float fov() const { return fov_; } // vertical, radians
  float aspect() const { return aspect_; }
  const D3DXVECTOR3& eye() const { return eye_; }
  const D3DXVECTOR3& direction() const { return direction_; }
  const D3DXVECTOR3& up() const { return up_; }
  bool dirty() const { return dirty_; }

  const Matrix& projection();
  const Matrix& view();
  const Matrix& viewProjection(); // view x projection

private:
  void update();

  float nearPlane_ = 1.0f;
  float farPlane_ = 1000.0f;
  float fov_ = D3DX_PI / 4.0f;
  float aspect_ = 4.0f / 3.0f;
  D3DXVECTOR3 eye_{0.0f, 0.0f, 0.0f};
  D3DXVECTOR3 direction_{1.0f, 0.0f, 0.0f};
  D3DXVECTOR3 up_{0.0f, 0.0f, 1.0f};
  bool dirty_ = true;
  Matrix projection_;
  Matrix view_;
  Matrix viewProjection_;
};

} // namespace engine
