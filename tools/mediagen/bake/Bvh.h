#pragma once
// A bounding-volume hierarchy over the room's triangles for the light-map baker: closest
// hits for bounce light, and shadow rays that pass through translucent cloth.

#include <cstdint>
#include <vector>

#include "tools/mediagen/room/Vec.h"

namespace tools {

struct BvhTriangle {
  Vec3 a, b, c;
  float transmission = 0; // 0 opaque; otherwise the share of light let through
  uint32_t id = 0;        // caller's triangle number
};

struct Hit {
  float t = 0;
  float u = 0, v = 0; // barycentrics of b and c
  uint32_t id = 0;
};

class Bvh {
public:
  explicit Bvh(std::vector<BvhTriangle> triangles);

  // Closest opaque-or-translucent hit along origin + t * dir for t in (tMin, tMax).
  bool closest(Vec3 origin, Vec3 dir, float tMin, float tMax, Hit& hit) const;
  // Light reaching the end of the segment: 1 unblocked, 0 blocked, in between through cloth.
  float transmittance(Vec3 origin, Vec3 dir, float tMin, float tMax) const;

  size_t triangleCount() const { return tris_.size(); }

private:
  struct Node {
    Vec3 lo, hi;
    uint32_t first = 0; // first triangle (leaf) or right child (inner)
    uint32_t count = 0; // 0 for an inner node
  };
  struct Prepared {
    Vec3 a, e1, e2;
    float transmission;
    uint32_t id;
  };
  uint32_t build(uint32_t first, uint32_t count, std::vector<Vec3>& centres);
  template <class Visit> void traverse(Vec3 origin, Vec3 dir, float tMin, float& tMax, Visit visit) const;

  std::vector<BvhTriangle> tris_;
  std::vector<Prepared> prepared_;
  std::vector<Node> nodes_;
};

} // namespace tools
