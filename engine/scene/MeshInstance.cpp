#include "engine/scene/MeshInstance.h"

#include <algorithm>
#include <cstring>

#include "engine/render/DevicePointer.h"
#include "engine/render/StateCache.h"
#include "engine/scene/MeshGeometry.h"
#include "engine/scene/SceneNode.h"

namespace engine {

D3DXVECTOR3 boxCorner(const BoundingBox& box, int i) {
  return D3DXVECTOR3(box.centre.x + ((i & 1) ? 0.5f : -0.5f) * box.size.x,
                     box.centre.y + ((i & 2) ? 0.5f : -0.5f) * box.size.y,
                     box.centre.z + ((i & 4) ? 0.5f : -0.5f) * box.size.z);
}

BoundingBox transformedBox(const BoundingBox& box, const D3DXMATRIX& world) {
  D3DXVECTOR3 low, high;
  for (int i = 0; i < 8; ++i) {
    const D3DXVECTOR3 corner = boxCorner(box, i);
    D3DXVECTOR3 p;
    D3DXVec3TransformCoord(&p, &corner, &world);
    if (i == 0) {
      low = high = p;
      continue;
    }
    low = D3DXVECTOR3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
    high = D3DXVECTOR3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
  }
  return BoundingBox{(low + high) * 0.5f, high - low};
}

MeshInstance::MeshInstance(const RenderSettings& settings, std::shared_ptr<MeshBuffer> vertices,
                           std::shared_ptr<MeshBuffer> indices, const BoundingBox& bounds)
    : settings_(settings), vertices_(std::move(vertices)), indices_(std::move(indices)), bounds_(bounds),
      worldBox_(bounds) {}

void MeshInstance::refresh() { worldBox_ = transformedBox(bounds_, world_.m); }

bool MeshInstance::ready() const { return vertices_ && vertices_->vertexBuffer() && vertices_->desc().stride; }

bool MeshInstance::draw() {
  if (hidden_) return true;
  if (!currentDevice() || !ready()) return false;
  const bool applied = settings_.apply(vertices_->desc().fvf);
  if (!prepare()) return false;
  return drawBuffers() && applied;
}

bool MeshInstance::drawBuffers() {
  IDirect3DDevice9* device = currentDevice();
  StateCache& cache = stateCache();
  const BufferDesc& vd = vertices_->desc();
  // Vertices already on the screen must not be fogged by their depth.
  const bool pretransformed = vd.fvf & D3DFVF_XYZRHW;
  const DWORD fog = pretransformed ? cache.getRenderState(D3DRS_FOGENABLE) : FALSE;
  if (pretransformed) cache.setRenderState(D3DRS_FOGENABLE, FALSE);

  bool ok = cache.setWorld(world_.m);
  ok = SUCCEEDED(device->SetFVF(deviceFvf(vd.fvf))) && ok;
  ok = SUCCEEDED(device->SetStreamSource(0, vertices_->vertexBuffer(), 0, vd.stride)) && ok;
  const UINT vertexCount = vd.size / vd.stride;
  if (indices_ && indices_->indexBuffer()) {
    const BufferDesc& id = indices_->desc();
    const UINT indexCount = id.size / (id.indexFormat == D3DFMT_INDEX16 ? 2u : 4u);
    ok = SUCCEEDED(device->SetIndices(indices_->indexBuffer())) && ok;
    ok = SUCCEEDED(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount, 0, indexCount / 3)) && ok;
  } else {
    ok = SUCCEEDED(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, vertexCount / 3)) && ok;
  }
  if (pretransformed) cache.setRenderState(D3DRS_FOGENABLE, fog);
  return ok;
}

SkinnedMeshInstance::SkinnedMeshInstance(const RenderSettings& settings, std::shared_ptr<MeshBuffer> vertices,
                                         std::shared_ptr<MeshBuffer> indices, const BoundingBox& bounds,
                                         const MeshGeometry& geometry, SkinData skin)
    : MeshInstance(settings, std::move(vertices), std::move(indices), bounds), geometry_(&geometry),
      skin_(std::move(skin)) {}

bool SkinnedMeshInstance::bindBones(SceneNode& root, std::string& missing) {
  skin_.bones.assign(skin_.boneNames.size(), nullptr);
  for (std::size_t b = 0; b < skin_.boneNames.size(); ++b) {
    SceneNode* bone = root.findByName(skin_.boneNames[b]);
    if (!bone) {
      missing = skin_.boneNames[b];
      return false;
    }
    skin_.bones[b] = &bone->skinMatrix();
  }
  return true;
}

bool SkinnedMeshInstance::prepare() {
  if (skin_.bones.empty()) return false;
  const BufferDesc& vd = vertices_->desc();
  const MeshGeometry& g = *geometry_;
  const UINT count = g.vertexCount();
  void* locked = nullptr;
  IDirect3DVertexBuffer9* buffer = vertices_->vertexBuffer();
  if (FAILED(buffer->Lock(0, count * vd.stride, &locked, D3DLOCK_DISCARD)) || !locked) return false;

  boneWorld_.assign(skin_.bones.size(), Matrix());
  for (std::size_t b = 0; b < skin_.bones.size(); ++b)
    if (skin_.bones[b]) multiply(boneWorld_[b], world_, *skin_.bones[b]);
  world_ = Matrix::identity();

  copyVertices(locked, vd.fvf, vd.stride, g.vertexData(), g.fvf(), g.stride(), count);
  auto* out = static_cast<unsigned char*>(locked);
  std::size_t next = 0;
  for (UINT v = 0; v < count; ++v) {
    D3DXVECTOR3 p;
    std::memcpy(&p.x, g.vertexData() + std::size_t(v) * g.stride(), sizeof(float) * 3);
    D3DXVECTOR3 sum(0.0f, 0.0f, 0.0f);
    const std::uint32_t influences = v < skin_.vertexBoneCounts.size() ? skin_.vertexBoneCounts[v] : 0;
    for (std::uint32_t k = 0; k < influences && next < skin_.influences.size(); ++k, ++next) {
      const SkinData::Influence& influence = skin_.influences[next];
      // Influences of bones the mesh does not name move nothing.
      if (influence.bone >= boneWorld_.size() || !skin_.bones[influence.bone]) continue;
      D3DXVECTOR3 moved;
      D3DXVec3TransformCoord(&moved, &p, &boneWorld_[influence.bone].m);
      sum += moved * influence.weight;
    }
    std::memcpy(out + std::size_t(v) * vd.stride, &sum.x, sizeof(float) * 3);
  }
  return SUCCEEDED(buffer->Unlock());
}

} // namespace engine
