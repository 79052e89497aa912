#include "platform/d3d9/VertexLayout.h"

namespace d3d9 {

VertexLayout describeFvf(DWORD fvf) {
  VertexLayout layout;
  if (fvf & (D3DFVF_RESERVED0 | D3DFVF_RESERVED2)) return layout;
  UINT offset = 0;
  switch (fvf & D3DFVF_POSITION_MASK) {
  case 0:
    break;
  case D3DFVF_XYZ:
    layout.position = PositionKind::Xyz;
    offset = 12;
    break;
  case D3DFVF_XYZRHW:
    layout.position = PositionKind::XyzRhw;
    offset = 16;
    break;
  case D3DFVF_XYZB1:
  case D3DFVF_XYZB2:
  case D3DFVF_XYZB3:
  case D3DFVF_XYZB4:
  case D3DFVF_XYZB5:
    layout.position = PositionKind::XyzBlend;
    layout.blendWeights = ((fvf & D3DFVF_POSITION_MASK) - D3DFVF_XYZ) / 2;
    offset = 12 + 4 * layout.blendWeights;
    break;
  default:
    return layout; // XYZW needs vertex shaders
  }
  if (fvf & D3DFVF_NORMAL) {
    layout.hasNormal = true;
    layout.normalOffset = offset;
    offset += 12;
  }
  if (fvf & D3DFVF_PSIZE) {
    layout.hasPointSize = true;
    layout.pointSizeOffset = offset;
    offset += 4;
  }
  if (fvf & D3DFVF_DIFFUSE) {
    layout.hasDiffuse = true;
    layout.diffuseOffset = offset;
    offset += 4;
  }
  if (fvf & D3DFVF_SPECULAR) {
    layout.hasSpecular = true;
    layout.specularOffset = offset;
    offset += 4;
  }
  layout.texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (layout.texCount > 8) return layout;
  static constexpr UINT floatsForCode[4] = {2, 3, 4, 1};
  for (UINT set = 0; set < layout.texCount; ++set) {
    layout.texSize[set] = floatsForCode[(fvf >> (16 + 2 * set)) & 3];
    layout.texOffset[set] = offset;
    offset += 4 * layout.texSize[set];
  }
  layout.stride = offset;
  layout.valid = true;
  return layout;
}

UINT verticesForPrimitives(D3DPRIMITIVETYPE type, UINT primitiveCount) {
  if (primitiveCount == 0) return 0;
  switch (type) {
  case D3DPT_POINTLIST:
    return primitiveCount;
  case D3DPT_LINELIST:
    return primitiveCount * 2;
  case D3DPT_LINESTRIP:
    return primitiveCount + 1;
  case D3DPT_TRIANGLELIST:
    return primitiveCount * 3;
  case D3DPT_TRIANGLESTRIP:
  case D3DPT_TRIANGLEFAN:
    return primitiveCount + 2;
  }
  return 0;
}

} // namespace d3d9
