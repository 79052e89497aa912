#include "platform/d3d9/gl/FixedFunctionConstants.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace d3d9 {
namespace {

void putMatrix(std::vector<float>& out, std::size_t at, const D3DMATRIX& m) {
  // Uploaded as they are: GLSL reads the rows as columns, so `M * v` computes v x M.
  std::memcpy(out.data() + at, &m, sizeof m);
}

void putColor(std::vector<float>& out, std::size_t at, const D3DCOLORVALUE& c) {
  out[at] = c.r;
  out[at + 1] = c.g;
  out[at + 2] = c.b;
  out[at + 3] = c.a;
}

void putD3dColor(std::vector<float>& out, std::size_t at, DWORD color) {
  const std::array<float, 4> c = colorFloats(color);
  std::copy(c.begin(), c.end(), out.begin() + std::ptrdiff_t(at));
}

D3DVECTOR transformPoint(const D3DVECTOR& v, const D3DMATRIX& m) {
  return {v.x * m._11 + v.y * m._21 + v.z * m._31 + m._41, v.x * m._12 + v.y * m._22 + v.z * m._32 + m._42,
          v.x * m._13 + v.y * m._23 + v.z * m._33 + m._43};
}

D3DVECTOR transformVector(const D3DVECTOR& v, const D3DMATRIX& m) {
  return {v.x * m._11 + v.y * m._21 + v.z * m._31, v.x * m._12 + v.y * m._22 + v.z * m._32,
          v.x * m._13 + v.y * m._23 + v.z * m._33};
}

D3DVECTOR normalized(const D3DVECTOR& v) {
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (length == 0.0f) return v;
  return {v.x / length, v.y / length, v.z / length};
}

constexpr std::size_t kSizes[kUniformGroupCount] = {48, 8, 20, std::size_t(kLightUniformCount) * 4, 128, 8, 40};

} // namespace

D3DMATRIX normalMatrix(const D3DMATRIX& m) {
  const float a = m._11, b = m._12, c = m._13, d = m._21, e = m._22, f = m._23, g = m._31, h = m._32, i = m._33;
  const float cofactor[3][3] = {{e * i - f * h, -(d * i - f * g), d * h - e * g},
                                {-(b * i - c * h), a * i - c * g, -(a * h - b * g)},
                                {b * f - c * e, -(a * f - c * d), a * e - b * d}};
  const float det = a * cofactor[0][0] + b * cofactor[0][1] + c * cofactor[0][2];
  D3DMATRIX out{};
  out._44 = 1.0f;
  if (std::fabs(det) < 1e-20f) {
    for (int r = 0; r < 3; ++r)
      for (int col = 0; col < 3; ++col)
        out.m[r][col] = m.m[r][col];
    return out;
  }
  // inverse = adjugate / det = transpose(cofactor) / det, so inverse-transpose = cofactor / det.
  for (int r = 0; r < 3; ++r)
    for (int col = 0; col < 3; ++col)
      out.m[r][col] = cofactor[r][col] / det;
  return out;
}

FixedFunctionConstants::FixedFunctionConstants() {
  for (unsigned g = 0; g < kUniformGroupCount; ++g) {
    values_[g].assign(kSizes[g], 0.0f);
    previous_[g].assign(kSizes[g], 0.0f);
  }
}

void FixedFunctionConstants::changed(UniformGroup group) {
  // A state set back to an earlier value within one draw costs no upload.
  if (values_[group] == previous_[group] && !forceChange_[group]) return;
  previous_[group] = values_[group];
  forceChange_[group] = false;
  ++generations_[group];
}

void FixedFunctionConstants::invalidate() {
  for (auto& generation : generations_)
    ++generation;
  forceChange_.fill(true);
}

void FixedFunctionConstants::update(DeviceState& state) {
  const std::uint32_t dirty = state.dirty();
  if (dirty & kDirtyTransforms) computeTransforms(state);
  if (dirty & kDirtyViewport) computeViewport(state);
  if (dirty & kDirtyMaterial) computeMaterial(state);
  if (dirty & kDirtyLights) computeLights(state);
  if (dirty & kDirtyTextureMatrices) computeTexMatrices(state);
  if (dirty & kDirtyFog) computeFog(state);
  if (dirty & kDirtyPixelConstants) computePixel(state);
  // The viewport group also moves OpenGL's viewport; the state applier clears it.
  state.clearDirty(kDirtyTransforms | kDirtyMaterial | kDirtyLights | kDirtyTextureMatrices | kDirtyFog |
                   kDirtyPixelConstants);
}

