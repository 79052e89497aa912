// The clock's hands: local time to hand angles in single precision, and the rotation key
// (the scene's animation key type) each hand node carries as its transform.
#pragma once

#include "engine/scene/Track.h"
#include "platform/win32/windows.h"

namespace saver {

struct HandAngles {
  float minuteFraction = 0.0f; // of the hour
  float hourFraction = 0.0f;   // of the half day
  float hour = 0.0f;           // radians about (0, 1, 0)
  float minute = 0.0f;
};

// Every step is rounded to single precision before the next, so the hands land on the same
// angles on every machine; at 23:59:59.999 the hour fraction is exactly 1.
HandAngles handAngles(const SYSTEMTIME& localTime);

class ClockMechanism {
public:
  // Reads the local time and turns both hands to it.
  void update();
  void update(const SYSTEMTIME& localTime);

  // Keys at time 0 whose rotation turns the hand about (0, 1, 0); the hand nodes' transforms
  // follow them.
  const engine::AnimationKey& hourHandRotation() const { return hourHandRotation_; }
  const engine::AnimationKey& minuteHandRotation() const { return minuteHandRotation_; }

private:
  engine::AnimationKey hourHandRotation_ = engine::AnimationKey::rotation(0.0f, D3DXQUATERNION(0, 0, 0, 1));
  engine::AnimationKey minuteHandRotation_ = engine::AnimationKey::rotation(0.0f, D3DXQUATERNION(0, 0, 0, 1));
};

} // namespace saver
