// Values that charset files and texture definition files write the same way: Direct3D
// format names and colour keys.
#pragma once

#include <string_view>

#include "engine/data/props/PropsNode.h"
#include "platform/d3d9/d3d9types.h"

namespace engine {

// "D3DFMT_R8G8B8" ... "D3DFMT_A4R4G4B4" (the formats 20 to 26); any other text is
// D3DFMT_UNKNOWN.
D3DFORMAT formatFromName(std::string_view name);

// A colour key written as red, green and blue entries ("0" or "r", "1" or "g", "2" or "b";
// a missing one is 0, each taken modulo 256) becomes an opaque colour; a single number is
// taken as the whole 32-bit colour.
D3DCOLOR readColorKey(const PropsNode& node);

} // namespace engine
