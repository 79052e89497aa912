#include "engine/scene/UdfValues.h"

#include <algorithm>
#include <cstring>

#include "engine/data/ByteBlock.h"
#include "engine/data/MemoryStream.h"
#include "engine/data/udf/UdfReader.h"

namespace engine {

namespace {

const UdfNode* leaf(const UdfNode& node, std::string_view name, std::size_t minimum) {
  const UdfNode* child = node.findChild(name);
  if (!child || child->isList() || child->dataSize() < minimum) return nullptr;
  return child;
}

} // namespace

std::unique_ptr<UdfNode> readUdfFile(FileLocation& location, bool& opened) {
  ByteBlock bytes;
  bool borrow = true;
  opened = location.readAll(bytes, borrow);
  if (!opened) return nullptr;
  MemoryStream stream;
  stream.openOver(bytes.view());
  UdfReader reader;
  std::unique_ptr<UdfNode> top = reader.open(stream);
  // The full load copies every value out of `bytes`, so the tree may outlive them.
  if (!top || !reader.load(*top, 0)) return nullptr;
  return top;
}

bool readInt(const UdfNode& node, std::string_view name, std::int32_t& out) {
  const UdfNode* child = leaf(node, name, sizeof out);
  if (!child) return false;
  std::memcpy(&out, child->data(), sizeof out);
  return true;
}

bool readFloat(const UdfNode& node, std::string_view name, float& out) {
  const UdfNode* child = leaf(node, name, sizeof out);
  if (!child) return false;
  std::memcpy(&out, child->data(), sizeof out);
  return true;
}

bool readString(const UdfNode& node, std::string_view name, std::string& out) {
  const UdfNode* child = leaf(node, name, 0);
  if (!child) return false;
  out = child->dataString();
  return true;
}

bool readMatrix(const UdfNode& node, std::string_view name, D3DXMATRIX& out) {
  const UdfNode* child = leaf(node, name, sizeof(float) * 16);
  if (!child) return false;
  std::memcpy(&out.m[0][0], child->data(), sizeof(float) * 16);
  return true;
}

bool readColorFloats(const UdfNode& node, std::string_view name, float argb[4]) {
  const UdfNode* child = leaf(node, name, 1);
  if (!child) return false;
  // Whole floats only: a stray byte must not change part of one.
  const std::size_t floats = std::min<std::size_t>(child->dataSize() / sizeof(float), 4);
  std::memcpy(argb, child->data(), floats * sizeof(float));
  return true;
}

} // namespace engine
