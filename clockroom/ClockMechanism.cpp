#include "clockroom/ClockMechanism.h"

#include <cfloat>

#include "platform/win32/clock.h"

namespace saver {
namespace {

// The single-precision value the hands were made for.
constexpr float kPi = 3.1415927f;

// Every intermediate below must be a float, not a wider type: the hour fraction at
// 23:59:59.999 is exactly 1 only then.
static_assert(FLT_EVAL_METHOD == 0, "float arithmetic must round to float at every step");

engine::AnimationKey rotationAboutUp(float angle) {
  const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
  D3DXQUATERNION rotation;
  D3DXQuaternionRotationAxis(&rotation, &up, angle);
  return engine::AnimationKey::rotation(0.0f, rotation);
}

} // namespace

HandAngles handAngles(const SYSTEMTIME& localTime) {
  const float s = static_cast<float>(localTime.wMilliseconds) / 1000.0f;
  const float seconds = static_cast<float>(localTime.wSecond) + s;
  const float ofMinute = seconds / 60.0f;
  const float minutes = static_cast<float>(localTime.wMinute) + ofMinute;
  const float m = minutes / 60.0f;
  const float hours = static_cast<float>(localTime.wHour % 12) + m;
  const float h = hours / 12.0f;
  const float turn = 2.0f * kPi;
  const float minuteTurn = turn * m;
  HandAngles angles;
  angles.minuteFraction = m;
  angles.hourFraction = h;
  angles.hour = turn * h;
  // The minute-hand model points a quarter turn away from the hour hand's at rest.
  angles.minute = minuteTurn - kPi / 2.0f;
  return angles;
}

void ClockMechanism::update() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  update(now);
}

void ClockMechanism::update(const SYSTEMTIME& localTime) {
  const HandAngles angles = handAngles(localTime);
  hourHandRotation_ = rotationAboutUp(angles.hour);
  minuteHandRotation_ = rotationAboutUp(angles.minute);
}

} // namespace saver
