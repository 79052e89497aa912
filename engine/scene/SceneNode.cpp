#include "engine/scene/SceneNode.h"

#include <algorithm>

#include "engine/app/Stopwatch.h"
#include "engine/core/Strings.h"
#include "engine/render/Camera.h"
#include "engine/render/RenderView.h"
#include "engine/scene/MeshInstance.h"

namespace engine {

bool boxOutsideFrustum(const BoundingBox& box, const D3DXMATRIX& viewProjection) {
  // Bits of the six bounds each corner breaks; a bound every corner breaks hides the box.
  unsigned brokenByAll = 0x3F;
  for (int i = 0; i < 8; ++i) {
    const D3DXVECTOR3 corner = boxCorner(box, i);
    D3DXVECTOR4 p;
    D3DXVec3Transform(&p, &corner, &viewProjection);
    unsigned broken = 0;
    if (p.x < -p.w) broken |= 1;
    if (p.x > p.w) broken |= 2;
    if (p.y < -p.w) broken |= 4;
    if (p.y > p.w) broken |= 8;
    if (p.z < 0.0f) broken |= 16;
    if (p.z > p.w) broken |= 32;
    if (broken == 0) return false; // a corner inside: visible at once
    brokenByAll &= broken;
  }
  return brokenByAll != 0;
}

SceneNode::SceneNode(std::string_view name, std::string_view typeName) : name_(name), typeName_(typeName) {}

SceneNode::~SceneNode() = default;

void SceneNode::setGeometry(std::unique_ptr<MeshInstance> geometry) { geometry_ = std::move(geometry); }

bool SceneNode::updateWorldBounds() {
  if (!geometry_ || !geometry_->ready()) return false;
  worldBounds_ = transformedBox(geometry_->bounds(), drawWorld_.m);
  return true;
}

bool SceneNode::visible(TraversalContext& context) const {
  if (context.flags & kTraverseNoCulling) return true;
  Camera* camera = context.camera ? context.camera : context.queue ? &context.queue->camera() : nullptr;
  if (!camera) return true;
  return !boxOutsideFrustum(geometry_->worldBox(), camera->viewProjection().m);
}

bool SceneNode::traverse(TraversalContext& context) {
  if (context.nowMs >= 0) return visit(context);
  // The clock is read once for the whole tree, and only for this frame: a context kept from
  // one frame to the next reads it again next time.
  context.nowMs = nowMilliseconds();
  const bool ok = visit(context);
  context.nowMs = -1;
  return ok;
}

bool SceneNode::visit(TraversalContext& context) {
  const double* at = (context.flags & kTraverseAtTime) ? &context.time : nullptr;
  const Matrix animated = animatedLocal(context.nowMs, at);
  const Matrix savedWorld = context.world;
  Matrix savedStatic;
  if (context.staticWorld) savedStatic = *context.staticWorld;

  multiply(context.world, animated, savedWorld);
  multiply(drawWorld_, objectOffsetMatrix(), context.world);
  if (context.staticWorld) multiply(*context.staticWorld, localMatrix(), savedStatic);
  if (equalsNoCase(typeName_, "bone")) {
    const Matrix& staticWorld = context.staticWorld ? *context.staticWorld : Matrix::identity();
    D3DXMATRIX inverse;
    D3DXMatrixIdentity(&inverse);
    D3DXMatrixInverse(&inverse, nullptr, &staticWorld.m);
    multiply(skinMatrix_, Matrix(inverse), drawWorld_);
  }

  bool ok = true;
  if (!(context.flags & kTraverseUpdateOnly) && geometry_) {
    geometry_->setWorld(drawWorld_);
    geometry_->refresh();
    worldBounds_ = geometry_->worldBox();
    if (visible(context)) {
      if (context.queue)
        context.queue->add(*geometry_);
      else
        ok = geometry_->draw();
    }
  }
  for (auto& entry : children_)
    ok = entry.value->visit(context) && ok;

  context.world = savedWorld;
  if (context.staticWorld) *context.staticWorld = savedStatic;
  return ok;
}

bool drawFrame(SceneNode& root, RenderView& view, TraversalContext context) {
  view.clear();
  Matrix staticWorld;
  context.staticWorld = &staticWorld;
  context.queue = &view;
  const bool traversed = root.traverse(context);
  return view.drawQueued() && traversed;
}

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
  for (auto& entry : children_)
    entry.value->forEach(f);
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

D3DXVECTOR3 SceneNode::worldPosition() const {
  Matrix world = localMatrix();
  for (const SceneNode* above = parent_; above; above = above->parent_) {
    Matrix next;
    multiply(next, world, above->localMatrix());
    world = next;
  }
  return D3DXVECTOR3(world.m._41, world.m._42, world.m._43);
}

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

template <class F> void SceneNode::forSubtree(bool subtree, F f) {
  f(*this);
  if (!subtree) return;
  for (auto& entry : children_)
    entry.value->forSubtree(true, f);
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
