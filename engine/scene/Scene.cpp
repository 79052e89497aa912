#include "engine/scene/Scene.h"

#include <cmath>
#include <cstring>

#include "engine/core/Log.h"
#include "engine/data/ByteBlock.h"
#include "engine/data/MemoryStream.h"
#include "engine/data/udf/UdfReader.h"
#include "engine/scene/UdfValues.h"

namespace engine {

namespace {

// Nodes nested deeper than this are not loaded: a hostile file must not exhaust the stack.
constexpr int kMaxNodeDepth = 256;
// An ObjectTM this close to the identity in every element is no offset at all.
constexpr float kIdentityTolerance = 0.01f;

bool nearIdentity(const D3DXMATRIX& m) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (std::fabs(m.m[r][c] - (r == c ? 1.0f : 0.0f)) > kIdentityTolerance) return false;
  return true;
}

} // namespace

Scene::Scene() = default;

Scene::~Scene() = default;

bool Scene::load(FileLocation location, std::string_view sourceName) {
  sourceName_ = std::string(sourceName);
  const std::string where = location.path.empty() ? std::string("in memory") : location.path;
  ByteBlock bytes;
  bool borrow = true;
  if (!location.readAll(bytes, borrow)) {
    logLine("Error: cannot open the scene file " + where + "\n");
    return false;
  }
  MemoryStream stream;
  stream.openOver(bytes.view());
  UdfReader reader;
  std::unique_ptr<UdfNode> top = reader.open(stream);
  if (!top || !reader.load(*top, 0)) {
    logLine("Error: cannot read the scene file " + where + "\n");
    return false;
  }
  const bool loaded = loadTree(*top, sourceName);
  reader.close();
  return loaded;
}

bool Scene::loadTree(const UdfNode& top, std::string_view sourceName) {
  sourceName_ = std::string(sourceName);
  loadIndex_.clear();
  root_.forEach([this](SceneNode& n) {
    if (&n != &root_) loadIndex_.emplace(n.name(), &n);
  });
  if (const UdfNode* cameras = top.findChild("Cameras")) loadChildren(*cameras, cameraRoot_, false, 0);
  if (const UdfNode* children = top.findChild("Children")) loadChildren(*children, root_, true, 0);
  loadIndex_.clear();
  computeBindInverses();
  return true;
}

void Scene::loadChildren(const UdfNode& list, SceneNode& parent, bool inRootTree, int depth) {
  if (depth >= kMaxNodeDepth) {
    logLine("Error: scene nodes nested deeper than " + std::to_string(kMaxNodeDepth) + " levels are skipped\n");
    return;
  }
  for (const auto& entry : list.children()) loadNode(*entry.value, parent, inRootTree, depth + 1);
}

void Scene::loadNode(const UdfNode& data, SceneNode& parent, bool inRootTree, int depth) {
  SceneNode* node = nullptr;
  if (inRootTree) {
    auto found = loadIndex_.find(data.name());
    if (found != loadIndex_.end()) node = found->second;
  }
  if (!node) {
    auto created = std::make_unique<SceneNode>(data.name(), data.typeName());
    node = parent.addChild(std::move(created));
    if (inRootTree) loadIndex_.emplace(node->name(), node);
  }
  readTransforms(data, *node);
  loadAnimation(data, *node);
  if (const UdfNode* children = data.findChild("Children")) loadChildren(*children, *node, inRootTree, depth);
}

void Scene::readTransforms(const UdfNode& data, SceneNode& node) {
  D3DXMATRIX nodeTM, objectTM;
  if (!readMatrix(data, "NodeTM", nodeTM) || !readMatrix(data, "ObjectTM", objectTM)) return;
  std::shared_ptr<NodeTransform> offset;
  if (!nearIdentity(objectTM)) offset = NodeTransform::general(objectTM);
  node.setTransforms(sourceName_, NodeTransform::fromNodeTM(nodeTM), std::move(offset));
}

void Scene::loadAnimation(const UdfNode& data, SceneNode& node) {
  const UdfNode* section = data.findChild("Animation");
  if (!section) return;
  auto animation = std::make_shared<Animation>();
  for (auto [name, kind] : {std::pair{"Position", TrackKind::Position}, std::pair{"Scale", TrackKind::Scale},
                            std::pair{"Rotation", TrackKind::Rotation}}) {
    const UdfNode* keys = section->findChild(name);
    if (!keys) continue;
    Track& track = animation->track(kind);
    for (const auto& entry : keys->children()) {
      AnimationKey key;
      if (!AnimationKey::fromBytes(entry.value->bytes(), key)) break;
      track.addKey(key);
    }
    if (keys->typeName() == "Sample" || keys->typeName() == "Linear") track.addFlags(kTrackLinear);
  }
  node.addAnimation(sourceName_, std::move(animation));
}

void Scene::computeBindInverses() {
  std::function<void(SceneNode&, const Matrix&)> walk = [&](SceneNode& node, const Matrix& parentWorld) {
    Matrix world;
    multiply(world, node.localMatrix(), parentWorld);
    // A singular world keeps what the inverse routine leaves: the identity it starts from.
    D3DXMATRIX inverse;
    D3DXMatrixIdentity(&inverse);
    D3DXMatrixInverse(&inverse, nullptr, &world.m);
    node.setBindInverse(Matrix(inverse));
    for (auto& entry : node.children()) walk(*entry.value, world);
  };
  for (auto& entry : root_.children()) walk(*entry.value, Matrix::identity());
}

} // namespace engine
