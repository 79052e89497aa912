#include "engine/scene/Track.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace engine {

namespace {

// Keys closer than this give the first key's value instead of a fraction of nothing.
constexpr float kShortestInterval = 0.0001f;

D3DXQUATERNION slerp(const D3DXQUATERNION& a, const D3DXQUATERNION& b, float t) {
  D3DXQUATERNION out;
  D3DXQuaternionSlerp(&out, &a, &b, t);
  return out;
}

// The difference towards the previous and the next key of a vector key; a missing side
// repeats the one that exists.
void sideDifferences(const AnimationKey& key, const AnimationKey* previous, const AnimationKey* next,
                     D3DXVECTOR3& fromPrevious, D3DXVECTOR3& toNext) {
  const D3DXVECTOR3 p = key.asVector();
  if (previous) fromPrevious = p - previous->asVector();
  if (next) toNext = next->asVector() - p;
  if (!previous) fromPrevious = next ? toNext : D3DXVECTOR3();
  if (!next) toNext = previous ? fromPrevious : D3DXVECTOR3();
}

D3DXVECTOR3 outgoingTangent(const AnimationKey& key, const AnimationKey* previous, const AnimationKey* next) {
  D3DXVECTOR3 a, b;
  sideDifferences(key, previous, next, a, b);
  const float t = key.tension, c = key.continuity, bias = key.bias;
  return (a * ((1 + c) * (1 + bias) / 2) + b * ((1 - c) * (1 - bias) / 2)) * (1 - t);
}

D3DXVECTOR3 incomingTangent(const AnimationKey& key, const AnimationKey* previous, const AnimationKey* next) {
  D3DXVECTOR3 a, b;
  sideDifferences(key, previous, next, a, b);
  const float t = key.tension, c = key.continuity, bias = key.bias;
  return (a * ((1 - c) * (1 + bias) / 2) + b * ((1 + c) * (1 - bias) / 2)) * (1 - t);
}

// The neighbours of a rotation key; a missing one is the mirror of the other through the key.
void rotationNeighbours(const AnimationKey& key, const AnimationKey* previous, const AnimationKey* next,
                        D3DXQUATERNION& p, D3DXQUATERNION& n) {
  const D3DXQUATERNION q = key.asQuaternion();
  p = previous ? previous->asQuaternion() : q;
  n = next ? next->asQuaternion() : q;
  if (!previous && next) p = slerp(q, n, -1.0f);
  if (!next && previous) n = slerp(q, p, -1.0f);
}

void rotationControls(const AnimationKey& key, const AnimationKey* previous, const AnimationKey* next,
                      D3DXQUATERNION& outgoing, D3DXQUATERNION& incoming) {
  const D3DXQUATERNION q = key.asQuaternion();
  D3DXQUATERNION p, n;
  rotationNeighbours(key, previous, next, p, n);
  const float t = key.tension, c = key.continuity, b = key.bias;
  const D3DXQUATERNION g1 = slerp(q, p, -(1 + b) / 3);
  const D3DXQUATERNION g2 = slerp(q, n, (1 - b) / 3);
  outgoing = slerp(q, slerp(g1, g2, 0.5f - c / 2), 1 - t);
  incoming = slerp(q, slerp(g1, g2, (1 + c) / 2), t - 1);
}

} // namespace

bool AnimationKey::fromBytes(std::string_view bytes, AnimationKey& key) {
  if (bytes.empty()) return false;
  float floats[8] = {};
  std::memcpy(floats, bytes.data(), std::min(bytes.size(), sizeof floats));
  key = AnimationKey{};
  key.time = floats[0];
  std::memcpy(key.value, floats + 1, sizeof key.value);
  key.tension = floats[5];
  key.continuity = floats[6];
  key.bias = floats[7];
  return true;
}

AnimationKey AnimationKey::vector(float time, const D3DXVECTOR3& v) {
  AnimationKey key;
  key.time = time;
  key.value[0] = v.x;
  key.value[1] = v.y;
  key.value[2] = v.z;
  return key;
}

AnimationKey AnimationKey::rotation(float time, const D3DXQUATERNION& q) {
  AnimationKey key;
  key.time = time;
  key.value[0] = q.x;
  key.value[1] = q.y;
  key.value[2] = q.z;
  key.value[3] = q.w;
  return key;
}

float easeFraction(float u, float e1, float e2) {
  const float sum = e1 + e2;
  if (sum == 0.0f) return u;
  if (sum > 1.0f) {
    e1 /= sum;
    e2 /= sum;
  }
  const float h = 1.0f / (2.0f - e1 - e2);
  if (u < e1) return h * u * u / e1;
  // Without an ease-out the middle line runs to the end (u = 1 would divide 0 by 0).
  if (u < 1.0f - e2 || e2 == 0.0f) return h * (2.0f * u - e1);
  return 1.0f - h * (1.0f - u) * (1.0f - u) / e2;
}

void Track::setFlags(std::uint32_t flags) {
  if ((flags ^ flags_) & kTrackCyclic) segments_.clear();
  flags_ = flags;
}

bool Track::addKey(const AnimationKey& key) {
  if (!std::isfinite(key.time)) return false;
  auto at = std::upper_bound(keys_.begin(), keys_.end(), key.time,
                             [](float time, const AnimationKey& k) { return time < k.time; });
  keys_.insert(at, key);
  segments_.clear();
  return true;
}

