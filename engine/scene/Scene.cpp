#include "engine/scene/Scene.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "engine/core/Log.h"
#include "engine/data/udf/UdfNode.h"
#include "engine/resources/textures/TextureManager.h"
#include "engine/scene/MaterialReader.h"
#include "engine/scene/UdfValues.h"

namespace engine {

namespace {

// Nodes nested deeper than this are not loaded: a hostile file must not exhaust the stack.
constexpr int kMaxNodeDepth = 256;
// An ObjectTM this close to the identity in every element is no offset at all.
constexpr float kIdentityTolerance = 0.01f;
// Bone indices from this on are refused: the name table grows to the largest index.
constexpr long kMaxBones = 65536;

bool nearIdentity(const D3DXMATRIX& m) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (std::fabs(m.m[r][c] - (r == c ? 1.0f : 0.0f)) > kIdentityTolerance) return false;
  return true;
}

// `count` 32-bit values of a raw block; missing entries are 0.
std::vector<std::uint32_t> words32(const UdfNode* block, std::size_t count) {
  std::vector<std::uint32_t> out(count, 0);
  // An empty block has no data pointer at all, which memcpy must not be given.
  const std::size_t bytes = block ? std::min(block->dataSize(), count * 4) / 4 * 4 : 0;
  if (bytes > 0) std::memcpy(out.data(), block->data(), bytes);
  return out;
}

std::unique_ptr<SkinData> readSkin(const UdfNode& data, const UdfNode& boneNames, UINT vertexCount) {
  auto skin = std::make_unique<SkinData>();
  for (const auto& entry : boneNames.children()) {
    char* end = nullptr;
    const long index = std::strtol(entry.name.c_str(), &end, 10);
    if (entry.name.empty() || *end != '\0' || index < 0 || index >= kMaxBones) {
      logLine("Error: bone number " + entry.name + " of a skinned mesh is not used\n");
      continue;
    }
    if (std::size_t(index) >= skin->boneNames.size()) skin->boneNames.resize(std::size_t(index) + 1);
    skin->boneNames[std::size_t(index)] = entry.value->dataString();
  }
  skin->vertexBoneOffsets = words32(data.findChild("VertBoneOffs"), vertexCount);
  skin->vertexBoneCounts = words32(data.findChild("VertBoneNums"), vertexCount);
  if (const UdfNode* weights = data.findChild("BoneWeights")) {
    skin->influences.resize(weights->dataSize() / 8);
    for (std::size_t i = 0; i < skin->influences.size(); ++i) {
      std::memcpy(&skin->influences[i].bone, weights->data() + i * 8, 4);
      std::memcpy(&skin->influences[i].weight, weights->data() + i * 8 + 4, 4);
    }
  }
  return skin;
}

} // namespace

Scene::Scene() = default;

Scene::~Scene() = default;

bool Scene::load(FileLocation location, std::string_view sourceName) {
  sourceName_ = std::string(sourceName);
  const std::string where = location.path.empty() ? std::string("in memory") : location.path;
  bool opened = false;
  std::unique_ptr<UdfNode> top = readUdfFile(location, opened);
  if (!opened) {
    logLine("Error: cannot open the scene file " + where + "\n");
    return false;
  }
  if (location.flags & (kLocationDisk | kLocationArchive)) textureSearchPaths_.add(location.directory());
  if (!top) {
    logLine("Error: cannot read the scene file " + where + "\n");
    return false;
  }
  return loadTree(*top, sourceName);
}

bool Scene::loadTree(const UdfNode& top, std::string_view sourceName) {
  sourceName_ = std::string(sourceName);
  if (const UdfNode* materials = top.findChild("Materials")) loadMaterials(*materials);
  if (const UdfNode* cameras = top.findChild("Cameras")) loadChildren(*cameras, cameraRoot_, false, 0);
  if (const UdfNode* lights = top.findChild("Lights")) loadLights(*lights);
  loadIndex_.clear();
  root_.forEach([this](SceneNode& n) {
    if (&n != &root_) loadIndex_.emplace(n.name(), &n);
  });
  if (const UdfNode* children = top.findChild("Children")) loadChildren(*children, root_, true, 0);
  loadIndex_.clear();
  computeBindInverses();
  collectSkinnedMeshes();
  return bindBones();
}

void Scene::loadChildren(const UdfNode& list, SceneNode& parent, bool inRootTree, int depth) {
  if (depth >= kMaxNodeDepth) {
    logLine("Error: scene nodes nested deeper than " + std::to_string(kMaxNodeDepth) + " levels are skipped\n");
    return;
  }
  for (const auto& entry : list.children())
    loadNode(*entry.value, parent, inRootTree, depth + 1);
}

