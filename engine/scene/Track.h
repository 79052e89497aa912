// One keyframed channel of an animation: positions, scales or rotations over time, read
// linearly or along a tension/continuity/bias spline.
#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/core/Matrix.h"
#include "platform/d3dx9/d3dx9math.h"

namespace engine {

// A key as files store it (32 bytes: the time in seconds, then seven floats): x, y, z of a
// position or scale, or x, y, z, w of a rotation quaternion, then tension, continuity and
// bias. Easing is not stored in files; code may set it.
struct AnimationKey {
  float time = 0.0f;
  float value[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float tension = 0.0f;
  float continuity = 0.0f;
  float bias = 0.0f;
  float easeFrom = 0.0f; // slows the start of the interval that begins at this key
  float easeTo = 0.0f;   // slows the end of the interval that ends at this key

  // The key from up to 32 bytes of a file's value (missing floats stay 0); false when
  // there are no bytes.
  static bool fromBytes(std::string_view bytes, AnimationKey& key);
  static AnimationKey vector(float time, const D3DXVECTOR3& v);
  static AnimationKey rotation(float time, const D3DXQUATERNION& q);

  D3DXVECTOR3 asVector() const { return D3DXVECTOR3(value[0], value[1], value[2]); }
  D3DXQUATERNION asQuaternion() const { return D3DXQUATERNION(value[0], value[1], value[2], value[3]); }
};

enum class TrackKind { Position, Rotation, Scale };

// Track flags.
constexpr std::uint32_t kTrackCyclic = 1; // the ends' missing neighbours come from the other end
constexpr std::uint32_t kTrackWrap = 2;   // times outside the keys wrap into their range
constexpr std::uint32_t kTrackLinear = 4; // straight lines (slerp for rotations) between keys

// start + ((t - start) modulo (end - start)), the remainder taken non-negative; `start`
// when the range is empty. Key times wrap as floats; a player's clock wraps as a double,
// since it runs for days and float seconds would make a swing stutter long before that.
template <class T> T wrapTime(T t, T start, T end) {
  const T length = end - start;
  if (!(length > T(0))) return start;
  T r = std::fmod(t - start, length);
  if (r < T(0)) r += length;
  if (r >= length) r = T(0); // rounding of a tiny negative remainder
  return start + r;
}

// Easing of the fraction u of an interval with ease-in e1 (its start) and ease-out e2
// (its end).
float easeFraction(float u, float e1, float e2);

class Track {
public:
  explicit Track(TrackKind kind) : kind_(kind) {}

  TrackKind kind() const { return kind_; }
  std::uint32_t flags() const { return flags_; }
  void setFlags(std::uint32_t flags);
  void addFlags(std::uint32_t flags) { setFlags(flags_ | flags); }

  // Keys stay sorted by time; a key at the time of existing ones goes after them. A key
  // whose time is not a finite number (a damaged file) is refused: it has no place in the
  // order.
  bool addKey(const AnimationKey& key);
  void clear();
  const std::vector<AnimationKey>& keys() const { return keys_; }
  bool empty() const { return keys_.empty(); }

  // First and last key time; false without keys.
  bool timeRange(float& start, float& end) const;

  bool evaluateVector(float t, D3DXVECTOR3& out) const;
  bool evaluateRotation(float t, D3DXQUATERNION& out) const;
  // The channel as a matrix: a translation, a scaling or a rotation.
  bool evaluate(float t, Matrix& out) const;

private:
  // The inner control values of the spline between key i and key i + 1.
  struct Segment {
    bool ready = false;
    D3DXVECTOR3 outgoing; // tangent leaving key i
    D3DXVECTOR3 incoming; // tangent arriving at key i + 1
    D3DXQUATERNION c1;    // outgoing control of key i
    D3DXQUATERNION c2;    // incoming control of key i + 1
  };

  // Finds the interval of t: false with `index` the key to use as it is (before the first,
  // after the last, on a key or too short an interval); true with the interval's first key
  // in `index` and the eased fraction in `u`.
  bool locate(float& t, std::size_t& index, float& u) const;
  const AnimationKey* previousOf(std::size_t i) const;
  const AnimationKey* nextOf(std::size_t i) const;
  const Segment& segment(std::size_t i) const;

  TrackKind kind_;
  std::uint32_t flags_ = 0;
  std::vector<AnimationKey> keys_;
  mutable std::vector<Segment> segments_;
};

} // namespace engine
