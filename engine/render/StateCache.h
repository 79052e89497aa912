// A cache in front of every device state call: a state that the device already holds is not
// sent again. It is tied to the published device: with no device every setter fails, and
// publishing a device (a new one or none) empties it.
#pragma once

#include <array>
#include <cstdint>

#include "platform/d3d9/d3d9.h"

namespace engine {

class StateCache {
public:
  static constexpr DWORD kRenderStates = 256;
  static constexpr DWORD kStages = 8;
  static constexpr DWORD kStageStates = 64;
  static constexpr DWORD kSamplerStates = 16;
  static constexpr DWORD kTransforms = 512;

  // Each answers success: true when the device holds the value afterwards.
  bool setRenderState(D3DRENDERSTATETYPE state, DWORD value);
  // From the cache when known, else from the device (and then known); 0 without a device.
  DWORD getRenderState(D3DRENDERSTATETYPE state);
  bool setTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
  bool setSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value);
  bool setTexture(DWORD stage, IDirect3DBaseTexture9* texture);
  bool setTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX& matrix);
  bool setWorld(const D3DMATRIX& matrix) { return setTransform(D3DTS_WORLD, matrix); }
  bool setView(const D3DMATRIX& matrix) { return setTransform(D3DTS_VIEW, matrix); }
  bool setProjection(const D3DMATRIX& matrix) { return setTransform(D3DTS_PROJECTION, matrix); }
  bool setMaterial(const D3DMATERIAL9& material);

  // Forgets every known value (publishing a device does it; a reset must too).
  void invalidateAll();
  // Forgets a texture that is going away, so that a new one at the same address is sent.
  void forgetTexture(const IDirect3DBaseTexture9* texture);
  // Sends every value whether the device holds it or not (image tests run both ways).
  void setForceAll(bool force) { forceAll_ = force; }

private:
  template <class T> struct Slot {
    bool known = false;
    T value{};
  };
  // The published device, null when there is none.
  IDirect3DDevice9* device();

  bool forceAll_ = false;
  std::array<Slot<DWORD>, kRenderStates> renderStates_{};
  std::array<std::array<Slot<DWORD>, kStageStates>, kStages> stageStates_{};
  std::array<std::array<Slot<DWORD>, kSamplerStates>, kStages> samplerStates_{};
  std::array<Slot<IDirect3DBaseTexture9*>, kStages> textures_{};
  std::array<Slot<D3DMATRIX>, kTransforms> transforms_{};
  Slot<D3DMATERIAL9> material_{};
};

// The process-wide cache in front of the published device.
StateCache& stateCache();

} // namespace engine