void Scene::loadNode(const UdfNode& data, SceneNode& parent, bool inRootTree, int depth) {
  SceneNode* node = nullptr;
  if (inRootTree) {
    auto found = loadIndex_.find(data.name());
    if (found != loadIndex_.end()) node = found->second;
  }
  if (!node) {
    auto created = std::make_unique<SceneNode>(data.name(), data.typeName());
    if (data.typeName() == "Mesh") loadMesh(data, *created);
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
    for (auto& entry : node.children())
      walk(*entry.value, world);
  };
  for (auto& entry : root_.children())
    walk(*entry.value, Matrix::identity());
}

void Scene::collectSkinnedMeshes() {
  // Gathered from the trees as they stand after loading: a camera node that a later one of
  // the same name took over is gone, and so must be its mesh.
  skinnedMeshes_.clear();
  const auto collect = [this](SceneNode& node) {
    if (auto* skinned = dynamic_cast<SkinnedMeshInstance*>(node.geometry())) skinnedMeshes_.push_back(skinned);
  };
  cameraRoot_.forEach(collect);
  root_.forEach(collect);
}

bool Scene::bindBones() {
  for (SkinnedMeshInstance* mesh : skinnedMeshes_) {
    std::string missing;
    if (!mesh->bindBones(root_, missing)) {
      logLine("Error: the bone " + missing + " of a skinned mesh is not in the scene\n");
      return false;
    }
  }
  return true;
}

bool Scene::loadMaterials(const UdfNode& section) {
  const TextureLookup textures = [this](std::string_view name) { return loadTexture(name); };
  for (const auto& entry : section.children()) {
    const UdfNode& data = *entry.value;
    if (materials_.count(data.name())) continue;
    Material material{data.name(), defaultRenderSettings_};
    RenderSettings& settings = material.settings;
    const UdfNode* subs = data.findChild("Materials");
    if (subs && subs->isList()) {
      for (const auto& subEntry : subs->children()) {
        const UdfNode& sub = *subEntry.value;
        std::int32_t subId = 0;
        readInt(sub, "MaterialSubId", subId);
        if (subId == 0) {
          readMaterialProperties(sub, settings, textures);
          continue;
        }
        RenderSettings fresh = defaultRenderSettings_;
        readMaterialProperties(sub, fresh, textures);
        if (subId < 1 || subId >= kStageCount) continue;
        StageSettings stage = fresh.stages[0];
        stage.texCoordIndex = DWORD(subId);
        applySubMaterialName(sub.name(), stage);
        settings.stages[std::size_t(subId)] = std::move(stage);
      }
    } else {
      readMaterialProperties(data, settings, textures);
    }
    materials_.emplace(data.name(), std::move(material));
  }
  return true;
}

Material* Scene::findMaterial(std::string_view name) {
  auto found = materials_.find(name);
  return found == materials_.end() ? nullptr : &found->second;
}

TextureRef Scene::loadTexture(std::string_view fileName) {
  TextureManager* manager = textureManager();
  if (!manager) return {};
  TextureRequest request;
  request.location = FileLocation::diskOrArchive(nullptr, fileName);
  TextureRef texture = manager->get(request, &textureSearchPaths_);
  if (!texture) logLine("Error: cannot load the texture " + std::string(fileName) + "\n");
  return texture;
}

bool Scene::loadMesh(const UdfNode& data, SceneNode& node) {
  std::string materialName;
  Material* material = readString(data, "MaterialName", materialName) ? findMaterial(materialName) : nullptr;
  std::int32_t fvf = 0, indexSize = 0, vertexCount = 0, indexCount = 0;
  if (!readInt(data, "FVF", fvf) || !readInt(data, "IndexSize", indexSize) || !readInt(data, "NumVerts", vertexCount) ||
      !readInt(data, "NumIndexes", indexCount) || vertexCount <= 0 || indexCount < 0)
    return false;
  const UdfNode* verts = data.findChild("Verts");
  const UdfNode* indexes = data.findChild("Indexes");
  if (!verts || !indexes) return false;

  auto geometry = std::make_unique<MeshGeometry>(std::string(verts->bytes()), UINT(vertexCount), DWORD(fvf),
                                                 std::string(indexes->bytes()), UINT(indexCount), UINT(indexSize));
  std::string reason;
  if (!geometry->validate(reason)) {
    logLine("Error: the mesh " + data.name() + " is not drawn: " + reason + "\n");
    return false;
  }
  geometry->computeBounds();
  const MeshGeometry& kept = *geometry;
  // A geometry of the same name stays alive for the instances that draw it.
  auto& slot = meshes_[data.name()];
  if (slot) retiredMeshes_.push_back(std::move(slot));
  slot = std::move(geometry);

  std::unique_ptr<SkinData> skin;
  if (const UdfNode* boneNames = data.findChild("BoneNames")) skin = readSkin(data, *boneNames, UINT(vertexCount));
  return createMeshInstance(data, node, material ? &material->settings : nullptr, kept, std::move(skin));
}

