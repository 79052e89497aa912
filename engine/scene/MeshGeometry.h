// The vertex and index data of a mesh as the scene file gives it, the vertex format's
// component table, and the copying of vertices between two formats and strides.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/render/BoundingBox.h"
#include "platform/d3d9/d3d9types.h"

namespace engine {

// The vertex components the scene files use, in the order they lie in a vertex: each
// present bit adds its size, and a component's offset is the sum of the sizes of the
// present components before it. The two coordinate-set bits are independent 8-byte pairs.
struct VertexComponent {
  DWORD bit;
  UINT size;
};
inline constexpr VertexComponent kVertexComponents[] = {
    {D3DFVF_XYZ, 12},     {D3DFVF_XYZRHW, 16}, {D3DFVF_NORMAL, 12}, {D3DFVF_DIFFUSE, 4},
    {D3DFVF_SPECULAR, 4}, {0x100, 8},          {0x200, 8},
};

// The Direct3D vertex format of a vertex laid out by the table above. Direct3D counts
// coordinate sets in the bits 0x100 to 0x800 as a number (0x300 is three sets, 48 bytes),
// while scene files set 0x100 and 0x200 for one pair each (0x312 is a 40-byte vertex with
// two pairs); the device is told the number of pairs the vertex really has.
DWORD deviceFvf(DWORD fvf);

// The bytes of the components `fvf` has.
UINT vertexSize(DWORD fvf);
// Where a component lies in a vertex of `fvf`; false when the format lacks it.
bool componentOffset(DWORD fvf, DWORD bit, UINT& offset);

// Copies `count` vertices from one format and stride to another, component by component:
// runs of components both formats share in the same order are copied as one block, and
// components the source lacks are left as the target holds them.
void copyVertices(void* target, DWORD targetFvf, UINT targetStride, const void* source, DWORD sourceFvf,
                  UINT sourceStride, UINT count);

class MeshGeometry {
public:
  MeshGeometry(std::string vertices, UINT vertexCount, DWORD fvf, std::string indices, UINT indexCount, UINT indexSize);
  virtual ~MeshGeometry() = default;
  MeshGeometry(const MeshGeometry&) = delete;
  MeshGeometry& operator=(const MeshGeometry&) = delete;

  // The box of every vertex position (centre and size).
  virtual void computeBounds();

  // Whether the data holds what the counts and format promise: strides that cover the
  // format, index data for every index, indices that name existing vertices. A mesh that
  // fails this is never drawn; `reason` says why.
  bool validate(std::string& reason) const;

  const BoundingBox& bounds() const { return bounds_; }
  const char* vertexData() const { return vertices_.data(); }
  UINT vertexCount() const { return vertexCount_; }
  DWORD fvf() const { return fvf_; }
  UINT stride() const { return stride_; }
  const char* indexData() const { return indices_.data(); }
  UINT indexCount() const { return indexCount_; }
  UINT indexSize() const { return indexSize_; }
  // The index of entry `i` of the index data.
  std::uint32_t index(UINT i) const;
  // The largest index (of the entries the data holds); 0 without indices.
  std::uint32_t largestIndex() const;

private:
  std::string vertices_;
  UINT vertexCount_;
  DWORD fvf_;
  UINT stride_;
  std::string indices_;
  UINT indexCount_;
  UINT indexSize_;
  BoundingBox bounds_;
};

} // namespace engine
