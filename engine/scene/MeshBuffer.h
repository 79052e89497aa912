// The vertex and index buffers meshes draw from, described so that instances of one
// geometry with equal descriptions share them, and kept by a pool that releases and
// makes them again around a device reset.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "engine/device/DeviceObjectListener.h"
#include "platform/d3d9/d3d9.h"

namespace engine {

class MeshGeometry;

enum class BufferKind { Vertex = 1, Index = 2 };

struct BufferDesc {
  BufferKind kind = BufferKind::Vertex;
  DWORD fvf = 0;
  UINT stride = 0;
  D3DFORMAT indexFormat = D3DFMT_INDEX16;
  UINT size = 0;
  DWORD usage = 0;
  // 2 for the vertex buffer of a skinned mesh (rewritten before every draw), else 0.
  int code = 0;

  bool operator==(const BufferDesc&) const = default;

  // The descriptions a geometry's instance starts from: 16-bit indices below 32768 of
  // them (when every index fits 16 bits), else 32-bit; write-only buffers, and a dynamic
  // vertex buffer when skinned.
  static BufferDesc forVertices(const MeshGeometry& geometry, bool skinned);
  static BufferDesc forIndices(const MeshGeometry& geometry);
  // Rounds the vertex stride up to a multiple of 32 bytes (and the size with it).
  void alignStrideTo32(UINT vertexCount);
};

// One Direct3D vertex or index buffer filled from a geometry.
class MeshBuffer {
public:
  MeshBuffer(const MeshGeometry& geometry, const BufferDesc& desc) : geometry_(&geometry), desc_(desc) {}
  ~MeshBuffer();
  MeshBuffer(const MeshBuffer&) = delete;
  MeshBuffer& operator=(const MeshBuffer&) = delete;

  // Creates the buffer on the current device and fills it from the geometry.
  bool create();
  void release();
  // Dynamic buffers live in the default pool and go with the device; others are managed.
  bool survivesReset() const { return !(desc_.usage & D3DUSAGE_DYNAMIC); }

  const BufferDesc& desc() const { return desc_; }
  const MeshGeometry& geometry() const { return *geometry_; }
  IDirect3DVertexBuffer9* vertexBuffer() const { return vertices_; }
  IDirect3DIndexBuffer9* indexBuffer() const { return indices_; }
  bool created() const { return vertices_ || indices_; }

private:
  bool fillVertices();
  bool fillIndices();

  const MeshGeometry* geometry_;
  BufferDesc desc_;
  IDirect3DVertexBuffer9* vertices_ = nullptr;
  IDirect3DIndexBuffer9* indices_ = nullptr;
};

// Copies index data into a buffer of another index size: widened to 32 bits, or narrowed
// to the low 16 bits of each index.
void copyIndices(void* target, UINT targetSize, const void* source, UINT sourceSize, UINT count);

class BufferPool : public DeviceObjectListener {
public:
  // A buffer of this description for the geometry: one made before, or a new one created
  // and filled (null when that fails).
  std::shared_ptr<MeshBuffer> obtain(const MeshGeometry& geometry, const BufferDesc& desc);
  std::size_t bufferCount() const;

  bool restoreDeviceObjects() override;
  bool invalidateDeviceObjects() override;

private:
  std::map<const MeshGeometry*, std::vector<std::shared_ptr<MeshBuffer>>> buffers_;
};

} // namespace engine
