#include "engine/render/StateCache.h"

#include <cstring>

#include "engine/device/DevicePointer.h"

namespace engine {
namespace {

// Matrices and materials are plain floats; comparing their bytes treats -0.0 and 0.0 as
// different, which only costs a redundant call, and never lets a NaN hide a change.
template <class T> bool sameBytes(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof(T)) == 0; }

} // namespace

IDirect3DDevice9* StateCache::device() {
  IDirect3DDevice9* device = currentDevice();
  if (device != cachedFor_) {
    invalidateAll();
    cachedFor_ = device;
  }
  return device;
}

void StateCache::invalidateAll() {
  for (auto& slot : renderStates_)
    slot.known = false;
  for (auto& stage : stageStates_)
    for (auto& slot : stage)
      slot.known = false;
  for (auto& sampler : samplerStates_)
    for (auto& slot : sampler)
      slot.known = false;
  for (auto& slot : textures_)
    slot = {};
  for (auto& slot : transforms_)
    slot.known = false;
  material_.known = false;
}

void StateCache::forgetTexture(const IDirect3DBaseTexture9* texture) {
  if (!texture) return;
  for (auto& slot : textures_)
    if (slot.value == texture) slot = {};
}

bool StateCache::setRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  IDirect3DDevice9* d = device();
  if (!d || state >= kRenderStates) return false;
  auto& slot = renderStates_[state];
  if (slot.known && slot.value == value && !forceAll_) return true;
  if (FAILED(d->SetRenderState(state, value))) {
    slot.known = false;
    return false;
  }
  slot = {true, value};
  return true;
}

DWORD StateCache::getRenderState(D3DRENDERSTATETYPE state) {
  IDirect3DDevice9* d = device();
  if (!d || state >= kRenderStates) return 0;
  auto& slot = renderStates_[state];
  if (slot.known) return slot.value;
  DWORD value = 0;
  if (FAILED(d->GetRenderState(state, &value))) return 0;
  slot = {true, value};
  return value;
}

bool StateCache::setTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  IDirect3DDevice9* d = device();
  if (!d || stage >= kStages || type >= kStageStates) return false;
  auto& slot = stageStates_[stage][type];
  if (slot.known && slot.value == value && !forceAll_) return true;
  if (FAILED(d->SetTextureStageState(stage, type, value))) {
    slot.known = false;
    return false;
  }
  slot = {true, value};
  return true;
}

bool StateCache::setSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  IDirect3DDevice9* d = device();
  if (!d || sampler >= kStages || type >= kSamplerStates) return false;
  auto& slot = samplerStates_[sampler][type];
  if (slot.known && slot.value == value && !forceAll_) return true;
  if (FAILED(d->SetSamplerState(sampler, type, value))) {
    slot.known = false;
    return false;
  }
  slot = {true, value};
  return true;
}

bool StateCache::setTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
  IDirect3DDevice9* d = device();
  if (!d || stage >= kStages) return false;
  auto& slot = textures_[stage];
  if (slot.known && slot.value == texture && !forceAll_) return true;
  if (FAILED(d->SetTexture(stage, texture))) {
    slot = {};
    return false;
  }
  slot = {true, texture};
  return true;
}

bool StateCache::setTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX& matrix) {
  IDirect3DDevice9* d = device();
  if (!d || state >= kTransforms) return false;
  auto& slot = transforms_[state];
  if (slot.known && sameBytes(slot.value, matrix) && !forceAll_) return true;
  if (FAILED(d->SetTransform(state, &matrix))) {
    slot.known = false;
    return false;
  }
  slot = {true, matrix};
  return true;
}

bool StateCache::setMaterial(const D3DMATERIAL9& material) {
  IDirect3DDevice9* d = device();
  if (!d) return false;
  if (material_.known && sameBytes(material_.value, material) && !forceAll_) return true;
  if (FAILED(d->SetMaterial(&material))) {
    material_.known = false;
    return false;
  }
  material_ = {true, material};
  return true;
}

StateCache& stateCache() {
  static StateCache cache;
  return cache;
}

} // namespace engine
