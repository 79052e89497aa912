// The uniform values of the generated programs, computed from the device state in the
// layout ShaderSource.h describes. Each group carries a generation that increases when its
// values change, so a program uploads a group only when it has not seen that generation.
#pragma once

#include "platform/d3d9/DeviceState.h"
#include "platform/d3d9/gl/ShaderSource.h"

#include <array>
#include <cstdint>
#include <vector>

namespace d3d9 {

enum UniformGroup : unsigned {
  kUniformTransforms,
  kUniformViewport,
  kUniformMaterial,
  kUniformLights,
  kUniformTexMatrices,
  kUniformFog,
  kUniformPixel,
  kUniformGroupCount
};

class FixedFunctionConstants {
public:
  FixedFunctionConstants();

  // Recomputes the groups the state's dirty bits touch and clears those bits.
  void update(DeviceState& state);
  // Makes every group count as changed (after "force everything" or a new context).
  void invalidate();

  const std::vector<float>& values(UniformGroup group) const { return values_[group]; }
  std::uint64_t generation(UniformGroup group) const { return generations_[group]; }

private:
  void computeTransforms(const DeviceState& state);
  void computeViewport(const DeviceState& state);
  void computeMaterial(const DeviceState& state);
  void computeLights(const DeviceState& state);
  void computeTexMatrices(const DeviceState& state);
  void computeFog(const DeviceState& state);
  void computePixel(const DeviceState& state);
  void changed(UniformGroup group);

  std::array<std::vector<float>, kUniformGroupCount> values_;
  std::array<std::vector<float>, kUniformGroupCount> previous_;
  std::array<bool, kUniformGroupCount> forceChange_{};
  std::array<std::uint64_t, kUniformGroupCount> generations_{};
};

// The matrix that carries normals through `m`: the transposed inverse of its upper 3x3
// (the 3x3 itself when it cannot be inverted).
D3DMATRIX normalMatrix(const D3DMATRIX& m);

} // namespace d3d9
