#pragma once
// Small value types for the media generators. World convention of the room: Z is up, one
// unit is one centimetre, and triangles wind clockwise seen from their front (left-handed).

#include <algorithm>
#include <cmath>

namespace tools {

struct Vec2 {
  float x = 0, y = 0;
  friend Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
  friend Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
  friend Vec2 operator*(Vec2 a, float s) { return {a.x * s, a.y * s}; }
  friend bool operator==(Vec2 a, Vec2 b) { return a.x == b.x && a.y == b.y; }
};

struct Vec3 {
  float x = 0, y = 0, z = 0;
  float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }
  float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
  Vec3& operator+=(Vec3 b) {
    x += b.x;
    y += b.y;
    z += b.z;
    return *this;
  }
  Vec3& operator*=(float s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
  }
  friend Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
  friend Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
  friend Vec3 operator-(Vec3 a) { return {-a.x, -a.y, -a.z}; }
  friend Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
  friend Vec3 operator*(float s, Vec3 a) { return {a.x * s, a.y * s, a.z * s}; }
  friend Vec3 operator*(Vec3 a, Vec3 b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
  friend bool operator==(Vec3 a, Vec3 b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
};

inline float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline float length(Vec3 a) { return std::sqrt(dot(a, a)); }
inline Vec3 normalize(Vec3 a) {
  float l = length(a);
  return l > 0 ? a * (1.0f / l) : Vec3{};
}
inline Vec3 lerp(Vec3 a, Vec3 b, float t) { return a + (b - a) * t; }
inline Vec3 vmin(Vec3 a, Vec3 b) { return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)}; }
inline Vec3 vmax(Vec3 a, Vec3 b) { return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)}; }

// Axis-aligned box, used for furniture footprints (tours) and bounding volumes (baking).
struct Box3 {
  Vec3 lo{1e30f, 1e30f, 1e30f};
  Vec3 hi{-1e30f, -1e30f, -1e30f};
  void add(Vec3 p) {
    lo = vmin(lo, p);
    hi = vmax(hi, p);
  }
  void add(const Box3& b) {
    lo = vmin(lo, b.lo);
    hi = vmax(hi, b.hi);
  }
  bool empty() const { return lo.x > hi.x; }
  bool contains(Vec3 p) const {
    return p.x >= lo.x && p.x <= hi.x && p.y >= lo.y && p.y <= hi.y && p.z >= lo.z && p.z <= hi.z;
  }
  Box3 grown(float d) const { return {lo - Vec3{d, d, d}, hi + Vec3{d, d, d}}; }
  Vec3 centre() const { return (lo + hi) * 0.5f; }
};

// An affine frame: local point p maps to origin + p.x * ax + p.y * ay + p.z * az.
struct Frame {
  Vec3 ax{1, 0, 0}, ay{0, 1, 0}, az{0, 0, 1};
  Vec3 origin{};
  Vec3 point(Vec3 p) const { return origin + ax * p.x + ay * p.y + az * p.z; }
  Vec3 vector(Vec3 v) const { return ax * v.x + ay * v.y + az * v.z; }
  // A rigid frame turned by `angle` radians about +Z (counter-clockwise seen from above).
  static Frame turnedZ(Vec3 origin, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    return {{c, s, 0}, {-s, c, 0}, {0, 0, 1}, origin};
  }
  Frame then(const Frame& inner) const {
    return {vector(inner.ax), vector(inner.ay), vector(inner.az), point(inner.origin)};
  }
};

constexpr float kPi = 3.14159265358979f;

} // namespace tools
