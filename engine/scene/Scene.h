// A scene loaded from a UDF scene file: the node tree under `root`, the camera nodes under
// `cameraRoot`, the materials, meshes and lights, and the buffers the meshes draw from.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/NameMap.h"
#include "engine/data/FileLocation.h"
#include "engine/data/FileSearchPaths.h"
#include "engine/scene/MeshBuffer.h"
#include "engine/scene/MeshGeometry.h"
#include "engine/scene/MeshInstance.h"
#include "engine/scene/RenderSettings.h"
#include "engine/scene/SceneLight.h"
#include "engine/scene/SceneNode.h"

namespace engine {

class UdfNode;

struct Material {
  std::string name;
  RenderSettings settings;
};

class Scene {
public:
  Scene();
  virtual ~Scene();
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // Loads the scene file at `location`; every transform and animation it sets is filed
  // under `sourceName`. Textures are looked up beside the file first, then where the
  // texture store looks. False (with a log line) when the file cannot be opened or parsed,
  // or a skinned mesh names a bone that is not there; what was built stays.
  bool load(FileLocation location, std::string_view sourceName);
  // The same from a tree already read (the file's root node).
  bool loadTree(const UdfNode& top, std::string_view sourceName);

  const std::string& sourceName() const { return sourceName_; }
  SceneNode& root() { return root_; }
  SceneNode& cameraRoot() { return cameraRoot_; }
  RenderSettings& defaultRenderSettings() { return defaultRenderSettings_; }
  LightSet& lights() { return lights_; }
  // The buffers of every mesh: the application releases and restores them around a reset.
  BufferPool& bufferPool() { return bufferPool_; }
  const std::map<std::string, std::unique_ptr<MeshGeometry>, std::less<>>& meshes() const { return meshes_; }
  // The skinned meshes of both trees as the last load left them, cameras first.
  const std::vector<SkinnedMeshInstance*>& skinnedMeshes() const { return skinnedMeshes_; }

  // The "Materials" section; materials of a name already known are skipped.
  bool loadMaterials(const UdfNode& section);
  Material* findMaterial(std::string_view name);
  // The "Lights" section; false at the first light of an unknown kind or one refused.
  bool loadLights(const UdfNode& section);
  // A "Mesh" node's geometry and instance; false when a key it needs is missing or its
  // data does not hold up.
  bool loadMesh(const UdfNode& data, SceneNode& node);
  // Reads a node's "Animation" section into an animation filed on the node.
  void loadAnimation(const UdfNode& data, SceneNode& node);

  // The texture of a material, by file name, from the texture store.
  TextureRef loadTexture(std::string_view fileName);
  // Where textures are looked up first (the scene file's folder after a load from disk).
  FileSearchPaths& textureSearchPaths() { return textureSearchPaths_; }

protected:
  // Makes the drawable of a mesh node; a derived scene may make its own.
  virtual bool createMeshInstance(const UdfNode& data, SceneNode& node, const RenderSettings* settings,
                                  const MeshGeometry& geometry, std::unique_ptr<SkinData> skin);
  // Takes a light read from the file; the base adds it to the light set.
  virtual bool addLight(const UdfNode& data, std::unique_ptr<SceneLight> light);

private:
  void loadNode(const UdfNode& data, SceneNode& parent, bool inRootTree, int depth);
  void loadChildren(const UdfNode& list, SceneNode& parent, bool inRootTree, int depth);
  void readTransforms(const UdfNode& data, SceneNode& node);
  void computeBindInverses();
  void collectSkinnedMeshes();
  bool bindBones();

  std::string sourceName_;
  RenderSettings defaultRenderSettings_;
  std::map<std::string, Material, std::less<>> materials_;
  std::map<std::string, std::unique_ptr<MeshGeometry>, std::less<>> meshes_;
  // Geometries a later mesh of the same name displaced; their instances still draw them.
  std::vector<std::unique_ptr<MeshGeometry>> retiredMeshes_;
  LightSet lights_;
  // Declared before the nodes: instances hold buffers of the pool and go first.
  BufferPool bufferPool_;
  SceneNode cameraRoot_;
  SceneNode root_;
  std::vector<SkinnedMeshInstance*> skinnedMeshes_;
  FileSearchPaths textureSearchPaths_;
  // Names of the root tree while a load runs: the first node of each name, as a depth-first
  // search of the tree would find it.
  std::map<std::string, SceneNode*, NoCaseLess> loadIndex_;
};

} // namespace engine
