#include "engine/scene/MeshBuffer.h"

#include <cstring>

#include "engine/core/Log.h"
#include "engine/render/DevicePointer.h"
#include "engine/scene/MeshGeometry.h"

namespace engine {

namespace {

// Index buffers switch to 32-bit indices from this many indices on.
constexpr UINT kFirst32BitIndexCount = 32768;

template <class T> void releaseObject(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

} // namespace

BufferDesc BufferDesc::forVertices(const MeshGeometry& geometry, bool skinned) {
  BufferDesc d;
  d.kind = BufferKind::Vertex;
  d.fvf = geometry.fvf();
  d.stride = geometry.stride();
  d.size = geometry.vertexCount() * geometry.stride();
  d.usage = skinned ? D3DUSAGE_DYNAMIC : D3DUSAGE_WRITEONLY;
  d.code = skinned ? 2 : 0;
  return d;
}

BufferDesc BufferDesc::forIndices(const MeshGeometry& geometry) {
  BufferDesc d;
  d.kind = BufferKind::Index;
  // Few indices fit 16 bits, unless one of them names a vertex beyond 65535: narrowing that
  // one would draw other triangles than the file describes.
  const bool fits16 = geometry.indexCount() < kFirst32BitIndexCount && geometry.largestIndex() <= 0xFFFFu;
  d.indexFormat = fits16 ? D3DFMT_INDEX16 : D3DFMT_INDEX32;
  d.size = geometry.indexCount() * (d.indexFormat == D3DFMT_INDEX16 ? 2u : 4u);
  d.usage = D3DUSAGE_WRITEONLY;
  return d;
}

void BufferDesc::alignStrideTo32(UINT vertexCount) {
  stride = (stride + 31) / 32 * 32;
  size = vertexCount * stride;
}

void copyIndices(void* target, UINT targetSize, const void* source, UINT sourceSize, UINT count) {
  if (targetSize == sourceSize) {
    std::memcpy(target, source, std::size_t(count) * sourceSize);
    return;
  }
  auto* out = static_cast<unsigned char*>(target);
  const auto* in = static_cast<const unsigned char*>(source);
  for (UINT i = 0; i < count; ++i) {
    if (sourceSize == 2) {
      std::uint16_t narrow = 0;
      std::memcpy(&narrow, in + std::size_t(i) * 2, 2);
      const std::uint32_t wide = narrow;
      std::memcpy(out + std::size_t(i) * 4, &wide, 4);
    } else {
      std::uint32_t wide = 0;
      std::memcpy(&wide, in + std::size_t(i) * 4, 4);
      const auto narrow = static_cast<std::uint16_t>(wide & 0xFFFFu);
      std::memcpy(out + std::size_t(i) * 2, &narrow, 2);
    }
  }
}

MeshBuffer::~MeshBuffer() { release(); }

void MeshBuffer::release() {
  releaseObject(vertices_);
  releaseObject(indices_);
}

bool MeshBuffer::create() {
  release();
  IDirect3DDevice9* device = currentDevice();
  if (!device || desc_.size == 0) return false;
  const D3DPOOL pool = survivesReset() ? D3DPOOL_MANAGED : D3DPOOL_DEFAULT;
  if (desc_.kind == BufferKind::Vertex) {
    if (FAILED(device->CreateVertexBuffer(desc_.size, desc_.usage, deviceFvf(desc_.fvf), pool, &vertices_, nullptr))) {
      vertices_ = nullptr;
      return false;
    }
    if (fillVertices()) return true;
  } else {
    if (FAILED(device->CreateIndexBuffer(desc_.size, desc_.usage, desc_.indexFormat, pool, &indices_, nullptr))) {
      indices_ = nullptr;
      return false;
    }
    if (fillIndices()) return true;
  }
  release();
  return false;
}

bool MeshBuffer::fillVertices() {
  void* data = nullptr;
  if (FAILED(vertices_->Lock(0, desc_.size, &data, 0)) || !data) return false;
  // Bytes the source format lacks (the padding of an aligned stride) start as zeros.
  std::memset(data, 0, desc_.size);
  const MeshGeometry& g = *geometry_;
  copyVertices(data, desc_.fvf, desc_.stride, g.vertexData(), g.fvf(), g.stride(), g.vertexCount());
  return SUCCEEDED(vertices_->Unlock());
}

bool MeshBuffer::fillIndices() {
  void* data = nullptr;
  if (FAILED(indices_->Lock(0, desc_.size, &data, 0)) || !data) return false;
  const MeshGeometry& g = *geometry_;
  copyIndices(data, desc_.indexFormat == D3DFMT_INDEX16 ? 2 : 4, g.indexData(), g.indexSize(), g.indexCount());
  return SUCCEEDED(indices_->Unlock());
}

std::shared_ptr<MeshBuffer> BufferPool::obtain(const MeshGeometry& geometry, const BufferDesc& desc) {
  std::vector<std::shared_ptr<MeshBuffer>>& made = buffers_[&geometry];
  for (const auto& buffer : made)
    if (buffer->desc() == desc && buffer->created()) return buffer;
  auto buffer = std::make_shared<MeshBuffer>(geometry, desc);
  if (!buffer->create()) return nullptr;
  made.push_back(buffer);
  return buffer;
}

std::size_t BufferPool::bufferCount() const {
  std::size_t n = 0;
  for (const auto& [geometry, made] : buffers_)
    n += made.size();
  return n;
}

bool BufferPool::invalidateDeviceObjects() {
  for (auto& [geometry, made] : buffers_)
    for (auto& buffer : made)
      if (!buffer->survivesReset()) buffer->release();
  return true;
}

bool BufferPool::restoreDeviceObjects() {
  bool ok = true;
  for (auto& [geometry, made] : buffers_)
    for (auto& buffer : made)
      if (!buffer->created() && !buffer->create()) {
        logLine("Error: a mesh buffer could not be made again after the device reset\n");
        ok = false;
      }
  return ok;
}

} // namespace engine