bool Scene::createMeshInstance(const UdfNode& data, SceneNode& node, const RenderSettings* given,
                               const MeshGeometry& geometry, std::unique_ptr<SkinData> skin) {
  RenderSettings settings = given ? *given : defaultRenderSettings_;
  BufferDesc vertexDesc = BufferDesc::forVertices(geometry, skin != nullptr);
  BufferDesc indexDesc = BufferDesc::forIndices(geometry);
  applyMeshOverrides(data, settings, vertexDesc, indexDesc, geometry.vertexCount());

  std::shared_ptr<MeshBuffer> vertices = bufferPool_.obtain(geometry, vertexDesc);
  std::shared_ptr<MeshBuffer> indices;
  if (geometry.indexCount() > 0) indices = bufferPool_.obtain(geometry, indexDesc);
  if (!vertices || (geometry.indexCount() > 0 && !indices)) {
    logLine("Error: the buffers of the mesh " + data.name() + " could not be made\n");
    return false;
  }

  std::unique_ptr<MeshInstance> instance;
  if (skin) {
    instance = std::make_unique<SkinnedMeshInstance>(settings, std::move(vertices), std::move(indices),
                                                     geometry.bounds(), geometry, std::move(*skin));
  } else {
    instance = std::make_unique<MeshInstance>(settings, std::move(vertices), std::move(indices), geometry.bounds());
  }
  instance->refresh();
  node.setGeometry(std::move(instance));
  return true;
}

bool Scene::loadLights(const UdfNode& section) {
  for (const auto& entry : section.children()) {
    const UdfNode& data = *entry.value;
    // A light without a placement stands at the origin, shining down.
    D3DXMATRIX nodeTM, objectTM;
    D3DXMatrixIdentity(&nodeTM);
    D3DXMatrixIdentity(&objectTM);
    readMatrix(data, "NodeTM", nodeTM);
    readMatrix(data, "ObjectTM", objectTM);
    const D3DXMATRIX world = objectTM * nodeTM;
    const D3DXVECTOR3 position(world._41, world._42, world._43);
    const D3DXVECTOR3 down(0.0f, -1.0f, 0.0f);
    D3DXVECTOR3 direction;
    D3DXVec3TransformNormal(&direction, &down, &world);
    if (D3DXVec3Length(&direction) > 0.0f)
      D3DXVec3Normalize(&direction, &direction);
    else
      direction = D3DXVECTOR3(0.0f, 0.0f, 0.0f);

    std::unique_ptr<SceneLight> light;
    const std::string& kind = data.typeName();
    if (kind == "PointLight")
      light = std::make_unique<PointLight>();
    else if (kind == "DirLight")
      light = std::make_unique<DirectionalLight>();
    else if (kind == "SpotLight")
      light = std::make_unique<SpotLight>();
    else {
      logLine("Error: the light " + data.name() + " is of the unknown kind " + kind + "\n");
      return false;
    }
    D3DLIGHT9& l = light->light();
    if (kind != "DirLight") {
      l.Position = position;
      float attStart = 0.0f;
      if (readFloat(data, "AttStart", attStart) && attStart != 0.0f) l.Attenuation1 = 1.0f / attStart;
    }
    if (kind != "PointLight") l.Direction = direction;
    if (kind == "SpotLight") {
      readFloat(data, "HotSpot", l.Theta);
      readFloat(data, "FallOff", l.Phi);
    }
    float diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    if (readColorFloats(data, "Diffuse", diffuse)) l.Diffuse = colorFromArgb(diffuse);
    l.Range = 0.0f;
    readFloat(data, "AttEnd", l.Range);
    if (!addLight(data, std::move(light))) return false;
  }
  return true;
}

bool Scene::addLight(const UdfNode&, std::unique_ptr<SceneLight> light) { return lights_.add(std::move(light)); }

} // namespace engine
