#include "engine/render/DevicePointer.h"

#include "engine/render/StateCache.h"

namespace engine {
namespace {

struct PublishedDevice {
  IDirect3DDevice9* device = nullptr;
  D3DCAPS9 caps{};
};

PublishedDevice& published() {
  static PublishedDevice state;
  return state;
}

} // namespace

IDirect3DDevice9* currentDevice() { return published().device; }

void publishDevice(IDirect3DDevice9* device) {
  PublishedDevice& state = published();
  state.device = device;
  state.caps = D3DCAPS9{};
  if (device) device->GetDeviceCaps(&state.caps);
  // Even the same address may be a new device (one released, the next made where it was).
  stateCache().invalidateAll();
}

const D3DCAPS9& deviceCaps() { return published().caps; }

} // namespace engine
