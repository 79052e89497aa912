#include "platform/sound/Spatial.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sound {
namespace {

constexpr int kModeRelative = 1;
constexpr int kModeOff = 2;
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

struct Axes {
  Vec3 right;
  Vec3 up;
  Vec3 front;
};

Axes listenerAxes(const ListenerFrame& listener) {
  Axes axes;
  axes.front = scaled(listener.front, 1.0f / length(listener.front));
  const Vec3 right = cross(listener.top, axes.front);
  axes.right = scaled(right, 1.0f / length(right));
  axes.up = cross(axes.front, axes.right);
  return axes;
}

// The gain of the sound cone for a listener in direction `toListener` from the source.
float coneGain(const Source3D& source, const Vec3& toListener) {
  const float inside = static_cast<float>(source.insideAngle);
  const float outside = std::max(inside, static_cast<float>(source.outsideAngle));
  const float orientationLength = length(source.orientation);
  const float distance = length(toListener);
  if (inside >= 360.0f || orientationLength < kTiny || distance < kTiny) return 1.0f;
  const float cosine = std::clamp(dot(source.orientation, toListener) / (orientationLength * distance), -1.0f, 1.0f);
  const float angle = 2.0f * std::acos(cosine) * 180.0f / std::numbers::pi_v<float>; // as a cone's full width
  const float outsideGain = static_cast<float>(source.outsideVolume) / 100.0f;
  if (angle <= inside) return 1.0f;
  if (angle >= outside) return outsideGain;
  const float t = (angle - inside) / (outside - inside);
  return 1.0f + t * (outsideGain - 1.0f);
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
  if (source.mode == kModeOff) return {};
  // The source in the listener's axes: x to the right ear, y up, z ahead.
  Vec3 local;
  Vec3 orientation = source.orientation;
  if (source.mode == kModeRelative) {
    local = source.position;
  } else {
    const Axes axes = listenerAxes(listener);
    const Vec3 offset = source.position - listener.position;
    local = {dot(offset, axes.right), dot(offset, axes.up), dot(offset, axes.front)};
    orientation = {dot(orientation, axes.right), dot(orientation, axes.up), dot(orientation, axes.front)};
  }
  const float distance = length(local);
  Source3D oriented = source;
  oriented.orientation = orientation;
  const float gain = distanceGain(distance, source.minDistance, source.maxDistance, rolloff) *
                     coneGain(oriented, scaled(local, -1.0f));
  const float balance = distance > kTiny ? local.x / distance : 0.0f;
  return {gain * std::sqrt(1.0f - kBalanceDepth * balance), gain * std::sqrt(1.0f + kBalanceDepth * balance)};
}

} // namespace sound
