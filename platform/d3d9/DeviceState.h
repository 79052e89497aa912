// Everything a Direct3D 9 device remembers between draws: render, texture-stage and
// sampler states, transforms, material, lights, viewport, scissor, the vertex format and
// the bound buffers and textures. Each setter compares the new value with the stored one,
// stores it, marks the groups of state it feeds as dirty and answers whether it changed;
// a back end applies the dirty groups before a draw and clears them.
#pragma once

#include "platform/d3d9/d3d9types.h"

#include <array>
#include <cstdint>
#include <map>

namespace d3d9 {

class Texture;
class VertexBuffer;
class IndexBuffer;

constexpr UINT kStageCount = 8;    // fixed-function texture stages
constexpr UINT kSamplerCount = 16; // samplers (and SetTexture stages)
constexpr UINT kRenderStateLimit = 210;
constexpr UINT kStageStateLimit = 33;
constexpr UINT kSamplerStateLimit = 14;
constexpr UINT kWorldMatrixCount = 256;
constexpr UINT kMaxActiveLights = 8;

// Groups of state a back end applies together; one bit each.
enum DirtyGroup : std::uint32_t {
  kDirtyDepth = 1u << 0,           // z enable, write, function
  kDirtyBlend = 1u << 1,           // blend enable, factors, operations, blend factor
  kDirtyRaster = 1u << 2,          // cull, fill, depth bias, multisample, point size
  kDirtyStencil = 1u << 3,         // stencil test and operations
  kDirtyColorMask = 1u << 4,       // colour write mask
  kDirtyViewport = 1u << 5,        // viewport rectangle and depth range
  kDirtyScissor = 1u << 6,         // scissor enable and rectangle
  kDirtyShaderKey = 1u << 7,       // anything that selects the generated program
  kDirtyTransforms = 1u << 8,      // world, view, projection
  kDirtyTextureMatrices = 1u << 9, // D3DTS_TEXTURE0..7
  kDirtyMaterial = 1u << 10,       // material
  kDirtyLights = 1u << 11,         // light parameters, ambient
  kDirtyFog = 1u << 12,            // fog colour, start, end, density
  kDirtyPixelConstants = 1u << 13, // texture factor, alpha reference, stage constants
  kDirtyVertexInput = 1u << 14,    // FVF and stream source
  kDirtyIndices = 1u << 15,        // index buffer
  kDirtyTextures = 1u << 16,       // see dirtyTextureStages
  kDirtySamplers = 1u << 17,       // see dirtySamplers
  kDirtyAll = (1u << 18) - 1,
};

enum class Change { Invalid, Same, Changed };

struct LightSlot {
  D3DLIGHT9 light{};
  bool enabled = false;
};

class DeviceState {
public:
  DeviceState();

  // Back to the state of a freshly created (or reset) device. `depthBuffer` is whether the
  // device has an automatic depth-stencil buffer (the default of D3DRS_ZENABLE).
  void reset(bool depthBuffer, UINT targetWidth, UINT targetHeight);

  // When set, every setter reports a change even for an equal value, so every state is
  // sent again ("force everything"; used to catch caching faults).
  void setForceAll(bool force) { forceAll_ = force; }
  bool forceAll() const { return forceAll_; }

  Change setRenderState(DWORD state, DWORD value);
  bool getRenderState(DWORD state, DWORD& value) const;
  DWORD renderState(D3DRENDERSTATETYPE state) const { return renderStates_[state]; }
  float renderStateFloat(D3DRENDERSTATETYPE state) const;

  Change setStageState(DWORD stage, DWORD type, DWORD value);
  bool getStageState(DWORD stage, DWORD type, DWORD& value) const;
  DWORD stageState(UINT stage, D3DTEXTURESTAGESTATETYPE type) const { return stageStates_[stage][type]; }

  Change setSamplerState(DWORD sampler, DWORD type, DWORD value);
  bool getSamplerState(DWORD sampler, DWORD type, DWORD& value) const;
  DWORD samplerState(UINT sampler, D3DSAMPLERSTATETYPE type) const { return samplerStates_[sampler][type]; }

