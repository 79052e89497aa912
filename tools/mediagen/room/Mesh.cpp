#include "tools/mediagen/room/Mesh.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <tuple>

namespace tools {

Box3 Mesh::bounds() const {
  Box3 b;
  for (const Vertex& v : vertices)
    b.add(v.position);
  return b;
}

void Mesh::append(const Mesh& other) {
  auto base = uint32_t(vertices.size());
  vertices.insert(vertices.end(), other.vertices.begin(), other.vertices.end());
  for (uint32_t i : other.indices)
    indices.push_back(base + i);
}

Vertex MeshBuilder::make(Vec3 localPos, Vec3 localNormal, Vec2 uv) const {
  Vertex v;
  v.position = localPos;
  v.normal = localNormal;
  v.uv = uv;
  return v;
}

bool MeshBuilder::mirrored() const { return dot(cross(frame_.ax, frame_.ay), frame_.az) < 0; }

Vec2 MeshBuilder::planarUv(Vec3 p, Vec3 n) const {
  int d = 0;
  if (std::fabs(n.y) > std::fabs(n[d])) d = 1;
  if (std::fabs(n.z) > std::fabs(n[d])) d = 2;
  int a = (d + 1) % 3, b = (d + 2) % 3;
  if (a > b) std::swap(a, b);
  // Grain runs along v when the grain axis lies in the face; end grain keeps (a, b).
  int u = a, v = b;
  if (grain_ == a) {
    u = b;
    v = a;
  }
  return Vec2{p[u] / repeat_ + uvOffset_.x, -p[v] / repeat_ + uvOffset_.y};
}

void MeshBuilder::emit(Vertex a, Vertex b, Vertex c) {
  Vertex* vs[3] = {&a, &b, &c};
  for (Vertex* v : vs) {
    v->position = frame_.point(v->position);
    v->normal = normalize(frame_.vector(v->normal));
  }
  if (mirrored()) std::swap(b, c);
  auto base = uint32_t(mesh_.vertices.size());
  mesh_.vertices.push_back(a);
  mesh_.vertices.push_back(b);
  mesh_.vertices.push_back(c);
  mesh_.indices.insert(mesh_.indices.end(), {base, base + 1, base + 2});
}

void MeshBuilder::triangle(const Vertex& a, const Vertex& b, const Vertex& c) {
  Vec3 g = cross(b.position - a.position, c.position - a.position);
  if (length(g) < 1e-9f) return; // degenerate (a lathe pole): nothing to draw
  Vec3 want = a.normal + b.normal + c.normal;
  if (dot(g, want) >= 0)
    emit(a, b, c);
  else
    emit(a, c, b);
}

void MeshBuilder::triangle(Vec3 a, Vec3 b, Vec3 c, Vec3 normal) {
  Vec3 g = cross(b - a, c - a);
  if (length(g) < 1e-9f) return;
  Vec3 n = normalize(g);
  if (dot(n, normal) < 0) {
    std::swap(b, c);
    n = -n;
  }
  // Planar texture coordinates come from the local position so a moving part keeps them.
  emit(make(a, n, planarUv(a, n)), make(b, n, planarUv(b, n)), make(c, n, planarUv(c, n)));
}

void MeshBuilder::quad(Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, Vec3 normal) {
  triangle(p0, p1, p2, normal);
  triangle(p0, p2, p3, normal);
}

void MeshBuilder::quadUv(Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, Vec2 t0, Vec2 t1, Vec2 t2, Vec2 t3, Vec3 normal) {
  Vec3 n = normalize(normal);
  Vertex v0 = make(p0, n, t0), v1 = make(p1, n, t1), v2 = make(p2, n, t2), v3 = make(p3, n, t3);
  triangle(v0, v1, v2);
  triangle(v0, v2, v3);
}

void MeshBuilder::box(Vec3 lo, Vec3 hi, unsigned faces) {
  Vec3 c[8];
  for (int i = 0; i < 8; ++i)
    c[i] = {(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
  if (faces & kFaceNegX) quad(c[0], c[2], c[6], c[4], {-1, 0, 0});
  if (faces & kFacePosX) quad(c[1], c[3], c[7], c[5], {1, 0, 0});
  if (faces & kFaceNegY) quad(c[0], c[1], c[5], c[4], {0, -1, 0});
  if (faces & kFacePosY) quad(c[2], c[3], c[7], c[6], {0, 1, 0});
  if (faces & kFaceNegZ) quad(c[0], c[1], c[3], c[2], {0, 0, -1});
  if (faces & kFacePosZ) quad(c[4], c[5], c[7], c[6], {0, 0, 1});
}

void MeshBuilder::insideBox(Vec3 lo, Vec3 hi, unsigned faces) {
  Vec3 c[8];
  for (int i = 0; i < 8; ++i)
    c[i] = {(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
  if (faces & kFaceNegX) quad(c[0], c[2], c[6], c[4], {1, 0, 0});
  if (faces & kFacePosX) quad(c[1], c[3], c[7], c[5], {-1, 0, 0});
  if (faces & kFaceNegY) quad(c[0], c[1], c[5], c[4], {0, 1, 0});
  if (faces & kFacePosY) quad(c[2], c[3], c[7], c[6], {0, -1, 0});
  if (faces & kFaceNegZ) quad(c[0], c[1], c[3], c[2], {0, 0, 1});
  if (faces & kFacePosZ) quad(c[4], c[5], c[7], c[6], {0, 0, -1});
}

void MeshBuilder::bevelBox(Vec3 lo, Vec3 hi, float bevel) {
  float b = std::min({bevel, (hi.x - lo.x) * 0.45f, (hi.y - lo.y) * 0.45f, (hi.z - lo.z) * 0.45f});
  Vec3 c = (lo + hi) * 0.5f, h = (hi - lo) * 0.5f;
  // A corner of the inset box: signs (sx, sy, sz), with axis `a` pushed out to the face.
  auto pt = [&](float sx, float sy, float sz, int out) {
    Vec3 p{c.x + sx * (h.x - b), c.y + sy * (h.y - b), c.z + sz * (h.z - b)};
    if (out == 0) p.x = c.x + sx * h.x;
    if (out == 1) p.y = c.y + sy * h.y;
    if (out == 2) p.z = c.z + sz * h.z;
    return p;
  };
  const float sg[2] = {-1, 1};
  // Six faces.
  for (int a = 0; a < 3; ++a) {
    for (float s : sg) {
      Vec3 n{};
      n[a] = s;
      int u = (a + 1) % 3, v = (a + 2) % 3;
      Vec3 q[4];
      float us[4] = {-1, 1, 1, -1}, vs[4] = {-1, -1, 1, 1};
      for (int k = 0; k < 4; ++k) {
        float sgn[3];
        sgn[a] = s;
        sgn[u] = us[k];
        sgn[v] = vs[k];
        q[k] = pt(sgn[0], sgn[1], sgn[2], a);
      }
      quad(q[0], q[1], q[2], q[3], n);
    }
  }
  // Twelve edge chamfers: the edge along axis e at signs (su, sv) of the other two axes.
  for (int e = 0; e < 3; ++e) {
    int u = (e + 1) % 3, v = (e + 2) % 3;
    for (float su : sg) {
      for (float sv : sg) {
        Vec3 n{};
        n[u] = su;
        n[v] = sv;
        Vec3 q[4];
        float es[4] = {-1, 1, 1, -1};
        int outs[4] = {u, u, v, v};
        for (int k = 0; k < 4; ++k) {
          float sgn[3];
          sgn[e] = es[k];
          sgn[u] = su;
          sgn[v] = sv;
          q[k] = pt(sgn[0], sgn[1], sgn[2], outs[k]);
        }
        quad(q[0], q[1], q[2], q[3], normalize(n));
      }
    }
  }
  // Eight corner triangles.
  for (float sx : sg) {
    for (float sy : sg) {
      for (float sz : sg) {
        triangle(pt(sx, sy, sz, 0), pt(sx, sy, sz, 1), pt(sx, sy, sz, 2), normalize({sx, sy, sz}));
      }
    }
  }
}

void MeshBuilder::lathe(const std::vector<Vec2>& profile, int segments, float cmPerRepeat, bool smooth) {
  if (profile.size() < 2 || segments < 3) return;
  // Profile distance for v, and per-point normals in the (r, z) plane.
  std::vector<float> along(profile.size(), 0.0f);
  for (size_t i = 1; i < profile.size(); ++i) {
    Vec2 d = profile[i] - profile[i - 1];
    along[i] = along[i - 1] + std::sqrt(d.x * d.x + d.y * d.y);
  }
  auto segNormal = [&](size_t i) { // normal of the segment i -> i + 1 in (r, z)
    Vec2 d = profile[i + 1] - profile[i];
    Vec2 n{d.y, -d.x};
    float l = std::sqrt(n.x * n.x + n.y * n.y);
    return l > 0 ? n * (1.0f / l) : Vec2{1, 0};
  };
  float rMax = 0;
  for (Vec2 p : profile)
    rMax = std::max(rMax, p.x);
  float circumference = 2 * kPi * std::max(rMax, 0.1f);
  for (size_t i = 0; i + 1 < profile.size(); ++i) {
    Vec2 n0 = segNormal(i), n1 = n0;
    if (smooth) {
      if (i > 0) {
        Vec2 p = segNormal(i - 1);
        n0 = n0 + p;
      }
      if (i + 2 < profile.size()) {
        Vec2 q = segNormal(i + 1);
        n1 = n1 + q;
      }
    }
    for (int s = 0; s < segments; ++s) {
      float a0 = 2 * kPi * float(s) / float(segments), a1 = 2 * kPi * float(s + 1) / float(segments);
      auto vert = [&](size_t k, float ang, Vec2 n2) {
        Vec2 p = profile[k];
        float c = std::cos(ang), sn = std::sin(ang);
        Vec3 pos{p.x * c, p.x * sn, p.y};
        Vec3 nrm = normalize(Vec3{n2.x * c, n2.x * sn, n2.y});
        if (!smooth) {
          float am = (a0 + a1) * 0.5f;
          Vec2 fn = segNormal(i);
          nrm = normalize(Vec3{fn.x * std::cos(am), fn.x * std::sin(am), fn.y});
        }
        return make(pos, nrm, {ang / (2 * kPi) * circumference / cmPerRepeat, along[k] / cmPerRepeat});
      };
      Vertex v00 = vert(i, a0, n0), v01 = vert(i, a1, n0), v10 = vert(i + 1, a0, n1), v11 = vert(i + 1, a1, n1);
      triangle(v00, v01, v11);
      triangle(v00, v11, v10);
    }
  }
}

void MeshBuilder::sweep(const std::vector<Vec2>& profile, const std::vector<Vec3>& path, Vec3 up, bool closed,
                        float cmPerRepeat) {
  size_t n = path.size();
  if (n < 2 || profile.size() < 2) return;
  up = normalize(up);
  auto dir = [&](size_t i) { return normalize(path[(i + 1) % n] - path[i]); };
  // Side vector at each path point: mitred between the incoming and outgoing directions.
  std::vector<Vec3> side(n);
  std::vector<float> along(n + 1, 0.0f);
  for (size_t i = 0; i < n; ++i) {
    Vec3 dOut = (i + 1 < n || closed) ? dir(i) : dir(i - 1);
    Vec3 dIn = (i > 0) ? dir(i - 1) : (closed ? dir(n - 1) : dOut);
    Vec3 sOut = normalize(cross(dOut, up)), sIn = normalize(cross(dIn, up));
    Vec3 m = normalize(sOut + sIn);
    float c = dot(m, sOut);
    side[i] = m * (1.0f / std::max(c, 0.2f));
    if (i > 0) along[i] = along[i - 1] + length(path[i] - path[i - 1]);
  }
  along[n] = along[n - 1] + length(path[0] - path[n - 1]);
  std::vector<float> across(profile.size(), 0.0f);
  for (size_t k = 1; k < profile.size(); ++k) {
    Vec2 d = profile[k] - profile[k - 1];
    across[k] = across[k - 1] + std::sqrt(d.x * d.x + d.y * d.y);
  }
  size_t segs = closed ? n : n - 1;
  for (size_t i = 0; i < segs; ++i) {
    size_t j = (i + 1) % n;
    Vec3 d = dir(i);
    Vec3 sFlat = normalize(cross(d, up));
    for (size_t k = 0; k + 1 < profile.size(); ++k) {
      Vec2 a = profile[k], b = profile[k + 1];
      // Face normal of this profile segment, in the plane across the path.
      Vec2 pn{b.y - a.y, -(b.x - a.x)};
      Vec3 nrm = normalize(sFlat * pn.x + up * pn.y);
      Vec3 p0 = path[i] + side[i] * a.x + up * a.y, p1 = path[j] + side[j] * a.x + up * a.y;
      Vec3 p2 = path[j] + side[j] * b.x + up * b.y, p3 = path[i] + side[i] * b.x + up * b.y;
      float vi = along[i] / cmPerRepeat, vj = (j == 0 ? along[n] : along[j]) / cmPerRepeat;
      quadUv(p0, p1, p2, p3, {across[k] / cmPerRepeat, vi}, {across[k] / cmPerRepeat, vj},
             {across[k + 1] / cmPerRepeat, vj}, {across[k + 1] / cmPerRepeat, vi}, nrm);
    }
  }
}

namespace {

float signedArea(const std::vector<Vec2>& poly) {
  float a = 0;
  for (size_t i = 0; i < poly.size(); ++i) {
    Vec2 p = poly[i], q = poly[(i + 1) % poly.size()];
    a += p.x * q.y - q.x * p.y;
  }
  return a * 0.5f;
}

bool inTriangle(Vec2 p, Vec2 a, Vec2 b, Vec2 c) {
  auto s = [](Vec2 u, Vec2 v, Vec2 w) { return (v.x - u.x) * (w.y - u.y) - (v.y - u.y) * (w.x - u.x); };
  float d1 = s(a, b, p), d2 = s(b, c, p), d3 = s(c, a, p);
  return d1 >= 0 && d2 >= 0 && d3 >= 0;
}

// Ear clipping of a simple polygon given counter-clockwise (positive area).
std::vector<std::array<int, 3>> earClip(const std::vector<Vec2>& poly) {
  std::vector<std::array<int, 3>> tris;
  std::vector<int> idx(poly.size());
  for (size_t i = 0; i < poly.size(); ++i)
    idx[i] = int(i);
  size_t guard = 0;
  while (idx.size() > 3 && guard++ < 10000) {
    bool clipped = false;
    for (size_t i = 0; i < idx.size(); ++i) {
      int ia = idx[(i + idx.size() - 1) % idx.size()], ib = idx[i], ic = idx[(i + 1) % idx.size()];
      Vec2 a = poly[size_t(ia)], b = poly[size_t(ib)], c = poly[size_t(ic)];
      float cr = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
      if (cr <= 1e-7f) continue; // reflex corner
      bool empty = true;
      for (int k : idx) {
        if (k == ia || k == ib || k == ic) continue;
        if (inTriangle(poly[size_t(k)], a, b, c)) {
          empty = false;
          break;
        }
      }
      if (!empty) continue;
      tris.push_back({ia, ib, ic});
      idx.erase(idx.begin() + long(i));
      clipped = true;
      break;
    }
    if (!clipped) break;
  }
  if (idx.size() == 3) tris.push_back({idx[0], idx[1], idx[2]});
  return tris;
}

} // namespace

void MeshBuilder::extrudeOutline(const std::vector<Vec2>& outlineIn, float z0, float z1) {
  std::vector<Vec2> outline = outlineIn;
  if (signedArea(outline) < 0) std::reverse(outline.begin(), outline.end());
  for (const auto& t : earClip(outline)) {
    Vec2 a = outline[size_t(t[0])], b = outline[size_t(t[1])], c = outline[size_t(t[2])];
    triangle({a.x, a.y, z1}, {b.x, b.y, z1}, {c.x, c.y, z1}, {0, 0, 1});
    triangle({a.x, a.y, z0}, {b.x, b.y, z0}, {c.x, c.y, z0}, {0, 0, -1});
  }
  for (size_t i = 0; i < outline.size(); ++i) {
    Vec2 a = outline[i], b = outline[(i + 1) % outline.size()];
    Vec3 n = normalize(Vec3{b.y - a.y, -(b.x - a.x), 0}); // outwards for a CCW outline
    quad({a.x, a.y, z0}, {b.x, b.y, z0}, {b.x, b.y, z1}, {a.x, a.y, z1}, n);
  }
}

Mesh weld(const Mesh& soup) {
  Mesh out;
  std::map<std::vector<uint32_t>, uint32_t> seen;
  auto key = [](const Vertex& v) {
    std::vector<uint32_t> k(10);
    float f[10] = {v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y,
                   v.normal.z,   v.uv.x,       v.uv.y,       v.uv2.x,    v.uv2.y};
    std::memcpy(k.data(), f, sizeof f);
    return k;
  };
  for (uint32_t i : soup.indices) {
    const Vertex& v = soup.vertices[i];
    auto [it, added] = seen.emplace(key(v), uint32_t(out.vertices.size()));
    if (added) out.vertices.push_back(v);
    out.indices.push_back(it->second);
  }
  return out;
}

} // namespace tools
