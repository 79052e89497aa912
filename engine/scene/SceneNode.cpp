#include "engine/scene/SceneNode.h"

#include <algorithm>

#include "engine/app/Stopwatch.h"
#include "engine/core/Strings.h"

namespace engine {

SceneNode::SceneNode(std::string_view name, std::string_view typeName) : name_(name), typeName_(typeName) {}

SceneNode::~SceneNode() = default;

void SceneNode::setName(std::string_view name) {
  if (!parent_) {
    name_ = std::string(name);
    return;
  }
  SceneNode* parent = parent_;
  std::unique_ptr<SceneNode> self = parent->removeChild(*this);
  name_ = std::string(name);
  parent->addChild(std::move(self));
}

SceneNode* SceneNode::addChild(std::unique_ptr<SceneNode> child) {
  if (!child) return nullptr;
  SceneNode* added = child.get();
  child->parent_ = this;
  std::unique_ptr<SceneNode>* slot = children_.find(added->name_);
  if (slot) {
    // The newcomer takes over the entry (and its place in the order).
    *slot = std::move(child);
  } else {
    children_.insert(added->name_, std::move(child));
  }
  return added;
}

std::unique_ptr<SceneNode> SceneNode::removeChild(SceneNode& child) {
  std::unique_ptr<SceneNode>* slot = children_.find(child.name_);
  if (!slot || slot->get() != &child) return nullptr;
  std::unique_ptr<SceneNode> taken = std::move(*slot);
  children_.erase(child.name_);
  taken->parent_ = nullptr;
  return taken;
}

SceneNode* SceneNode::findByName(std::string_view name) {
  if (equalsNoCase(name_, name)) return this;
  for (auto& entry : children_) {
    if (SceneNode* found = entry.value->findByName(name)) return found;
  }
  return nullptr;
}

void SceneNode::forEach(const std::function<void(SceneNode&)>& f) {
  f(*this);
  for (auto& entry : children_) entry.value->forEach(f);
}

void SceneNode::setTransforms(std::string_view sourceName, std::shared_ptr<NodeTransform> transform,
                              std::shared_ptr<NodeTransform> objectOffset) {
  transform_ = transform;
  objectOffset_ = objectOffset;
  FiledTransforms& filed = filed_[std::string(sourceName)];
  filed.transform = std::move(transform);
  filed.objectOffset = std::move(objectOffset);
}

void SceneNode::installTransform(std::string_view sourceName, std::shared_ptr<NodeTransform> transform) {
  transform_ = transform;
  filed_[std::string(sourceName)].transform = std::move(transform);
}

std::shared_ptr<NodeTransform> SceneNode::transformFiledUnder(std::string_view sourceName) const {
  auto found = filed_.find(sourceName);
  return found == filed_.end() ? nullptr : found->second.transform;
}

Matrix SceneNode::localMatrix() const { return transform_ ? transform_->localMatrix() : Matrix::identity(); }

Matrix SceneNode::objectOffsetMatrix() const {
  return objectOffset_ ? objectOffset_->localMatrix() : Matrix::identity();
}

void SceneNode::addAnimation(std::string_view sourceName, std::shared_ptr<Animation> animation) {
  animation_.addAnimation(sourceName, std::move(animation));
}

Matrix SceneNode::animatedLocal(std::int64_t nowMs, const double* atSeconds) const {
  Matrix animated;
  const bool produced =
      atSeconds ? animation_.evaluateAt(*atSeconds, nowMs, animated) : animation_.evaluate(nowMs, animated);
  return produced ? animated : localMatrix();
}

template <class F>
void SceneNode::forSubtree(bool subtree, F f) {
  f(*this);
  if (!subtree) return;
  for (auto& entry : children_) entry.value->forSubtree(true, f);
}

void SceneNode::playAnimation(std::string_view sourceName, int layer, bool subtree) {
  forSubtree(subtree, [&](SceneNode& n) { n.animation_.play(layer, sourceName); });
}

void SceneNode::startAnimation(int layer, bool subtree) {
  const std::int64_t now = nowMilliseconds();
  forSubtree(subtree, [&](SceneNode& n) { n.animation_.start(layer, now); });
}

void SceneNode::setAnimationSpeed(int layer, float speed, bool subtree) {
  forSubtree(subtree, [&](SceneNode& n) { n.animation_.setSpeed(layer, speed); });
}

void SceneNode::setAnimationFlags(int layer, std::uint32_t flags, bool subtree) {
  forSubtree(subtree, [&](SceneNode& n) { n.animation_.setFlags(layer, flags); });
}

void SceneNode::setAnimationSubRange(int layer, float start, float end, bool subtree) {
  forSubtree(subtree, [&](SceneNode& n) { n.animation_.setSubRange(layer, start, end); });
}

bool SceneNode::animationTimeRange(float& start, float& end) {
  bool any = false;
  forSubtree(true, [&](SceneNode& n) {
    float s = 0.0f, e = 0.0f;
    if (!n.animation_.timeRange(s, e)) return;
    start = any ? std::min(start, s) : s;
    end = any ? std::max(end, e) : e;
    any = true;
  });
  return any;
}

} // namespace engine
