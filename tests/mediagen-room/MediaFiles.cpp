#include "tests/mediagen-room/MediaFiles.h"

namespace roomtest {

std::string stagePath(const std::string& name) { return std::string(TICKWOOD_MEDIA_STAGE) + "/" + name; }

UdfFile::UdfFile(const std::string& path) {
  if (!stream_.open(path, engine::kStreamRead)) return;
  root_ = reader_.open(stream_);
  if (root_ && !reader_.load(*root_, 0)) root_.reset();
}

const engine::UdfNode* child(const engine::UdfNode& node, const std::string& name) { return node.findChild(name); }

std::vector<const engine::UdfNode*> children(const engine::UdfNode& node) {
  std::vector<const engine::UdfNode*> out;
  for (const auto& entry : node.children())
    out.push_back(entry.value);
  return out;
}

int32_t leafInt(const engine::UdfNode& node, const std::string& name, int32_t fallback) {
  int32_t v = fallback;
  if (!node.copyChildData(name, &v, sizeof v)) return fallback;
  return v;
}

std::string leafString(const engine::UdfNode& node, const std::string& name) {
  const engine::UdfNode* c = node.findChild(name);
  return c ? c->dataString() : std::string();
}

MeshData meshOf(const engine::UdfNode& node) {
  MeshData m;
  m.fvf = uint32_t(leafInt(node, "FVF", 0));
  int32_t count = leafInt(node, "NumVerts", 0);
  const engine::UdfNode* verts = node.findChild("Verts");
  const engine::UdfNode* indexes = node.findChild("Indexes");
  if (!verts || !indexes || count <= 0) return m;
  m.stride = verts->dataSize() / size_t(count);
  m.verts.resize(verts->dataSize() / 4);
  std::memcpy(m.verts.data(), verts->data(), m.verts.size() * 4);
  m.indices.resize(indexes->dataSize() / 4);
  std::memcpy(m.indices.data(), indexes->data(), m.indices.size() * 4);
  return m;
}

} // namespace roomtest
