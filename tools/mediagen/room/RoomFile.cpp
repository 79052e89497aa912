#include "tools/mediagen/room/RoomFile.h"

#include <set>

#include "engine/data/udf/UdfWriter.h"
#include "tools/mediagen/room/UdfLeaves.h"

namespace tools {

namespace {

using engine::UdfNode;
using Node = std::unique_ptr<UdfNode>;

constexpr std::array<float, 16> kIdentity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

Node textureList(const std::string& file) {
  Node textures = UdfNode::makeList("Textures", "Textures");
  Node diffuse = UdfNode::makeList("Diffuse", "Diffuse");
  diffuse->addChild(udf::text("FileName", file));
  diffuse->addChild(udf::text("TexAddrU", "Wrap"));
  diffuse->addChild(udf::text("TexAddrV", "Wrap"));
  textures->addChild(std::move(diffuse));
  return textures;
}

// The properties of a material's first stage: colours, culling, base texture.
void addBaseProperties(UdfNode& m, const MaterialDef& def) {
  if (def.hasAmbient) m.addChild(udf::colour("Ambient", def.ambient.a, def.ambient.r, def.ambient.g, def.ambient.b));
  if (def.twoSided) m.addChild(udf::integer("TwoSided", 1));
  if (!def.texture.empty()) m.addChild(textureList(def.texture));
}

Node subMaterial(const std::string& name, int subId) {
  Node sub = UdfNode::makeList("Material", name);
  sub->addChild(udf::integer("MaterialSubId", subId));
  return sub;
}

// A plain material, or a multi-material whose second stage is the light map ("LightMap" in
// its name) or a sphere-mapped reflection ("Chrome").
Node material(const MaterialDef& def, const std::string& lightMapFile) {
  Node m = UdfNode::makeList("Material", def.name);
  std::string second;
  std::string secondName;
  if (def.lightMapped) {
    second = lightMapFile;
    secondName = def.name + " LightMap";
  } else if (!def.chromeTexture.empty()) {
    second = def.chromeTexture;
    secondName = def.name + " Chrome";
  }
  if (second.empty()) {
    addBaseProperties(*m, def);
    return m;
  }
  Node subs = UdfNode::makeList("Material", "Materials");
  Node base = subMaterial(def.name + " Base", 0);
  addBaseProperties(*base, def);
  subs->addChild(std::move(base));
  Node stage = subMaterial(secondName, 1);
  stage->addChild(textureList(second));
  subs->addChild(std::move(stage));
  m->addChild(std::move(subs));
  return m;
}

Node meshNode(const SceneModel& model, const SceneNode& n) {
  const MaterialDef* def = model.findMaterial(n.material);
  Node node = UdfNode::makeList(n.type, n.name);
  node->addChild(udf::matrix("NodeTM", n.nodeTM));
  node->addChild(udf::matrix("ObjectTM", kIdentity));
  if (!n.mesh.indices.empty()) {
    Mesh mesh = weld(n.mesh);
    bool lightMapped = def && def->lightMapped;
    std::vector<float> verts;
    verts.reserve(mesh.vertices.size() * (lightMapped ? 10 : 8));
    for (const Vertex& v : mesh.vertices) {
      verts.insert(verts.end(),
                   {v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y, v.normal.z, v.uv.x, v.uv.y});
      if (lightMapped) verts.insert(verts.end(), {v.uv2.x, v.uv2.y});
    }
    node->addChild(udf::text("MaterialName", n.material));
    node->addChild(udf::integer("FVF", int32_t(lightMapped ? kFvfLightMapped : kFvfTextured)));
    node->addChild(udf::integer("IndexSize", 4));
    node->addChild(udf::integer("NumVerts", int32_t(mesh.vertices.size())));
    node->addChild(udf::integer("NumIndexes", int32_t(mesh.indices.size())));
    node->addChild(udf::bytes("", "Verts", verts.data(), verts.size() * sizeof(float)));
    node->addChild(udf::bytes("int", "Indexes", mesh.indices.data(), mesh.indices.size() * sizeof(uint32_t)));
  }
  if (!n.rotationKeys.empty() || !n.positionKeys.empty()) {
    // Sampled tracks: the program interpolates them linearly (slerp for rotations).
    Node animation = UdfNode::makeList("Animation", "Animation");
    auto track = [&](const char* name, const std::vector<AniKey>& keys) {
      if (keys.empty()) return;
      Node t = UdfNode::makeList("Sample", name);
      for (size_t i = 0; i < keys.size(); ++i)
        t->addChild(udf::key("AniKey", std::to_string(i), keys[i].time, keys[i].value));
      animation->addChild(std::move(t));
    };
    track("Position", n.positionKeys);
    track("Rotation", n.rotationKeys);
    node->addChild(std::move(animation));
  }
  if (!n.children.empty()) {
    Node children = UdfNode::makeList("Node", "Children");
    for (const SceneNode& c : n.children)
      children->addChild(meshNode(model, c));
    node->addChild(std::move(children));
  }
  return node;
}

} // namespace

bool writeRoomFile(const SceneModel& model, const std::string& lightMapFile, const std::string& path) {
  Node children = UdfNode::makeList("Node", "Children");
  std::set<std::string> used;
  for (const SceneNode& n : model.nodes) {
    if (!children->addChild(meshNode(model, n))) return false; // a repeated name
    used.insert(n.material);
  }
  Node materials = UdfNode::makeList("Material", "Materials");
  for (const MaterialDef& def : model.materials) {
    if (used.count(def.name) && !materials->addChild(material(def, lightMapFile))) return false;
  }
  return engine::UdfWriter::save(path, {children.get(), materials.get()}, nullptr, true);
}

} // namespace tools
