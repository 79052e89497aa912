#include "tools/mediagen/bake/Bvh.h"

#include <algorithm>
#include <cmath>

namespace tools {

namespace {

Box3 boundsOf(const BvhTriangle& t) {
  Box3 b;
  b.add(t.a);
  b.add(t.b);
  b.add(t.c);
  return b;
}

float area(const Box3& b) {
  if (b.empty()) return 0;
  Vec3 d = b.hi - b.lo;
  return d.x * d.y + d.y * d.z + d.z * d.x;
}

// Möller-Trumbore, both faces.
bool intersect(Vec3 o, Vec3 d, Vec3 a, Vec3 e1, Vec3 e2, float& t, float& u, float& v) {
  Vec3 p = cross(d, e2);
  float det = dot(e1, p);
  if (std::fabs(det) < 1e-9f) return false;
  float inv = 1.0f / det;
  Vec3 s = o - a;
  u = dot(s, p) * inv;
  if (u < 0 || u > 1) return false;
  Vec3 q = cross(s, e1);
  v = dot(d, q) * inv;
  if (v < 0 || u + v > 1) return false;
  t = dot(e2, q) * inv;
  return true;
}

bool slab(Vec3 lo, Vec3 hi, Vec3 o, Vec3 invD, float tMin, float tMax) {
  for (int i = 0; i < 3; ++i) {
    float t0 = (lo[i] - o[i]) * invD[i], t1 = (hi[i] - o[i]) * invD[i];
    if (t0 > t1) std::swap(t0, t1);
    tMin = std::max(tMin, t0);
    tMax = std::min(tMax, t1);
    if (tMin > tMax) return false;
  }
  return true;
}

} // namespace

Bvh::Bvh(std::vector<BvhTriangle> triangles) : tris_(std::move(triangles)) {
  if (tris_.empty()) return;
  std::vector<Vec3> centres(tris_.size());
  for (size_t i = 0; i < tris_.size(); ++i)
    centres[i] = (tris_[i].a + tris_[i].b + tris_[i].c) * (1.0f / 3.0f);
  nodes_.reserve(tris_.size() * 2);
  nodes_.push_back({});
  build(0, uint32_t(tris_.size()), centres);
  prepared_.reserve(tris_.size());
  for (const BvhTriangle& t : tris_)
    prepared_.push_back({t.a, t.b - t.a, t.c - t.a, t.transmission, t.id});
}

// Builds the node at the back of the list covering [first, first + count); binned SAH split.
uint32_t Bvh::build(uint32_t first, uint32_t count, std::vector<Vec3>& centres) {
  uint32_t index = uint32_t(nodes_.size() - 1);
  Box3 box, cbox;
  for (uint32_t i = first; i < first + count; ++i) {
    box.add(boundsOf(tris_[i]));
    cbox.add(centres[i]);
  }
  nodes_[index].lo = box.lo;
  nodes_[index].hi = box.hi;
  auto makeLeaf = [&] {
    nodes_[index].first = first;
    nodes_[index].count = count;
    return index;
  };
  if (count <= 4) return makeLeaf();
  constexpr int kBins = 12;
  float bestCost = area(box) * float(count);
  int bestAxis = -1, bestSplit = 0;
  for (int axis = 0; axis < 3; ++axis) {
    float extent = cbox.hi[axis] - cbox.lo[axis];
    if (extent <= 1e-6f) continue;
    Box3 bins[kBins];
    int counts[kBins] = {};
    for (uint32_t i = first; i < first + count; ++i) {
      int b = std::min(kBins - 1, int(float(kBins) * (centres[i][axis] - cbox.lo[axis]) / extent));
      bins[b].add(boundsOf(tris_[i]));
      ++counts[b];
    }
    for (int split = 1; split < kBins; ++split) {
      Box3 l, r;
      int nl = 0, nr = 0;
      for (int b = 0; b < split; ++b) {
        if (counts[b]) l.add(bins[b]);
        nl += counts[b];
      }
      for (int b = split; b < kBins; ++b) {
        if (counts[b]) r.add(bins[b]);
        nr += counts[b];
      }
      if (!nl || !nr) continue;
      float cost = area(l) * float(nl) + area(r) * float(nr) + area(box) * 0.5f;
      if (cost < bestCost) {
        bestCost = cost;
        bestAxis = axis;
        bestSplit = split;
      }
    }
  }
  if (bestAxis < 0) return makeLeaf();
  float extent = cbox.hi[bestAxis] - cbox.lo[bestAxis];
  uint32_t mid = first;
  for (uint32_t i = first; i < first + count; ++i) {
    int b = std::min(kBins - 1, int(float(kBins) * (centres[i][bestAxis] - cbox.lo[bestAxis]) / extent));
    if (b < bestSplit) {
      std::swap(tris_[i], tris_[mid]);
      std::swap(centres[i], centres[mid]);
      ++mid;
    }
  }
  nodes_.push_back({});
  build(first, mid - first, centres);
  uint32_t right = uint32_t(nodes_.size());
  nodes_.push_back({});
  build(mid, first + count - mid, centres);
  nodes_[index].first = right;
  nodes_[index].count = 0;
  return index;
}

template <class Visit> void Bvh::traverse(Vec3 o, Vec3 d, float tMin, float& tMax, Visit visit) const {
  if (nodes_.empty()) return;
  Vec3 invD{1.0f / (d.x != 0 ? d.x : 1e-20f), 1.0f / (d.y != 0 ? d.y : 1e-20f), 1.0f / (d.z != 0 ? d.z : 1e-20f)};
  uint32_t stack[64];
  int sp = 0;
  stack[sp++] = 0;
  while (sp > 0) {
    const Node& n = nodes_[stack[--sp]];
    if (!slab(n.lo, n.hi, o, invD, tMin, tMax)) continue;
    if (n.count) {
      for (uint32_t i = n.first; i < n.first + n.count; ++i) {
        if (!visit(i, tMax)) return;
      }
    } else {
      uint32_t left = uint32_t(&n - nodes_.data()) + 1, right = n.first;
      if (sp < 62) {
        stack[sp++] = right;
        stack[sp++] = left;
      }
    }
  }
}

bool Bvh::closest(Vec3 o, Vec3 d, float tMin, float tMax, Hit& hit) const {
  bool found = false;
  traverse(o, d, tMin, tMax, [&](uint32_t i, float& limit) {
    const Prepared& p = prepared_[i];
    float t, u, v;
    if (intersect(o, d, p.a, p.e1, p.e2, t, u, v) && t > tMin && t < limit) {
      limit = t;
      hit = {t, u, v, p.id};
      found = true;
    }
    return true;
  });
  return found;
}

float Bvh::transmittance(Vec3 o, Vec3 d, float tMin, float tMax) const {
  float light = 1.0f;
  traverse(o, d, tMin, tMax, [&](uint32_t i, float& limit) {
    const Prepared& p = prepared_[i];
    float t, u, v;
    if (intersect(o, d, p.a, p.e1, p.e2, t, u, v) && t > tMin && t < limit) {
      light *= p.transmission;
      if (light <= 0.0f) return false;
    }
    return true;
  });
  return light;
}

} // namespace tools
