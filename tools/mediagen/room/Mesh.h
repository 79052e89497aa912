#pragma once
// Triangle meshes of the room and the building blocks that make them: boxes, bevelled boxes,
// lathe profiles, swept mouldings, extruded outlines and cloth strips.

#include <cstdint>
#include <vector>

#include "tools/mediagen/room/Vec.h"

namespace tools {

struct Vertex {
  Vec3 position;
  Vec3 normal;
  Vec2 uv;  // base texture
  Vec2 uv2; // light map (filled by the chart packer)
};

struct Mesh {
  std::vector<Vertex> vertices;
  std::vector<uint32_t> indices; // triangle list, clockwise seen from the front

  size_t triangleCount() const { return indices.size() / 3; }
  Box3 bounds() const;
  void append(const Mesh& other);
};

// Face selection for boxes (skip the faces hidden against walls or floors).
enum BoxFace : unsigned {
  kFaceNegX = 1,
  kFacePosX = 2,
  kFaceNegY = 4,
  kFacePosY = 8,
  kFaceNegZ = 16,
  kFacePosZ = 32,
  kAllFaces = 63
};

// Emits geometry into a mesh through a current frame. Every primitive states the side its
// faces look to, and the builder orders the corners so that they wind clockwise seen from
// there, whatever the frame (mirrored frames included).
class MeshBuilder {
public:
  explicit MeshBuilder(Mesh& out) : mesh_(out) {}

  void setFrame(const Frame& f) { frame_ = f; }
  const Frame& frame() const { return frame_; }
  // Planar texture mapping of boxes and outlines: centimetres per texture repeat, the local
  // axis (0 x, 1 y, 2 z) along which wood grain runs (the texture's v), and an offset that
  // keeps neighbouring pieces from showing the same patch of texture.
  void setPlanarMapping(float cmPerRepeat, int grainAxis, Vec2 offset = {}) {
    repeat_ = cmPerRepeat;
    grain_ = grainAxis;
    uvOffset_ = offset;
  }

  // Local corners; `normal` tells which side is the front.
  void triangle(Vec3 a, Vec3 b, Vec3 c, Vec3 normal);
  void triangle(const Vertex& a, const Vertex& b, const Vertex& c); // smooth, local space
  void quad(Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, Vec3 normal);
  void quadUv(Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, Vec2 t0, Vec2 t1, Vec2 t2, Vec2 t3, Vec3 normal);

  void box(Vec3 lo, Vec3 hi, unsigned faces = kAllFaces);
  // The inside of a box (a room or a cabinet interior): faces look inwards.
  void insideBox(Vec3 lo, Vec3 hi, unsigned faces = kAllFaces);
  // A box whose twelve edges are chamfered by `bevel`.
  void bevelBox(Vec3 lo, Vec3 hi, float bevel);

  // Revolves a profile of (radius, height) points about the local Z axis. Consecutive
  // profile points make one ring of quads; normals face away from the axis for a profile
  // running upwards (reverse the profile for an inside surface).
  void lathe(const std::vector<Vec2>& profile, int segments, float cmPerRepeat, bool smooth = true);

  // Sweeps a profile (u across, v up; u > 0 faces outwards, to the right of the path seen
  // from above its up vector) along a polyline with mitred joints.
  void sweep(const std::vector<Vec2>& profile, const std::vector<Vec3>& path, Vec3 up, bool closed, float cmPerRepeat);

  // A flat outline in the local XY plane (either winding), extruded from z0 to z1 along
  // local +Z with both caps and the side walls.
  void extrudeOutline(const std::vector<Vec2>& outline, float z0, float z1);

  // A hanging cloth: a grid over local X (width) and -Z (drop) displaced along local Y by
  // `fold(x, z)`; both sides are emitted so each side gets its own light. Texture spans the
  // whole strip once.
  template <class Fold> void clothStrip(float width, float drop, int columns, int rows, Fold fold);

private:
  Vertex make(Vec3 localPos, Vec3 localNormal, Vec2 uv) const;
  Vec2 planarUv(Vec3 p, Vec3 n) const;
  bool mirrored() const;
  void emit(Vertex a, Vertex b, Vertex c);

  Mesh& mesh_;
  Frame frame_;
  float repeat_ = 100.0f;
  int grain_ = 2;
  Vec2 uvOffset_{};
};

template <class Fold> void MeshBuilder::clothStrip(float width, float drop, int columns, int rows, Fold fold) {
  auto at = [&](int i, int j) {
    float x = width * float(i) / float(columns);
    float z = -drop * float(j) / float(rows);
    return Vec3{x, fold(x, z), z};
  };
  auto normalAt = [&](int i, int j) {
    int i0 = std::max(i - 1, 0), i1 = std::min(i + 1, columns);
    int j0 = std::max(j - 1, 0), j1 = std::min(j + 1, rows);
    Vec3 du = at(i1, j) - at(i0, j), dv = at(i, j0) - at(i, j1);
    return normalize(cross(dv, du)); // towards local -Y for a flat strip
  };
  for (int side = 0; side < 2; ++side) {
    float s = side == 0 ? 1.0f : -1.0f;
    for (int j = 0; j < rows; ++j) {
      for (int i = 0; i < columns; ++i) {
        Vertex v[4];
        int ci[4] = {i, i + 1, i + 1, i}, cj[4] = {j, j, j + 1, j + 1};
        for (int k = 0; k < 4; ++k) {
          Vec3 p = at(ci[k], cj[k]) + normalAt(ci[k], cj[k]) * (0.05f * s);
          v[k] = make(p, normalAt(ci[k], cj[k]) * s, {float(ci[k]) / float(columns), float(cj[k]) / float(rows)});
        }
        triangle(v[0], v[1], v[2]);
        triangle(v[0], v[2], v[3]);
      }
    }
  }
}

// Welds equal vertices of a triangle list (same position, normal and both coordinate sets).
Mesh weld(const Mesh& soup);

} // namespace tools