  Change setTransform(DWORD state, const D3DMATRIX& matrix);
  bool getTransform(DWORD state, D3DMATRIX& matrix) const;
  const D3DMATRIX& world() const { return worlds_[0]; }
  const D3DMATRIX& view() const { return view_; }
  const D3DMATRIX& projection() const { return projection_; }
  const D3DMATRIX& textureMatrix(UINT stage) const { return textureMatrices_[stage]; }

  Change setMaterial(const D3DMATERIAL9& material);
  const D3DMATERIAL9& material() const { return material_; }

  Change setLight(DWORD index, const D3DLIGHT9& light);
  bool getLight(DWORD index, D3DLIGHT9& light) const;
  Change enableLight(DWORD index, bool enable);
  bool getLightEnable(DWORD index, BOOL& enabled) const;
  // The enabled lights in index order, at most kMaxActiveLights of them.
  UINT activeLights(const D3DLIGHT9* out[kMaxActiveLights]) const;

  Change setViewport(const D3DVIEWPORT9& viewport, UINT targetWidth, UINT targetHeight);
  const D3DVIEWPORT9& viewport() const { return viewport_; }

  Change setScissorRect(const RECT& rect);
  const RECT& scissorRect() const { return scissor_; }

  Change setFvf(DWORD fvf);
  DWORD fvf() const { return fvf_; }

  // Binding slots; the device keeps the references, the state only remembers the objects.
  Change setTexture(DWORD stage, Texture* texture);
  Texture* texture(UINT stage) const { return textures_[stage]; }
  Change setStreamSource(VertexBuffer* buffer, UINT offset, UINT stride);
  VertexBuffer* streamBuffer() const { return stream_.buffer; }
  UINT streamOffset() const { return stream_.offset; }
  UINT streamStride() const { return stream_.stride; }
  Change setIndices(IndexBuffer* buffer);
  IndexBuffer* indices() const { return indices_; }

  // Dirty groups since the back end last cleared them.
  std::uint32_t dirty() const { return dirty_; }
  std::uint32_t dirtyTextureStages() const { return dirtyTextureStages_; }
  std::uint32_t dirtySamplers() const { return dirtySamplers_; }
  void markDirty(std::uint32_t groups) { dirty_ |= groups; }
  void markAllDirty();
  void clearDirty(std::uint32_t groups);

private:
  struct Stream {
    VertexBuffer* buffer = nullptr;
    UINT offset = 0;
    UINT stride = 0;
  };

  Change changed(bool differs, std::uint32_t groups);

  std::array<DWORD, kRenderStateLimit> renderStates_{};
  std::array<std::array<DWORD, kStageStateLimit>, kStageCount> stageStates_{};
  std::array<std::array<DWORD, kSamplerStateLimit>, kSamplerCount> samplerStates_{};
  std::array<D3DMATRIX, kWorldMatrixCount> worlds_{};
  D3DMATRIX view_{};
  D3DMATRIX projection_{};
  std::array<D3DMATRIX, kStageCount> textureMatrices_{};
  D3DMATERIAL9 material_{};
  std::map<DWORD, LightSlot> lights_;
  D3DVIEWPORT9 viewport_{};
  RECT scissor_{};
  DWORD fvf_ = 0;
  std::array<Texture*, kSamplerCount> textures_{};
  Stream stream_;
  IndexBuffer* indices_ = nullptr;

  bool forceAll_ = false;
  std::uint32_t dirty_ = kDirtyAll;
  std::uint32_t dirtyTextureStages_ = 0xFFFF;
  std::uint32_t dirtySamplers_ = 0xFFFF;
};

// Whether `state` names a Direct3D 9 render state.
bool isRenderState(DWORD state);
// The dirty groups a render state feeds.
std::uint32_t renderStateGroups(DWORD state);

// The row-vector product a x b (a applied first), as Direct3D multiplies transforms.
D3DMATRIX multiplyMatrices(const D3DMATRIX& a, const D3DMATRIX& b);

// The float whose bits a DWORD state value carries, and back.
float floatFromBits(DWORD bits);
DWORD bitsFromFloat(float value);

// The red, green, blue and alpha (0..1) of a D3DCOLOR state value.
std::array<float, 4> colorFloats(D3DCOLOR color);

} // namespace d3d9
