// Where each component of a flexible-vertex-format vertex lives, and how many vertices a
// primitive count needs.
#pragma once

#include "platform/d3d9/d3d9types.h"

namespace d3d9 {

enum class PositionKind : BYTE { None, Xyz, XyzRhw, XyzBlend };

struct VertexLayout {
  bool valid = false;
  PositionKind position = PositionKind::None;
  UINT blendWeights = 0; // floats after x, y, z for D3DFVF_XYZB1..5
  bool hasNormal = false;
  bool hasPointSize = false;
  bool hasDiffuse = false;
  bool hasSpecular = false;
  UINT texCount = 0;
  UINT normalOffset = 0;
  UINT pointSizeOffset = 0;
  UINT diffuseOffset = 0;
  UINT specularOffset = 0;
  UINT texOffset[8] = {};
  UINT texSize[8] = {}; // floats per set, 1..4
  UINT stride = 0;
};

// The layout of a vertex of `fvf`; `valid` is false for reserved bits, more than eight
// texture sets or an unknown position kind.
VertexLayout describeFvf(DWORD fvf);

// The vertices `primitiveCount` primitives of `type` use; 0 for an unknown type.
UINT verticesForPrimitives(D3DPRIMITIVETYPE type, UINT primitiveCount);

} // namespace d3d9
