#include "platform/d3d9/DeviceState.h"

#include <cstring>

namespace d3d9 {
namespace {

constexpr DWORD kOne = 0x3F800000; // 1.0f
constexpr DWORD kZero = 0;

struct RenderStateInfo {
  DWORD state;
  DWORD defaultValue;
  std::uint32_t groups;
};

// Every Direct3D 9 render state with its default and the groups it feeds. States the
// fixed-function emulation does not act on (tessellation, wrapping, dithering) are kept
// and answered by GetRenderState but feed no group.
constexpr RenderStateInfo kRenderStates[] = {
    {D3DRS_ZENABLE, D3DZB_TRUE, kDirtyDepth},
    {D3DRS_FILLMODE, D3DFILL_SOLID, kDirtyRaster},
    {D3DRS_SHADEMODE, D3DSHADE_GOURAUD, kDirtyShaderKey},
    {D3DRS_ZWRITEENABLE, TRUE, kDirtyDepth},
    {D3DRS_ALPHATESTENABLE, FALSE, kDirtyShaderKey},
    {D3DRS_LASTPIXEL, TRUE, 0},
    {D3DRS_SRCBLEND, D3DBLEND_ONE, kDirtyBlend},
    {D3DRS_DESTBLEND, D3DBLEND_ZERO, kDirtyBlend},
    {D3DRS_CULLMODE, D3DCULL_CCW, kDirtyRaster},
    {D3DRS_ZFUNC, D3DCMP_LESSEQUAL, kDirtyDepth},
    {D3DRS_ALPHAREF, 0, kDirtyPixelConstants},
    {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS, kDirtyShaderKey},
    {D3DRS_DITHERENABLE, FALSE, 0},
    {D3DRS_ALPHABLENDENABLE, FALSE, kDirtyBlend},
    {D3DRS_FOGENABLE, FALSE, kDirtyShaderKey},
    {D3DRS_SPECULARENABLE, FALSE, kDirtyShaderKey},
    {D3DRS_FOGCOLOR, 0, kDirtyFog},
    {D3DRS_FOGTABLEMODE, D3DFOG_NONE, kDirtyShaderKey},
    {D3DRS_FOGSTART, kZero, kDirtyFog},
    {D3DRS_FOGEND, kOne, kDirtyFog},
    {D3DRS_FOGDENSITY, kOne, kDirtyFog},
    {D3DRS_RANGEFOGENABLE, FALSE, kDirtyShaderKey},
    {D3DRS_STENCILENABLE, FALSE, kDirtyStencil},
    {D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP, kDirtyStencil},
    {D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP, kDirtyStencil},
    {D3DRS_STENCILPASS, D3DSTENCILOP_KEEP, kDirtyStencil},
    {D3DRS_STENCILFUNC, D3DCMP_ALWAYS, kDirtyStencil},
    {D3DRS_STENCILREF, 0, kDirtyStencil},
    {D3DRS_STENCILMASK, 0xFFFFFFFF, kDirtyStencil},
    {D3DRS_STENCILWRITEMASK, 0xFFFFFFFF, kDirtyStencil},
    {D3DRS_TEXTUREFACTOR, 0xFFFFFFFF, kDirtyPixelConstants},
    {D3DRS_WRAP0, 0, 0},
    {D3DRS_WRAP1, 0, 0},
    {D3DRS_WRAP2, 0, 0},
    {D3DRS_WRAP3, 0, 0},
    {D3DRS_WRAP4, 0, 0},
    {D3DRS_WRAP5, 0, 0},
    {D3DRS_WRAP6, 0, 0},
    {D3DRS_WRAP7, 0, 0},
    {D3DRS_CLIPPING, TRUE, 0},
    {D3DRS_LIGHTING, TRUE, kDirtyShaderKey},
    {D3DRS_AMBIENT, 0, kDirtyLights},
    {D3DRS_FOGVERTEXMODE, D3DFOG_NONE, kDirtyShaderKey},
    {D3DRS_COLORVERTEX, TRUE, kDirtyShaderKey},
    {D3DRS_LOCALVIEWER, TRUE, kDirtyShaderKey},
    {D3DRS_NORMALIZENORMALS, FALSE, kDirtyShaderKey},
    {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1, kDirtyShaderKey},
    {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2, kDirtyShaderKey},
    {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL, kDirtyShaderKey},
    {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL, kDirtyShaderKey},
    {D3DRS_VERTEXBLEND, D3DVBF_DISABLE, 0},
    {D3DRS_CLIPPLANEENABLE, 0, 0},
    {D3DRS_POINTSIZE, kOne, kDirtyRaster},
    {D3DRS_POINTSIZE_MIN, kOne, 0},
    {D3DRS_POINTSPRITEENABLE, FALSE, 0},
    {D3DRS_POINTSCALEENABLE, FALSE, 0},
    {D3DRS_POINTSCALE_A, kOne, 0},
    {D3DRS_POINTSCALE_B, kZero, 0},
    {D3DRS_POINTSCALE_C, kZero, 0},
    {D3DRS_MULTISAMPLEANTIALIAS, TRUE, kDirtyRaster},
    {D3DRS_MULTISAMPLEMASK, 0xFFFFFFFF, 0},
    {D3DRS_PATCHEDGESTYLE, 0, 0},
    {D3DRS_DEBUGMONITORTOKEN, 0, 0},
    {D3DRS_POINTSIZE_MAX, 0x42800000 /* 64.0f */, 0},
    {D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE, 0},
    {D3DRS_COLORWRITEENABLE, 0xF, kDirtyColorMask},
    {D3DRS_TWEENFACTOR, kZero, 0},
    {D3DRS_BLENDOP, D3DBLENDOP_ADD, kDirtyBlend},
    {D3DRS_POSITIONDEGREE, 3, 0},
    {D3DRS_NORMALDEGREE, 1, 0},
    {D3DRS_SCISSORTESTENABLE, FALSE, kDirtyScissor},
    {D3DRS_SLOPESCALEDEPTHBIAS, kZero, kDirtyRaster},
    {D3DRS_ANTIALIASEDLINEENABLE, FALSE, 0},
    {D3DRS_MINTESSELLATIONLEVEL, kOne, 0},
    {D3DRS_MAXTESSELLATIONLEVEL, kOne, 0},
    {D3DRS_ADAPTIVETESS_X, kZero, 0},
    {D3DRS_ADAPTIVETESS_Y, kZero, 0},
    {D3DRS_ADAPTIVETESS_Z, kOne, 0},
    {D3DRS_ADAPTIVETESS_W, kZero, 0},
    {D3DRS_ENABLEADAPTIVETESSELLATION, FALSE, 0},
    {D3DRS_TWOSIDEDSTENCILMODE, FALSE, kDirtyStencil},
    {D3DRS_CCW_STENCILFAIL, D3DSTENCILOP_KEEP, kDirtyStencil},
    {D3DRS_CCW_STENCILZFAIL, D3DSTENCILOP_KEEP, kDirtyStencil},
    {D3DRS_CCW_STENCILPASS, D3DSTENCILOP_KEEP, kDirtyStencil},
    {D3DRS_CCW_STENCILFUNC, D3DCMP_ALWAYS, kDirtyStencil},
    {D3DRS_COLORWRITEENABLE1, 0xF, 0},
    {D3DRS_COLORWRITEENABLE2, 0xF, 0},
    {D3DRS_COLORWRITEENABLE3, 0xF, 0},
    {D3DRS_BLENDFACTOR, 0xFFFFFFFF, kDirtyBlend},
    {D3DRS_SRGBWRITEENABLE, 0, 0},
    {D3DRS_DEPTHBIAS, kZero, kDirtyRaster},
    {D3DRS_WRAP8, 0, 0},
    {D3DRS_WRAP9, 0, 0},
    {D3DRS_WRAP10, 0, 0},
    {D3DRS_WRAP11, 0, 0},
    {D3DRS_WRAP12, 0, 0},
    {D3DRS_WRAP13, 0, 0},
    {D3DRS_WRAP14, 0, 0},
    {D3DRS_WRAP15, 0, 0},
    {D3DRS_SEPARATEALPHABLENDENABLE, FALSE, kDirtyBlend},
    {D3DRS_SRCBLENDALPHA, D3DBLEND_ONE, kDirtyBlend},
    {D3DRS_DESTBLENDALPHA, D3DBLEND_ZERO, kDirtyBlend},
    {D3DRS_BLENDOPALPHA, D3DBLENDOP_ADD, kDirtyBlend},
};

struct RenderStateTable {
  std::array<bool, kRenderStateLimit> known{};
  std::array<DWORD, kRenderStateLimit> defaults{};
  std::array<std::uint32_t, kRenderStateLimit> groups{};
  RenderStateTable() {
    for (const RenderStateInfo& info : kRenderStates) {
      known[info.state] = true;
      defaults[info.state] = info.defaultValue;
      groups[info.state] = info.groups;
    }
  }
};

const RenderStateTable& renderStateTable() {
  static const RenderStateTable table;
  return table;
}

bool isStageState(DWORD type) {
  return (type >= D3DTSS_COLOROP && type <= D3DTSS_TEXCOORDINDEX) || type == D3DTSS_BUMPENVLSCALE ||
         type == D3DTSS_BUMPENVLOFFSET || type == D3DTSS_TEXTURETRANSFORMFLAGS ||
         (type >= D3DTSS_COLORARG0 && type <= D3DTSS_RESULTARG) || type == D3DTSS_CONSTANT;
}

std::uint32_t stageStateGroups(DWORD type) {
  switch (type) {
  case D3DTSS_CONSTANT:
    return kDirtyPixelConstants;
  case D3DTSS_BUMPENVMAT00:
  case D3DTSS_BUMPENVMAT01:
  case D3DTSS_BUMPENVMAT10:
  case D3DTSS_BUMPENVMAT11:
  case D3DTSS_BUMPENVLSCALE:
  case D3DTSS_BUMPENVLOFFSET:
    return 0;
  default:
    return kDirtyShaderKey;
  }
}

bool sameMatrix(const D3DMATRIX& a, const D3DMATRIX& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

D3DMATRIX identity() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

// The light LightEnable creates for an index that was never set.
D3DLIGHT9 defaultLight() {
  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
  light.Direction = {0.0f, 0.0f, 1.0f};
  return light;
}

} // namespace

bool isRenderState(DWORD state) { return state < kRenderStateLimit && renderStateTable().known[state]; }

std::uint32_t renderStateGroups(DWORD state) { return isRenderState(state) ? renderStateTable().groups[state] : 0; }

D3DMATRIX multiplyMatrices(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX out{};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      out.m[r][c] = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] + a.m[r][2] * b.m[2][c] + a.m[r][3] * b.m[3][c];
  return out;
}

float floatFromBits(DWORD bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

DWORD bitsFromFloat(float value) {
  DWORD bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

std::array<float, 4> colorFloats(D3DCOLOR color) {
  return {((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f, (color & 0xFF) / 255.0f,
          ((color >> 24) & 0xFF) / 255.0f};
}

DeviceState::DeviceState() { reset(true, 0, 0); }

void DeviceState::reset(bool depthBuffer, UINT targetWidth, UINT targetHeight) {
  renderStates_ = renderStateTable().defaults;
  renderStates_[D3DRS_ZENABLE] = depthBuffer ? D3DZB_TRUE : D3DZB_FALSE;
  for (UINT stage = 0; stage < kStageCount; ++stage) {
    auto& s = stageStates_[stage];
    s.fill(0);
    s[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    s[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    s[D3DTSS_TEXCOORDINDEX] = stage;
    s[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
    s[D3DTSS_COLORARG0] = D3DTA_CURRENT;
    s[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
    s[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    s[D3DTSS_CONSTANT] = 0xFFFFFFFF; // opaque white, like the texture factor
  }
  for (auto& s : samplerStates_) {
    s.fill(0);
    s[D3DSAMP_ADDRESSU] = s[D3DSAMP_ADDRESSV] = s[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    s[D3DSAMP_MAGFILTER] = s[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    s[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    s[D3DSAMP_MAXANISOTROPY] = 1;
  }
  worlds_.fill(identity());
  view_ = projection_ = identity();
  textureMatrices_.fill(identity());
  material_ = {};
  lights_.clear();
  viewport_ = {0, 0, targetWidth, targetHeight, 0.0f, 1.0f};
  scissor_ = {0, 0, static_cast<LONG>(targetWidth), static_cast<LONG>(targetHeight)};
  fvf_ = 0;
  textures_.fill(nullptr);
  stream_ = {};
  indices_ = nullptr;
  markAllDirty();
}

void DeviceState::markAllDirty() {
  dirty_ = kDirtyAll;
  dirtyTextureStages_ = 0xFFFF;
  dirtySamplers_ = 0xFFFF;
}

void DeviceState::clearDirty(std::uint32_t groups) {
  dirty_ &= ~groups;
  if (groups & kDirtyTextures) dirtyTextureStages_ = 0;
  if (groups & kDirtySamplers) dirtySamplers_ = 0;
}

Change DeviceState::changed(bool differs, std::uint32_t groups) {
  if (!differs && !forceAll_) return Change::Same;
  dirty_ |= groups;
  return Change::Changed;
}

Change DeviceState::setRenderState(DWORD state, DWORD value) {
  if (!isRenderState(state)) return Change::Invalid;
  const bool differs = renderStates_[state] != value;
  renderStates_[state] = value;
  return changed(differs, renderStateTable().groups[state]);
}

bool DeviceState::getRenderState(DWORD state, DWORD& value) const {
  if (!isRenderState(state)) return false;
  value = renderStates_[state];
  return true;
}

float DeviceState::renderStateFloat(D3DRENDERSTATETYPE state) const { return floatFromBits(renderStates_[state]); }

Change DeviceState::setStageState(DWORD stage, DWORD type, DWORD value) {
  if (stage >= kStageCount || !isStageState(type)) return Change::Invalid;
  const bool differs = stageStates_[stage][type] != value;
  stageStates_[stage][type] = value;
  return changed(differs, stageStateGroups(type));
}

bool DeviceState::getStageState(DWORD stage, DWORD type, DWORD& value) const {
  if (stage >= kStageCount || !isStageState(type)) return false;
  value = stageStates_[stage][type];
  return true;
}

Change DeviceState::setSamplerState(DWORD sampler, DWORD type, DWORD value) {
  if (sampler >= kSamplerCount || type < D3DSAMP_ADDRESSU || type >= kSamplerStateLimit) return Change::Invalid;
  const bool differs = samplerStates_[sampler][type] != value;
  samplerStates_[sampler][type] = value;
  const Change result = changed(differs, kDirtySamplers);
  if (result == Change::Changed) dirtySamplers_ |= 1u << sampler;
  return result;
}

bool DeviceState::getSamplerState(DWORD sampler, DWORD type, DWORD& value) const {
  if (sampler >= kSamplerCount || type < D3DSAMP_ADDRESSU || type >= kSamplerStateLimit) return false;
  value = samplerStates_[sampler][type];
  return true;
}

Change DeviceState::setTransform(DWORD state, const D3DMATRIX& matrix) {
  D3DMATRIX* slot = nullptr;
  std::uint32_t groups = 0;
  if (state == D3DTS_VIEW) {
    slot = &view_;
    groups = kDirtyTransforms | kDirtyLights; // lights are uploaded in view space
  } else if (state == D3DTS_PROJECTION) {
    slot = &projection_;
    groups = kDirtyTransforms | kDirtyFog; // table fog depends on the projection's kind
  } else if (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7) {
    slot = &textureMatrices_[state - D3DTS_TEXTURE0];
    groups = kDirtyTextureMatrices;
  } else if (state >= D3DTS_WORLD && state < D3DTS_WORLD + kWorldMatrixCount) {
    slot = &worlds_[state - D3DTS_WORLD];
    groups = state == D3DTS_WORLD ? std::uint32_t(kDirtyTransforms) : 0u; // vertex blending is not emulated
  } else {
    return Change::Invalid;
  }
  const bool differs = !sameMatrix(*slot, matrix);
  *slot = matrix;
  return changed(differs, groups);
}

bool DeviceState::getTransform(DWORD state, D3DMATRIX& matrix) const {
  if (state == D3DTS_VIEW) {
    matrix = view_;
  } else if (state == D3DTS_PROJECTION) {
    matrix = projection_;
  } else if (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7) {
    matrix = textureMatrices_[state - D3DTS_TEXTURE0];
  } else if (state >= D3DTS_WORLD && state < D3DTS_WORLD + kWorldMatrixCount) {
    matrix = worlds_[state - D3DTS_WORLD];
  } else {
    return false;
  }
  return true;
}

Change DeviceState::setMaterial(const D3DMATERIAL9& material) {
  const bool differs = std::memcmp(&material_, &material, sizeof material) != 0;
  material_ = material;
  return changed(differs, kDirtyMaterial);
}

Change DeviceState::setLight(DWORD index, const D3DLIGHT9& light) {
  if (light.Type < D3DLIGHT_POINT || light.Type > D3DLIGHT_DIRECTIONAL) return Change::Invalid;
  if (light.Range < 0.0f) return Change::Invalid;
  auto [it, inserted] = lights_.try_emplace(index);
  const bool typeChanged = inserted || it->second.light.Type != light.Type;
  const bool differs = inserted || std::memcmp(&it->second.light, &light, sizeof light) != 0;
  it->second.light = light;
  // Only enabled lights reach the shaders; a change of kind selects another program.
  std::uint32_t groups = 0;
  if (it->second.enabled) groups = kDirtyLights | (typeChanged ? std::uint32_t(kDirtyShaderKey) : 0u);
  return changed(differs, groups);
}

bool DeviceState::getLight(DWORD index, D3DLIGHT9& light) const {
  auto it = lights_.find(index);
  if (it == lights_.end()) return false;
  light = it->second.light;
  return true;
}

Change DeviceState::enableLight(DWORD index, bool enable) {
  auto [it, inserted] = lights_.try_emplace(index);
  if (inserted) it->second.light = defaultLight();
  const bool differs = it->second.enabled != enable;
  it->second.enabled = enable;
  return changed(differs, kDirtyLights | kDirtyShaderKey);
}

bool DeviceState::getLightEnable(DWORD index, BOOL& enabled) const {
  auto it = lights_.find(index);
  if (it == lights_.end()) return false;
  enabled = it->second.enabled ? TRUE : FALSE;
  return true;
}

UINT DeviceState::activeLights(const D3DLIGHT9* out[kMaxActiveLights]) const {
  UINT count = 0;
  for (const auto& [index, slot] : lights_) {
    if (!slot.enabled) continue;
    out[count++] = &slot.light;
    if (count == kMaxActiveLights) break;
  }
  return count;
}

Change DeviceState::setViewport(const D3DVIEWPORT9& viewport, UINT targetWidth, UINT targetHeight) {
  const bool fits = viewport.Width > 0 && viewport.Height > 0 && viewport.X < targetWidth &&
                    viewport.Y < targetHeight && viewport.Width <= targetWidth - viewport.X &&
                    viewport.Height <= targetHeight - viewport.Y;
  if (!fits || !(viewport.MinZ >= 0.0f && viewport.MaxZ <= 1.0f && viewport.MinZ <= viewport.MaxZ))
    return Change::Invalid;
  const bool differs = std::memcmp(&viewport_, &viewport, sizeof viewport) != 0;
  viewport_ = viewport;
  return changed(differs, kDirtyViewport);
}

Change DeviceState::setScissorRect(const RECT& rect) {
  if (rect.left > rect.right || rect.top > rect.bottom) return Change::Invalid;
  const bool differs = std::memcmp(&scissor_, &rect, sizeof rect) != 0;
  scissor_ = rect;
  return changed(differs, kDirtyScissor);
}

Change DeviceState::setFvf(DWORD fvf) {
  const bool differs = fvf_ != fvf;
  fvf_ = fvf;
  return changed(differs, kDirtyVertexInput | kDirtyShaderKey);
}

Change DeviceState::setTexture(DWORD stage, Texture* texture) {
  if (stage >= kSamplerCount) return Change::Invalid;
  const bool differs = textures_[stage] != texture;
  // Whether a stage has a texture at all decides the generated program (see FixedFunctionKey).
  const std::uint32_t groups =
      kDirtyTextures | ((textures_[stage] == nullptr) != (texture == nullptr) ? std::uint32_t(kDirtyShaderKey) : 0u);
  textures_[stage] = texture;
  const Change result = changed(differs, groups);
  if (result == Change::Changed) dirtyTextureStages_ |= 1u << stage;
  return result;
}

Change DeviceState::setStreamSource(VertexBuffer* buffer, UINT offset, UINT stride) {
  const bool differs = stream_.buffer != buffer || stream_.offset != offset || stream_.stride != stride;
  stream_ = {buffer, offset, stride};
  return changed(differs, kDirtyVertexInput);
}

Change DeviceState::setIndices(IndexBuffer* buffer) {
  const bool differs = indices_ != buffer;
  indices_ = buffer;
  return changed(differs, kDirtyIndices);
}

} // namespace d3d9
