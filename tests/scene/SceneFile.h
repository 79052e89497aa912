// Scene files written in the tests with the engine's UDF writer: typed leaves, nodes and
// a whole file held in memory, ready for Scene::load.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/data/FileLocation.h"
#include "engine/data/udf/UdfNode.h"
#include "platform/d3dx9/d3dx9math.h"

namespace scenetest {

using Node = std::unique_ptr<engine::UdfNode>;

Node intLeaf(std::string_view name, std::int32_t value);
Node floatLeaf(std::string_view name, float value);
Node stringLeaf(std::string_view name, std::string_view value);
Node colorLeaf(std::string_view name, std::initializer_list<float> argb);
Node matrixLeaf(std::string_view name, const D3DXMATRIX& m);
Node bytesLeaf(std::string_view type, std::string_view name, const void* data, std::size_t size);
Node keyLeaf(std::string_view name, float time, std::array<float, 7> value);
Node list(std::string_view type, std::string_view name);

D3DXMATRIX identity();
D3DXMATRIX translation(float x, float y, float z);

// A material's "Textures" list of one texture of kind `type` (named `file` unless empty,
// addressed by `addressU` unless empty).
Node texturesOf(std::string_view type, std::string_view file, std::string_view addressU = {});
// An entry of a multi-material's "Materials" list, with a diffuse texture unless `file` is
// empty.
Node subMaterial(std::string_view name, int subId, std::string_view file = {});

// A node of a scene file with its pose (NodeTM and an identity ObjectTM unless told).
Node sceneNode(std::string_view type, std::string_view name, const D3DXMATRIX& nodeTM = identity());
Node sceneNode(std::string_view type, std::string_view name, const D3DXMATRIX& nodeTM, const D3DXMATRIX& objectTM);
// Adds `child` to the "Children" list of `parent`, making the list when needed.
engine::UdfNode* addSceneChild(engine::UdfNode& parent, Node child);

// A whole scene file: its top-level sections, written to bytes the file keeps.
class SceneFile {
public:
  SceneFile();
  engine::UdfNode& children() { return *children_; }
  engine::UdfNode& materials();
  engine::UdfNode& cameras();
  engine::UdfNode& lights();

  // The file's bytes (written afresh on every call) and a memory location over them.
  const std::string& bytes();
  engine::FileLocation location();

private:
  Node children_;
  Node materials_;
  Node cameras_;
  Node lights_;
  std::string bytes_;
};

// A mesh node: positions (x, y, z) with the given extra floats per vertex, indices.
struct MeshRecipe {
  std::string name = "mesh";
  std::string material;
  std::uint32_t fvf = D3DFVF_XYZ;
  std::vector<float> vertices; // already laid out for the FVF
  std::vector<std::uint32_t> indices;
  int indexSize = 2;
  int numVerts = -1;                 // -1: the count the vertices make
  std::size_t indexBytes = SIZE_MAX; // fewer bytes of index data than the indices take
};
Node meshNode(const MeshRecipe& recipe, const D3DXMATRIX& nodeTM = identity());
// A skinned mesh of three vertices: vertex i takes counts[i] of the (bone index, weight)
// influences in order; the bones are named by index.
Node skinnedStrip(std::string_view name, std::vector<std::uint32_t> counts,
                  std::vector<std::pair<std::uint32_t, float>> weights,
                  std::vector<std::pair<std::string, std::string>> bones = {{"0", "Arm"}, {"1", "Hand"}});

} // namespace scenetest