void FixedFunctionConstants::computeTransforms(const DeviceState& state) {
  const D3DMATRIX worldView = multiplyMatrices(state.world(), state.view());
  auto& v = values_[kUniformTransforms];
  putMatrix(v, 0, worldView);
  putMatrix(v, 16, state.projection());
  putMatrix(v, 32, normalMatrix(worldView));
  changed(kUniformTransforms);
}

void FixedFunctionConstants::computeViewport(const DeviceState& state) {
  const D3DVIEWPORT9& vp = state.viewport();
  const float width = float(vp.Width ? vp.Width : 1), height = float(vp.Height ? vp.Height : 1);
  values_[kUniformViewport] = {1.0f / width, 1.0f / height, vp.MinZ, vp.MaxZ, float(vp.X), float(vp.Y), width, height};
  changed(kUniformViewport);
}

void FixedFunctionConstants::computeMaterial(const DeviceState& state) {
  const D3DMATERIAL9& m = state.material();
  auto& v = values_[kUniformMaterial];
  putColor(v, 0, m.Diffuse);
  putColor(v, 4, m.Ambient);
  putColor(v, 8, m.Specular);
  putColor(v, 12, m.Emissive);
  v[16] = m.Power;
  changed(kUniformMaterial);
}

void FixedFunctionConstants::computeLights(const DeviceState& state) {
  auto& v = values_[kUniformLights];
  std::fill(v.begin(), v.end(), 0.0f);
  const D3DLIGHT9* lights[kMaxActiveLights];
  const UINT count = state.activeLights(lights);
  const D3DMATRIX& view = state.view();
  for (UINT i = 0; i < count; ++i) {
    const D3DLIGHT9& l = *lights[i];
    const std::size_t at = std::size_t(i) * kLightVectors * 4;
    putColor(v, at, l.Diffuse);
    putColor(v, at + 4, l.Specular);
    putColor(v, at + 8, l.Ambient);
    // Lighting runs in camera space, so positions and directions move through the view.
    const D3DVECTOR position = transformPoint(l.Position, view);
    const D3DVECTOR direction = normalized(transformVector(l.Direction, view));
    v[at + 12] = position.x;
    v[at + 13] = position.y;
    v[at + 14] = position.z;
    v[at + 15] = l.Range;
    v[at + 16] = direction.x;
    v[at + 17] = direction.y;
    v[at + 18] = direction.z;
    v[at + 19] = l.Falloff;
    v[at + 20] = l.Attenuation0;
    v[at + 21] = l.Attenuation1;
    v[at + 22] = l.Attenuation2;
    v[at + 24] = std::cos(l.Theta / 2.0f);
    v[at + 25] = std::cos(l.Phi / 2.0f);
  }
  putD3dColor(v, std::size_t(kLightVectors) * 8 * 4, state.renderState(D3DRS_AMBIENT));
  changed(kUniformLights);
}

void FixedFunctionConstants::computeTexMatrices(const DeviceState& state) {
  auto& v = values_[kUniformTexMatrices];
  for (UINT stage = 0; stage < kStageCount; ++stage)
    putMatrix(v, std::size_t(stage) * 16, state.textureMatrix(stage));
  changed(kUniformTexMatrices);
}

void FixedFunctionConstants::computeFog(const DeviceState& state) {
  auto& v = values_[kUniformFog];
  putD3dColor(v, 0, state.renderState(D3DRS_FOGCOLOR));
  v[3] = 0.0f;
  v[4] = state.renderStateFloat(D3DRS_FOGSTART);
  v[5] = state.renderStateFloat(D3DRS_FOGEND);
  v[6] = state.renderStateFloat(D3DRS_FOGDENSITY);
  // Table fog measures eye distance (w) under a perspective projection, device z otherwise.
  const D3DMATRIX& p = state.projection();
  v[7] = (p._34 != 0.0f && p._44 == 0.0f) ? 1.0f : 0.0f;
  changed(kUniformFog);
}

void FixedFunctionConstants::computePixel(const DeviceState& state) {
  auto& v = values_[kUniformPixel];
  putD3dColor(v, 0, state.renderState(D3DRS_TEXTUREFACTOR));
  v[4] = float(state.renderState(D3DRS_ALPHAREF) & 0xFF);
  for (UINT stage = 0; stage < kStageCount; ++stage)
    putD3dColor(v, 8 + std::size_t(stage) * 4, state.stageState(stage, D3DTSS_CONSTANT));
  changed(kUniformPixel);
}

} // namespace d3d9
