#include "engine/input/FreeCameraController.h"

#include <algorithm>

namespace engine {
namespace {

D3DXVECTOR3 normalized(const D3DXVECTOR3& v) {
  D3DXVECTOR3 out;
  D3DXVec3Normalize(&out, &v);
  return out;
}

} // namespace

void FreeCameraController::init(const InputDevices* input, float speed, float turnSpeed) {
  input_ = input;
  speed_ = speed;
  turnSpeed_ = turnSpeed;
  pointerKnown_ = false;
}

void FreeCameraController::place(const D3DXVECTOR3& eye, const D3DXVECTOR3& direction, const D3DXVECTOR3& up) {
  eye_ = eye;
  direction_ = normalized(direction);
  up_ = normalized(up);
}

D3DXVECTOR3 FreeCameraController::right() const {
  // Left-handed: up x forward points to the right of the view.
  D3DXVECTOR3 out;
  D3DXVec3Cross(&out, &up_, &direction_);
  return normalized(out);
}

void FreeCameraController::rotate(const D3DXMATRIX& rotation) {
  D3DXVec3TransformNormal(&direction_, &direction_, &rotation);
  D3DXVec3TransformNormal(&up_, &up_, &rotation);
  direction_ = normalized(direction_);
  up_ = normalized(up_);
}

void FreeCameraController::turn(InputPoint delta) {
  if (delta.x != 0.0f) {
    D3DXMATRIX rotation;
    D3DXMatrixRotationZ(&rotation, -delta.x * kTurnPerPixel * turnSpeed_);
    rotate(rotation);
  }
  if (delta.y != 0.0f) {
    // A positive tilt raises the view; D3DX turns the view down for a positive angle about
    // its right axis.
    const D3DXVECTOR3 axis = right();
    D3DXMATRIX rotation;
    D3DXMatrixRotationAxis(&rotation, &axis, -delta.y * kTiltPerPixel * turnSpeed_);
    rotate(rotation);
  }
}

void FreeCameraController::drag(InputPoint delta) {
  const float perPixel = kDragPerPixel * speed_;
  eye_ -= right() * (delta.x * perPixel);
  eye_ -= direction_ * (delta.y * perPixel);
}

void FreeCameraController::fly(float step) {
  const auto held = [this](int dik) { return input_->isKeyDown(dik) ? 1.0f : 0.0f; };
  eye_ += direction_ * ((held(DIK_W) - held(DIK_S)) * step);
  eye_ += right() * ((held(DIK_D) - held(DIK_A)) * step);
  eye_ += up_ * ((held(DIK_SPACE) - held(DIK_Z)) * step);
}

void FreeCameraController::update(std::int64_t elapsedMs) {
  if (!input_ || !input_->isActive()) {
    pointerKnown_ = false;
    return;
  }
  const InputPoint pointer = input_->pointer();
  const InputPoint delta = pointerKnown_ ? pointer - lastPointer_ : InputPoint{};
  lastPointer_ = pointer;
  pointerKnown_ = true;
  if (input_->isLeftButtonDown() || input_->isRightButtonDown())
    drag(delta);
  else
    turn(delta);

  const bool fast = input_->isKeyDown(DIK_LSHIFT) || input_->isKeyDown(DIK_LCONTROL);
  const float step = speed_ * static_cast<float>(std::max<std::int64_t>(elapsedMs, 0)) * (fast ? kFastFactor : 1.0f);
  fly(step);
}

} // namespace engine
