#include "engine/render/Camera.h"

namespace engine {

void Camera::setProjection(float nearPlane, float farPlane, float fov, float aspect) {
  nearPlane_ = nearPlane;
  farPlane_ = farPlane;
  fov_ = fov;
  aspect_ = aspect;
  dirty_ = true;
}

void Camera::setView(const D3DXVECTOR3& eye, const D3DXVECTOR3& direction, const D3DXVECTOR3& up) {
  eye_ = eye;
  direction_ = direction;
  up_ = up;
  dirty_ = true;
}

void Camera::update() {
  if (!dirty_) return;
  D3DXMATRIX projection;
  D3DXMatrixPerspectiveFovLH(&projection, fov_, aspect_, nearPlane_, farPlane_);
  const D3DXVECTOR3 at = eye_ + direction_;
  D3DXMATRIX view;
  D3DXMatrixLookAtLH(&view, &eye_, &at, &up_);
  projection_ = Matrix(projection);
  view_ = Matrix(view);
  multiply(viewProjection_, view_, projection_);
  viewProjection_.kind = MatrixKind::General;
  dirty_ = false;
}

const Matrix& Camera::projection() {
  update();
  return projection_;
}

const Matrix& Camera::view() {
  update();
  return view_;
}

const Matrix& Camera::viewProjection() {
  update();
  return viewProjection_;
}

} // namespace engine
