#include "tests/scene/SceneFile.h"

#include <cstring>

#include <gtest/gtest.h>

#include "engine/data/MemoryStream.h"
#include "engine/data/udf/UdfWriter.h"

namespace scenetest {

using engine::UdfNode;

Node bytesLeaf(std::string_view type, std::string_view name, const void* data, std::size_t size) {
  return UdfNode::makeLeaf(type, name, data, size, true);
}

Node intLeaf(std::string_view name, std::int32_t value) { return bytesLeaf("int", name, &value, sizeof value); }

Node floatLeaf(std::string_view name, float value) { return bytesLeaf("real", name, &value, sizeof value); }

Node stringLeaf(std::string_view name, std::string_view value) {
  return bytesLeaf("string", name, value.data(), value.size());
}

Node colorLeaf(std::string_view name, std::initializer_list<float> argb) {
  const std::vector<float> floats(argb);
  return bytesLeaf("color", name, floats.data(), floats.size() * sizeof(float));
}

Node matrixLeaf(std::string_view name, const D3DXMATRIX& m) {
  unsigned char block[68] = {};
  std::memcpy(block, &m.m[0][0], 64);
  return bytesLeaf("matrix", name, block, sizeof block);
}

Node keyLeaf(std::string_view name, float time, std::array<float, 7> value) {
  float floats[8] = {time};
  std::memcpy(floats + 1, value.data(), sizeof(float) * 7);
  return bytesLeaf("AniKey", name, floats, sizeof floats);
}

Node list(std::string_view type, std::string_view name) { return UdfNode::makeList(type, name); }

Node texturesOf(std::string_view type, std::string_view file, std::string_view addressU) {
  Node textures = list("Textures", "Textures");
  Node texture = list(type, type);
  if (!file.empty()) texture->addChild(stringLeaf("FileName", file));
  if (!addressU.empty()) texture->addChild(stringLeaf("TexAddrU", addressU));
  textures->addChild(std::move(texture));
  return textures;
}

Node subMaterial(std::string_view name, int subId, std::string_view file) {
  Node sub = list("Material", name);
  sub->addChild(intLeaf("MaterialSubId", subId));
  if (!file.empty()) sub->addChild(texturesOf("Diffuse", file));
  return sub;
}

D3DXMATRIX identity() {
  D3DXMATRIX m;
  D3DXMatrixIdentity(&m);
  return m;
}

D3DXMATRIX translation(float x, float y, float z) {
  D3DXMATRIX m;
  D3DXMatrixTranslation(&m, x, y, z);
  return m;
}

Node sceneNode(std::string_view type, std::string_view name, const D3DXMATRIX& nodeTM) {
  return sceneNode(type, name, nodeTM, identity());
}

Node sceneNode(std::string_view type, std::string_view name, const D3DXMATRIX& nodeTM, const D3DXMATRIX& objectTM) {
  Node node = list(type, name);
  node->addChild(matrixLeaf("NodeTM", nodeTM));
  node->addChild(matrixLeaf("ObjectTM", objectTM));
  return node;
}

UdfNode* addSceneChild(UdfNode& parent, Node child) {
  UdfNode* children = parent.findChild("Children");
  if (!children) children = parent.addChild(list("Node", "Children"));
  return children->addChild(std::move(child));
}

SceneFile::SceneFile() : children_(list("Node", "Children")) {}

UdfNode& SceneFile::materials() {
  if (!materials_) materials_ = list("Material", "Materials");
  return *materials_;
}

UdfNode& SceneFile::cameras() {
  if (!cameras_) cameras_ = list("Node", "Cameras");
  return *cameras_;
}

UdfNode& SceneFile::lights() {
  if (!lights_) lights_ = list("Node", "Lights");
  return *lights_;
}

const std::string& SceneFile::bytes() {
  std::vector<const UdfNode*> tops{children_.get()};
  for (const Node* n : {&materials_, &cameras_, &lights_})
    if (*n) tops.push_back(n->get());
  engine::MemoryStream out;
  out.open("", engine::kStreamWrite);
  EXPECT_TRUE(engine::UdfWriter::write(out, tops));
  bytes_ = out.contents();
  return bytes_;
}

engine::FileLocation SceneFile::location() {
  const std::string& b = bytes();
  return engine::FileLocation::memory(b.data(), std::uint32_t(b.size()));
}

Node meshNode(const MeshRecipe& recipe, const D3DXMATRIX& nodeTM) {
  Node node = sceneNode("Mesh", recipe.name, nodeTM);
  if (!recipe.material.empty()) node->addChild(stringLeaf("MaterialName", recipe.material));
  node->addChild(intLeaf("FVF", std::int32_t(recipe.fvf)));
  node->addChild(intLeaf("IndexSize", recipe.indexSize));
  std::size_t floatsPerVertex = 3;
  if (recipe.fvf & D3DFVF_NORMAL) floatsPerVertex += 3;
  if (recipe.fvf & D3DFVF_DIFFUSE) floatsPerVertex += 1;
  if (recipe.fvf & D3DFVF_SPECULAR) floatsPerVertex += 1;
  if (recipe.fvf & 0x100) floatsPerVertex += 2;
  if (recipe.fvf & 0x200) floatsPerVertex += 2;
  if (recipe.fvf & D3DFVF_XYZRHW) floatsPerVertex += 1;
  const auto counted = std::int32_t(recipe.vertices.size() / floatsPerVertex);
  node->addChild(intLeaf("NumVerts", recipe.numVerts >= 0 ? recipe.numVerts : counted));
  node->addChild(intLeaf("NumIndexes", std::int32_t(recipe.indices.size())));
  node->addChild(bytesLeaf("", "Verts", recipe.vertices.data(), recipe.vertices.size() * sizeof(float)));
  std::string indexData;
  if (recipe.indexSize == 2) {
    std::vector<std::uint16_t> narrow(recipe.indices.begin(), recipe.indices.end());
    indexData.assign(reinterpret_cast<const char*>(narrow.data()), narrow.size() * 2);
  } else {
    indexData.assign(reinterpret_cast<const char*>(recipe.indices.data()), recipe.indices.size() * 4);
  }
  if (recipe.indexBytes < indexData.size()) indexData.resize(recipe.indexBytes);
  node->addChild(bytesLeaf("int", "Indexes", indexData.data(), indexData.size()));
  return node;
}

Node skinnedStrip(std::string_view name, std::vector<std::uint32_t> counts,
                  std::vector<std::pair<std::uint32_t, float>> weights,
                  std::vector<std::pair<std::string, std::string>> bones) {
  MeshRecipe recipe;
  recipe.name = std::string(name);
  recipe.fvf = D3DFVF_XYZ;
  recipe.vertices = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  recipe.indices = {0, 1, 2};
  Node node = meshNode(recipe);
  Node names = list("Node", "BoneNames");
  for (const auto& [index, boneName] : bones)
    names->addChild(stringLeaf(index, boneName));
  node->addChild(std::move(names));
  const std::vector<std::uint32_t> offsets(3, 0);
  node->addChild(bytesLeaf("", "VertBoneOffs", offsets.data(), offsets.size() * 4));
  node->addChild(bytesLeaf("", "VertBoneNums", counts.data(), counts.size() * 4));
  std::vector<char> packed(weights.size() * 8);
  for (std::size_t i = 0; i < weights.size(); ++i) {
    std::memcpy(packed.data() + i * 8, &weights[i].first, 4);
    std::memcpy(packed.data() + i * 8 + 4, &weights[i].second, 4);
  }
  node->addChild(bytesLeaf("", "BoneWeights", packed.data(), packed.size()));
  return node;
}

} // namespace scenetest
