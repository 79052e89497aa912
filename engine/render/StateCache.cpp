#include "engine/render/StateCache.h"

#include <cstring>

#include "engine/render/DevicePointer.h"

namespace engine {
namespace {

// Values are compared by their bytes: for states and pointers that is equality; for the
// floats of matrices and materials it treats -0.0 and 0.0 as different, which only costs
// a redundant call, and never lets a NaN hide a change.
template <class T> bool sameBytes(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof(T)) == 0; }

// Sends `value` unless the slot knows the device holds it already (or `force` is set).
// Afterwards the slot knows what the device holds: the value, or nothing when the call
// failed (a forgotten texture slot also lets go of its pointer).
template <class SlotT, class T, class Send> bool sendIfChanged(SlotT& slot, const T& value, bool force, Send send) {
  if (slot.known && sameBytes(slot.value, value) && !force) return true;
  if (FAILED(send())) {
    slot = {};
    return false;
  }
  slot = {true, value};
  return true;
}

} // namespace

IDirect3DDevice9* StateCache::device() { return currentDevice(); }

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
  return sendIfChanged(renderStates_[state], value, forceAll_, [&] { return d->SetRenderState(state, value); });
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
  return sendIfChanged(stageStates_[stage][type], value, forceAll_,
                       [&] { return d->SetTextureStageState(stage, type, value); });
}

bool StateCache::setSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  IDirect3DDevice9* d = device();
  if (!d || sampler >= kStages || type >= kSamplerStates) return false;
  return sendIfChanged(samplerStates_[sampler][type], value, forceAll_,
                       [&] { return d->SetSamplerState(sampler, type, value); });
}

bool StateCache::setTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
  IDirect3DDevice9* d = device();
  if (!d || stage >= kStages) return false;
  return sendIfChanged(textures_[stage], texture, forceAll_, [&] { return d->SetTexture(stage, texture); });
}

bool StateCache::setTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX& matrix) {
  IDirect3DDevice9* d = device();
  if (!d || state >= kTransforms) return false;
  return sendIfChanged(transforms_[state], matrix, forceAll_, [&] { return d->SetTransform(state, &matrix); });
}

bool StateCache::setMaterial(const D3DMATERIAL9& material) {
  IDirect3DDevice9* d = device();
  if (!d) return false;
  return sendIfChanged(material_, material, forceAll_, [&] { return d->SetMaterial(&material); });
}

StateCache& stateCache() {
  static StateCache cache;
  return cache;
}

} // namespace engine
