// An axis-aligned box as the scene files give it: centre, then size along each axis.
#pragma once

#include "platform/d3dx9/d3dx9math.h"

namespace engine {

struct BoundingBox {
  D3DXVECTOR3 centre;
  D3DXVECTOR3 size;
};

} // namespace engine
