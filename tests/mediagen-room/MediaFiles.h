// Reading the staged media back the way the program will: UDF files through the engine's
// reader, leaves as the scene loader interprets them.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/data/DiskFileStream.h"
#include "engine/data/udf/UdfReader.h"

namespace roomtest {

std::string stagePath(const std::string& name);

// A fully loaded UDF file (load options 0, as the scene and tour loaders use).
class UdfFile {
public:
  explicit UdfFile(const std::string& path);
  bool ok() const { return root_ != nullptr; }
  const engine::UdfNode& root() const { return *root_; }

private:
  engine::DiskFileStream stream_;
  engine::UdfReader reader_;
  std::unique_ptr<engine::UdfNode> root_;
};

const engine::UdfNode* child(const engine::UdfNode& node, const std::string& name);
std::vector<const engine::UdfNode*> children(const engine::UdfNode& node);
int32_t leafInt(const engine::UdfNode& node, const std::string& name, int32_t fallback = -1);
std::string leafString(const engine::UdfNode& node, const std::string& name);
template <size_t N> std::array<float, N> leafFloats(const engine::UdfNode& leaf) {
  std::array<float, N> v{};
  std::memcpy(v.data(), leaf.data(), std::min(leaf.dataSize(), sizeof v));
  return v;
}

struct MeshData {
  uint32_t fvf = 0;
  size_t stride = 0;
  std::vector<float> verts; // stride / 4 floats per vertex
  std::vector<uint32_t> indices;
  size_t vertexCount() const { return stride ? verts.size() * 4 / stride : 0; }
  std::array<float, 3> position(size_t v) const {
    const float* p = verts.data() + v * stride / 4;
    return {p[0], p[1], p[2]};
  }
};
MeshData meshOf(const engine::UdfNode& node);

} // namespace roomtest
