// The clock's hands: local time to hand angles in single precision, and the rotation key
// each hand node carries as its transform.
#pragma once

#include "platform/d3dx9/d3dx9math.h"
#include "platform/win32/windows.h"

namespace saver {

// A keyframe of a node's rotation as the scene's animation tracks store it: a time, the
// rotation and three further floats that stay 0 here.
struct RotationKey {
  float time = 0.0f;
  D3DXQUATERNION rotation{0.0f, 0.0f, 0.0f, 1.0f};
  float extra[3] = {0.0f, 0.0f, 0.0f};
};

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

  const RotationKey& hourHandRotation() const { return hourHandRotation_; }
  const RotationKey& minuteHandRotation() const { return minuteHandRotation_; }

private:
  RotationKey hourHandRotation_;
  RotationKey minuteHandRotation_;
};

} // namespace saver
