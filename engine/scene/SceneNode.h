// A named node of a scene: its place in the tree, the pose the file gives it, its
// animation, and the matrices the per-frame traversal leaves on it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "engine/core/Matrix.h"
#include "engine/core/NameMap.h"
#include "engine/render/BoundingBox.h"
#include "engine/scene/AnimationController.h"
#include "engine/scene/NodeTransform.h"

namespace engine {

class Camera;
class MeshInstance;
class RenderView;

// Traversal flags.
constexpr std::uint32_t kTraverseAtTime = 1;     // animation at `time` instead of the clock
constexpr std::uint32_t kTraverseNoCulling = 2;  // draw whatever the camera sees or not
constexpr std::uint32_t kTraverseUpdateOnly = 4; // matrices only, nothing drawn

// What the per-frame traversal carries from a node to its children.
struct TraversalContext {
  std::uint32_t flags = 0;
  Matrix world;                  // the running animated world matrix
  Matrix* staticWorld = nullptr; // the running world of the file's poses
  double time = 0.0;             // seconds, with kTraverseAtTime
  RenderView* queue = nullptr;   // drawables go here; without one they are drawn at once
  // The camera culling tests against: this one, else the queue's; without either nothing
  // is culled.
  Camera* camera = nullptr;
  std::int64_t nowMs = -1; // the engine clock for this frame; -1 reads it at each traversal
};

// Whether a box (in world coordinates) lies wholly outside the view of `viewProjection`:
// true only when all eight corners are beyond one and the same side of the frustum.
bool boxOutsideFrustum(const BoundingBox& box, const D3DXMATRIX& viewProjection);

class SceneNode {
public:
  // Children by name, ignoring case, in the order they were added.
  using ChildMap = NameMap<std::unique_ptr<SceneNode>, NoCaseLess>;

  explicit SceneNode(std::string_view name = {}, std::string_view typeName = {});
  virtual ~SceneNode();
  SceneNode(const SceneNode&) = delete;
  SceneNode& operator=(const SceneNode&) = delete;

  const std::string& name() const { return name_; }
  const std::string& typeName() const { return typeName_; }
  // Renaming re-files the node under its new name in its parent.
  void setName(std::string_view name);
  void setTypeName(std::string_view typeName) { typeName_ = std::string(typeName); }

  SceneNode* parent() const { return parent_; }
  const ChildMap& children() const { return children_; }
  ChildMap& children() { return children_; }
  // Adds `child` under its name; a child already there under that name is replaced (and
  // destroyed). Answers the added child.
  SceneNode* addChild(std::unique_ptr<SceneNode> child);
  // Takes a child out of the tree and hands it to the caller; null when it is not a child.
  std::unique_ptr<SceneNode> removeChild(SceneNode& child);

  // This node or the first node of its subtree with that name, ignoring case, searched
  // depth first in child order (so a node wins over namesakes below it).
  SceneNode* findByName(std::string_view name);
  // Calls f on this node and on every node below it, parents before children.
  void forEach(const std::function<void(SceneNode&)>& f);

  // The pose. Transforms are filed by the name of the source that set them (the scene
  // file's source name); the latest one set is the node's current transform.
  void setTransforms(std::string_view sourceName, std::shared_ptr<NodeTransform> transform,
                     std::shared_ptr<NodeTransform> objectOffset);
  // Makes `transform` the current transform under `sourceName`, keeping the object offset.
  void installTransform(std::string_view sourceName, std::shared_ptr<NodeTransform> transform);
  const std::shared_ptr<NodeTransform>& transform() const { return transform_; }
  const std::shared_ptr<NodeTransform>& objectOffset() const { return objectOffset_; }
  std::shared_ptr<NodeTransform> transformFiledUnder(std::string_view sourceName) const;
  // The current transform's matrix; the identity without one.
  Matrix localMatrix() const;
  // Where the node's origin lies in the world of its tree's root, by the current
  // transforms of the node and its parents (not by their animation).
  D3DXVECTOR3 worldPosition() const;
  Matrix objectOffsetMatrix() const;

  // Animation.
  AnimationController& animation() { return animation_; }
  const AnimationController& animation() const { return animation_; }
  void addAnimation(std::string_view sourceName, std::shared_ptr<Animation> animation);
  // The node's animated local matrix, at the clock's `nowMs` or (with `atSeconds`) at a
  // given animation time:
  //   - when a layer of the node's animation produces a matrix, that matrix: the tracks
  //     carry the whole local transform (a pendulum's rotation keys about its pivot come
  //     with the pivot as its position keys);
  //   - otherwise the current transform's matrix, so a node without animation keeps its
  //     file pose and a node whose transform is an installed rotation key turns about its
  //     parent's axes.
  Matrix animatedLocal(std::int64_t nowMs, const double* atSeconds = nullptr) const;

  // Layer operations on this node and, with `subtree`, on every node below it. `layer`
  // is a layer id or kAllLayers.
  void playAnimation(std::string_view sourceName, int layer, bool subtree);
  void startAnimation(int layer, bool subtree);
  void setAnimationSpeed(int layer, float speed, bool subtree);
  void setAnimationFlags(int layer, std::uint32_t flags, bool subtree);
  void setAnimationSubRange(int layer, float start, float end, bool subtree);
  // The union of the time ranges of every player of this node and its subtree.
  bool animationTimeRange(float& start, float& end);

  // The drawable mesh of the node, or null.
  MeshInstance* geometry() const { return geometry_.get(); }
  void setGeometry(std::unique_ptr<MeshInstance> geometry);
  // Recomputes the world box of the geometry from the node's current world matrix; false
  // without geometry or when it is not ready.
  bool updateWorldBounds();
  const BoundingBox& worldBounds() const { return worldBounds_; }

  // The per-frame update and draw of this node and its subtree, at the context's `nowMs`
  // or, when that is -1, at the clock read now. The context is as it was when it returns.
  // False when a draw failed.
  bool traverse(TraversalContext& context);

  // Matrices the loader and the traversal keep on the node.
  const Matrix& bindInverse() const { return bindInverse_; }
  void setBindInverse(const Matrix& m) { bindInverse_ = m; }
  const Matrix& drawWorld() const { return drawWorld_; }
  const Matrix& skinMatrix() const { return skinMatrix_; }

private:
  bool visible(TraversalContext& context) const;
  // traverse() of this node and its subtree, with the context's time set.
  bool visit(TraversalContext& context);

  template <class F> void forSubtree(bool subtree, F f);

  std::string name_;
  std::string typeName_;
  SceneNode* parent_ = nullptr;
  ChildMap children_;
  std::shared_ptr<NodeTransform> transform_;
  std::shared_ptr<NodeTransform> objectOffset_;
  struct FiledTransforms {
    std::shared_ptr<NodeTransform> transform;
    std::shared_ptr<NodeTransform> objectOffset;
  };
  std::map<std::string, FiledTransforms, std::less<>> filed_;
  AnimationController animation_;
  std::unique_ptr<MeshInstance> geometry_;
  BoundingBox worldBounds_;
  Matrix bindInverse_;
  Matrix drawWorld_;
  Matrix skinMatrix_;
};

// One frame of the tree under `root` through `view`: the view's queues emptied, the tree
// traversed into them with the file's poses tracked from the identity (bones need them),
// and both queues drawn. `context` gives the flags, the time and the camera; the queue
// and the static world are set here. False when a draw failed.
bool drawFrame(SceneNode& root, RenderView& view, TraversalContext context = {});

} // namespace engine