void Track::clear() {
  keys_.clear();
  segments_.clear();
}

bool Track::timeRange(float& start, float& end) const {
  if (keys_.empty()) return false;
  start = keys_.front().time;
  end = keys_.back().time;
  return true;
}

bool Track::locate(float& t, std::size_t& index, float& u) const {
  if (flags_ & kTrackWrap) t = wrapTime(t, keys_.front().time, keys_.back().time);
  if (!(t > keys_.front().time)) {
    index = 0;
    return false;
  }
  if (t >= keys_.back().time) {
    index = keys_.size() - 1;
    return false;
  }
  auto after =
      std::upper_bound(keys_.begin(), keys_.end(), t, [](float time, const AnimationKey& k) { return time < k.time; });
  index = std::size_t(after - keys_.begin()) - 1;
  const AnimationKey& k1 = keys_[index];
  const AnimationKey& k2 = keys_[index + 1];
  if (k1.time == t || std::fabs(k2.time - k1.time) <= kShortestInterval) return false;
  u = easeFraction((t - k1.time) / (k2.time - k1.time), k1.easeFrom, k2.easeTo);
  return true;
}

const AnimationKey* Track::previousOf(std::size_t i) const {
  if (i > 0) return &keys_[i - 1];
  return (flags_ & kTrackCyclic) && keys_.size() > 1 ? &keys_.back() : nullptr;
}

const AnimationKey* Track::nextOf(std::size_t i) const {
  if (i + 1 < keys_.size()) return &keys_[i + 1];
  return (flags_ & kTrackCyclic) && keys_.size() > 1 ? &keys_.front() : nullptr;
}

const Track::Segment& Track::segment(std::size_t i) const {
  if (segments_.size() != keys_.size()) segments_.assign(keys_.size(), Segment{});
  Segment& s = segments_[i];
  if (s.ready) return s;
  const AnimationKey& k1 = keys_[i];
  const AnimationKey& k2 = keys_[i + 1];
  if (kind_ == TrackKind::Rotation) {
    D3DXQUATERNION unused;
    rotationControls(k1, previousOf(i), &k2, s.c1, unused);
    rotationControls(k2, &k1, nextOf(i + 1), unused, s.c2);
  } else {
    s.outgoing = outgoingTangent(k1, previousOf(i), &k2);
    s.incoming = incomingTangent(k2, &k1, nextOf(i + 1));
  }
  s.ready = true;
  return s;
}

bool Track::evaluateVector(float t, D3DXVECTOR3& out) const {
  if (keys_.empty() || kind_ == TrackKind::Rotation) return false;
  std::size_t i = 0;
  float u = 0.0f;
  if (!locate(t, i, u)) {
    out = keys_[i].asVector();
    return true;
  }
  const D3DXVECTOR3 p1 = keys_[i].asVector();
  const D3DXVECTOR3 p2 = keys_[i + 1].asVector();
  if (flags_ & kTrackLinear) {
    out = p1 + (p2 - p1) * u;
    return true;
  }
  const Segment& s = segment(i);
  const float u2 = u * u, u3 = u2 * u;
  out = p1 * (2 * u3 - 3 * u2 + 1) + s.outgoing * (u3 - 2 * u2 + u) + p2 * (-2 * u3 + 3 * u2) + s.incoming * (u3 - u2);
  return true;
}

bool Track::evaluateRotation(float t, D3DXQUATERNION& out) const {
  if (keys_.empty() || kind_ != TrackKind::Rotation) return false;
  std::size_t i = 0;
  float u = 0.0f;
  if (!locate(t, i, u)) {
    out = keys_[i].asQuaternion();
    return true;
  }
  const D3DXQUATERNION q1 = keys_[i].asQuaternion();
  const D3DXQUATERNION q2 = keys_[i + 1].asQuaternion();
  if (flags_ & kTrackLinear) {
    out = slerp(q1, q2, u);
  } else {
    const Segment& s = segment(i);
    const D3DXQUATERNION a = slerp(q1, s.c1, u), b = slerp(s.c1, s.c2, u), c = slerp(s.c2, q2, u);
    out = slerp(slerp(a, b, u), slerp(b, c, u), u);
  }
  // Slerp between close quaternions falls back to a straight blend, which is a little
  // short of unit length, and six of them in a row shrink the turn into a scaling.
  D3DXQuaternionNormalize(&out, &out);
  return true;
}

bool Track::evaluate(float t, Matrix& out) const {
  D3DXMATRIX m;
  if (kind_ == TrackKind::Rotation) {
    D3DXQUATERNION q;
    if (!evaluateRotation(t, q)) return false;
    D3DXMatrixRotationQuaternion(&m, &q);
    out = Matrix(m, MatrixKind::Rotation);
    return true;
  }
  D3DXVECTOR3 v;
  if (!evaluateVector(t, v)) return false;
  if (kind_ == TrackKind::Position) {
    D3DXMatrixTranslation(&m, v.x, v.y, v.z);
    out = Matrix(m, MatrixKind::Translation);
  } else {
    D3DXMatrixScaling(&m, v.x, v.y, v.z);
    out = Matrix(m, MatrixKind::Scaling);
  }
  return true;
}

} // namespace engine
