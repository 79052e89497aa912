// How the scene graph reads UDF files: a whole file into a tree, and typed values of its
// leaves (integers, floats, strings, colours and matrices) from a data node's named
// children.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/data/FileLocation.h"
#include "platform/d3dx9/d3dx9math.h"

namespace engine {

class UdfNode;

// The whole tree of the UDF file at `location`, read into memory: the tree holds its own
// copy of every value and outlives the file's bytes. `location` is narrowed to where the
// file was found. Null when the file cannot be read (`opened` is then false) or is not an
// intact UDF file (`opened` true; the reader has logged why).
std::unique_ptr<UdfNode> readUdfFile(FileLocation& location, bool& opened);

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
// Those four floats as a Direct3D colour.
inline D3DCOLORVALUE colorFromArgb(const float argb[4]) { return D3DCOLORVALUE{argb[1], argb[2], argb[3], argb[0]}; }

} // namespace engine
