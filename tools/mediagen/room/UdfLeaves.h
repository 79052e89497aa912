#pragma once
// Typed leaves of the scene and tour files, built for the engine's UDF writer.

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/data/udf/UdfNode.h"

namespace tools::udf {

inline std::unique_ptr<engine::UdfNode> bytes(const std::string& type, const std::string& name, const void* data,
                                              size_t size) {
  return engine::UdfNode::makeLeaf(type, name, data, size, true);
}

inline std::unique_ptr<engine::UdfNode> integer(const std::string& name, int32_t value) {
  return bytes("int", name, &value, sizeof value);
}

inline std::unique_ptr<engine::UdfNode> real(const std::string& name, float value) {
  return bytes("real", name, &value, sizeof value);
}

inline std::unique_ptr<engine::UdfNode> text(const std::string& name, const std::string& value) {
  return bytes("string", name, value.data(), value.size());
}

// Colours as scene files keep them: alpha, red, green, blue.
inline std::unique_ptr<engine::UdfNode> colour(const std::string& name, float a, float r, float g, float b) {
  const float v[4] = {a, r, g, b};
  return bytes("color", name, v, sizeof v);
}

// A matrix value: sixteen floats, row-major with the translation in row 3, then the 32-bit
// kind tag (0, a general matrix).
inline std::unique_ptr<engine::UdfNode> matrix(const std::string& name, const std::array<float, 16>& m) {
  unsigned char block[68];
  std::memcpy(block, m.data(), 64);
  const uint32_t kind = 0;
  std::memcpy(block + 64, &kind, 4);
  return bytes("matrix", name, block, sizeof block);
}

// A 32-byte key: time then seven floats.
inline std::unique_ptr<engine::UdfNode> key(const std::string& type, const std::string& name, float time,
                                            const std::array<float, 7>& value) {
  float v[8] = {time};
  std::memcpy(v + 1, value.data(), sizeof(float) * 7);
  return bytes(type, name, v, sizeof v);
}

} // namespace tools::udf
