// Typed values of a scene file's leaves: integers, floats, strings, colours and matrices
// as the scene graph reads them from a data node's named children.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/d3dx9/d3dx9math.h"

namespace engine {

class UdfNode;

// Each reads the child `name` of `node`; false (output unchanged) when the child is
// missing, is a list, or holds fewer bytes than the value needs.
bool readInt(const UdfNode& node, std::string_view name, std::int32_t& out);
bool readFloat(const UdfNode& node, std::string_view name, float& out);
bool readString(const UdfNode& node, std::string_view name, std::string& out);
// The sixteen floats of a matrix value (a kind tag may follow them).
bool readMatrix(const UdfNode& node, std::string_view name, D3DXMATRIX& out);
// Up to four floats (alpha, red, green, blue) over the leading floats of `argb`: a shorter
// value replaces only the floats it has. False when the child is missing or empty.
bool readColorFloats(const UdfNode& node, std::string_view name, float argb[4]);

} // namespace engine
