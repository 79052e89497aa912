#include "platform/sound/Spatial.h"

#include <algorithm>
#include <cmath>

namespace sound {
namespace {

// How far a source fully to one side pulls the balance: the far ear keeps sqrt(0.1), about
// -10 dB, and the near one gets sqrt(1.9), about +3 dB, as a head shadows a sound.
constexpr float kBalanceDepth = 0.9f;
constexpr float kTiny = 1.0e-6f;

Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float length(const Vec3& v) { return std::sqrt(dot(v, v)); }
Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec3 scaled(const Vec3& v, float factor) { return {v.x * factor, v.y * factor, v.z * factor}; }

// The listener's right ear axis, of unit length.
Vec3 rightAxis(const ListenerFrame& listener) {
  const Vec3 right = cross(listener.top, listener.front);
  return scaled(right, 1.0f / length(right));
}

} // namespace

float distanceGain(float distance, float minDistance, float maxDistance, float rolloff) {
  if (distance <= minDistance) return 1.0f;
  const float heard = std::min(distance, std::max(maxDistance, minDistance));
  return minDistance / (minDistance + rolloff * (heard - minDistance));
}

bool usableOrientation(const Vec3& front, const Vec3& top) {
  const float frontLength = length(front);
  const float topLength = length(top);
  if (!(frontLength > kTiny) || !(topLength > kTiny)) return false;
  return length(cross(top, front)) > kTiny * frontLength * topLength;
}

StereoGain spatialGain(const Source3D& source, const ListenerFrame& listener, float rolloff) {
  const Vec3 offset = source.position - listener.position;
  const float distance = length(offset);
  const float gain = distanceGain(distance, source.minDistance, source.maxDistance, rolloff);
  const float balance = distance > kTiny ? dot(offset, rightAxis(listener)) / distance : 0.0f;
  return {gain * std::sqrt(1.0f - kBalanceDepth * balance), gain * std::sqrt(1.0f + kBalanceDepth * balance)};
}

} // namespace sound
