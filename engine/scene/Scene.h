// A scene loaded from a UDF scene file: the node tree under `root`, the camera nodes under
// `cameraRoot`, and the scene-wide tables the nodes draw with.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "engine/core/NameMap.h"
#include "engine/data/FileLocation.h"
#include "engine/scene/SceneNode.h"

namespace engine {

class UdfNode;

class Scene {
public:
  Scene();
  virtual ~Scene();
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // Loads the scene file at `location`; every transform and animation it sets is filed
  // under `sourceName`. False (with a log line) when the file cannot be opened or parsed,
  // or a skinned mesh names a bone that is not there; what was built stays.
  bool load(FileLocation location, std::string_view sourceName);
  // The same from a tree already read (the file's root node).
  bool loadTree(const UdfNode& top, std::string_view sourceName);

  const std::string& sourceName() const { return sourceName_; }
  SceneNode& root() { return root_; }
  SceneNode& cameraRoot() { return cameraRoot_; }

  // Reads a node's "Animation" section into an animation filed on the node.
  void loadAnimation(const UdfNode& data, SceneNode& node);

private:
  // Loads data node `data` under `parent` (or reuses the node of that name in the tree).
  void loadNode(const UdfNode& data, SceneNode& parent, bool inRootTree, int depth);
  void loadChildren(const UdfNode& list, SceneNode& parent, bool inRootTree, int depth);
  void readTransforms(const UdfNode& data, SceneNode& node);
  void computeBindInverses();

  std::string sourceName_;
  SceneNode cameraRoot_;
  SceneNode root_;
  // Names of the root tree while a load runs: the first node of each name, as a depth-first
  // search of the tree would find it.
  std::map<std::string, SceneNode*, NoCaseLess> loadIndex_;
};

} // namespace engine
