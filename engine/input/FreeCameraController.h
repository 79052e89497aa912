// The camera the user flies when no tour plays, read from the input devices' key and button
// states and their pointer once a frame (it adds no listener). Keys: W and S forward and
// back, A and D sideways, Space up and Z down along the camera's up vector, the left Shift
// or Ctrl four times as fast. The pointer turns the view about the world's Z axis and tilts
// it, as if the room were dragged with it; with a mouse button held the pointer moves the
// camera instead (sideways, and forward when it moves up). Nothing moves while the input
// is inactive (the window lost the focus).
#pragma once

#include <cstdint>

#include "engine/input/InputDevices.h"
#include "platform/d3dx9/d3dx9math.h"

namespace engine {

class FreeCameraController {
public:
  // `speed`: units a millisecond; `turnSpeed` scales the turning.
  void init(const InputDevices* input, float speed, float turnSpeed);
  // Puts the camera there (the start, or where a tour left the view).
  void place(const D3DXVECTOR3& eye, const D3DXVECTOR3& direction, const D3DXVECTOR3& up);
  // Once a frame, after the input was polled and dispatched.
  void update(std::int64_t elapsedMs);

  const D3DXVECTOR3& eye() const { return eye_; }
  const D3DXVECTOR3& direction() const { return direction_; }
  const D3DXVECTOR3& up() const { return up_; }

  // Radians per pixel of pointer movement, before the turning speed.
  static constexpr float kTurnPerPixel = 0.00625f;
  static constexpr float kTiltPerPixel = 0.01f;
  static constexpr float kFastFactor = 4.0f;
  // Units per pixel of pointer movement with a button held, before the speed.
  static constexpr float kDragPerPixel = 10.0f;

private:
  D3DXVECTOR3 right() const;
  void turn(InputPoint delta);
  void drag(InputPoint delta);
  void fly(float step);
  void rotate(const D3DXMATRIX& rotation);

  const InputDevices* input_ = nullptr;
  float speed_ = 1.0f;
  float turnSpeed_ = 1.0f;
  D3DXVECTOR3 eye_{0.0f, 0.0f, 0.0f};
  D3DXVECTOR3 direction_{1.0f, 0.0f, 0.0f};
  D3DXVECTOR3 up_{0.0f, 0.0f, 1.0f};
  InputPoint lastPointer_;
  bool pointerKnown_ = false; // false: the next pointer reading starts from itself
};

} // namespace engine
