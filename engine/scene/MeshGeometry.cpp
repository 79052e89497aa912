#include "engine/scene/MeshGeometry.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace engine {

DWORD deviceFvf(DWORD fvf) {
  const DWORD pairs = ((fvf & 0x100) ? 1u : 0u) + ((fvf & 0x200) ? 1u : 0u);
  return (fvf & (D3DFVF_XYZ | D3DFVF_XYZRHW | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR)) |
         (pairs << D3DFVF_TEXCOUNT_SHIFT);
}

UINT vertexSize(DWORD fvf) {
  UINT size = 0;
  for (const VertexComponent& c : kVertexComponents)
    if (fvf & c.bit) size += c.size;
  return size;
}

bool componentOffset(DWORD fvf, DWORD bit, UINT& offset) {
  UINT at = 0;
  for (const VertexComponent& c : kVertexComponents) {
    if (!(fvf & c.bit)) continue;
    if (c.bit == bit) {
      offset = at;
      return true;
    }
    at += c.size;
  }
  return false;
}

void copyVertices(void* target, DWORD targetFvf, UINT targetStride, const void* source, DWORD sourceFvf,
                  UINT sourceStride, UINT count) {
  // The shared components as runs: (source offset, target offset, bytes).
  struct Run {
    UINT from, to, size;
  };
  Run runs[std::size(kVertexComponents)];
  std::size_t runCount = 0;
  UINT from = 0, to = 0;
  for (const VertexComponent& c : kVertexComponents) {
    const bool inSource = sourceFvf & c.bit, inTarget = targetFvf & c.bit;
    if (inSource && inTarget) {
      Run* last = runCount ? &runs[runCount - 1] : nullptr;
      if (last && last->from + last->size == from && last->to + last->size == to)
        last->size += c.size;
      else
        runs[runCount++] = {from, to, c.size};
    }
    if (inSource) from += c.size;
    if (inTarget) to += c.size;
  }
  auto* out = static_cast<unsigned char*>(target);
  const auto* in = static_cast<const unsigned char*>(source);
  for (UINT v = 0; v < count; ++v)
    for (std::size_t r = 0; r < runCount; ++r)
      std::memcpy(out + std::size_t(v) * targetStride + runs[r].to, in + std::size_t(v) * sourceStride + runs[r].from,
                  runs[r].size);
}

MeshGeometry::MeshGeometry(std::string vertices, UINT vertexCount, DWORD fvf, std::string indices, UINT indexCount,
                           UINT indexSize)
    : vertices_(std::move(vertices)), vertexCount_(vertexCount), fvf_(fvf),
      stride_(vertexCount ? UINT(vertices_.size() / vertexCount) : 0), indices_(std::move(indices)),
      indexCount_(indexCount), indexSize_(indexSize) {}

std::uint32_t MeshGeometry::index(UINT i) const {
  if (indexSize_ == 2) {
    std::uint16_t v = 0;
    std::memcpy(&v, indices_.data() + std::size_t(i) * 2, 2);
    return v;
  }
  std::uint32_t v = 0;
  std::memcpy(&v, indices_.data() + std::size_t(i) * 4, 4);
  return v;
}

std::uint32_t MeshGeometry::largestIndex() const {
  const UINT held =
      indexSize_ == 2 || indexSize_ == 4 ? UINT(std::min<std::size_t>(indexCount_, indices_.size() / indexSize_)) : 0;
  std::uint32_t largest = 0;
  for (UINT i = 0; i < held; ++i)
    largest = std::max(largest, index(i));
  return largest;
}

bool MeshGeometry::validate(std::string& reason) const {
  if (vertexCount_ == 0) {
    reason = "it has no vertices";
    return false;
  }
  const DWORD position = fvf_ & (D3DFVF_XYZ | D3DFVF_XYZRHW);
  if (position != D3DFVF_XYZ && position != D3DFVF_XYZRHW) {
    reason = "its vertex format has no single kind of position";
    return false;
  }
  if (stride_ == 0 || stride_ < vertexSize(fvf_)) {
    reason = "its vertices are smaller than their format";
    return false;
  }
  if (indexSize_ != 2 && indexSize_ != 4) {
    reason = "its index size is neither 2 nor 4";
    return false;
  }
  if (std::uint64_t(indexCount_) * indexSize_ > indices_.size()) {
    reason = "its index data is shorter than its index count";
    return false;
  }
  for (UINT i = 0; i < indexCount_; ++i) {
    if (index(i) >= vertexCount_) {
      reason = "an index names a vertex it does not have";
      return false;
    }
  }
  return true;
}

void MeshGeometry::computeBounds() {
  float low[3], high[3];
  for (int a = 0; a < 3; ++a) {
    low[a] = std::numeric_limits<float>::max();
    high[a] = std::numeric_limits<float>::lowest();
  }
  if (stride_ < 12 || vertexCount_ == 0) {
    bounds_ = BoundingBox{};
    return;
  }
  for (UINT v = 0; v < vertexCount_; ++v) {
    float p[3];
    std::memcpy(p, vertices_.data() + std::size_t(v) * stride_, sizeof p);
    for (int a = 0; a < 3; ++a) {
      low[a] = std::min(low[a], p[a]);
      high[a] = std::max(high[a], p[a]);
    }
  }
  bounds_.centre = D3DXVECTOR3((low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2);
  bounds_.size = D3DXVECTOR3(high[0] - low[0], high[1] - low[1], high[2] - low[2]);
}

} // namespace engine
