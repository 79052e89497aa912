#include "tools/mediagen/room/Study.h"

namespace tools {

MaterialDef& StudyBuilder::material(const std::string& name, const std::string& texture, Vec3 albedo) {
  MaterialDef m;
  m.name = name;
  m.texture = texture;
  m.albedo = albedo;
  model_.materials.push_back(m);
  return model_.materials.back();
}

MaterialDef& StudyBuilder::unlitMaterial(const std::string& name, const std::string& texture, Argb ambient) {
  MaterialDef& m = material(name, texture, {0.1f, 0.1f, 0.1f});
  m.lightMapped = false;
  m.hasAmbient = true;
  m.ambient = ambient;
  return m;
}

SceneNode& StudyBuilder::mesh(const std::string& name, const std::string& material,
                              const std::function<void(MeshBuilder&)>& build) {
  SceneNode node;
  node.name = name;
  node.material = material;
  MeshBuilder mb(node.mesh);
  build(mb);
  model_.nodes.push_back(std::move(node));
  return model_.nodes.back();
}

SceneModel buildStudy() {
  using namespace layout;
  SceneModel model;
  model.room = Box3{{kLeftWallX, kBackWallY, kFloorZ}, {kRightWallX, kFrontWallY, kCeilingZ}};
  StudyBuilder b(model);
  buildRoomShell(b);
  buildClock(b);
  buildFurniture(b);

  LightRig& l = model.lights;
  l.lampPosition = kBulb;
  l.lampRadius = 2.5f;
  l.lampColour = {1.00f, 0.72f, 0.42f};
  l.shadeBottomZ = kBulb.z - 12.0f;
  l.shadeTopZ = kBulb.z + 13.0f;
  l.shadeBottomRadius = 19.0f;
  l.shadeTopRadius = 11.0f;
  l.shadeTransmission = 0.30f;
  l.moonDirection = normalize(Vec3{-1.0f, -0.30f, -0.62f});
  l.moonColour = {0.30f, 0.38f, 0.55f};
  l.moonSpread = 0.05f;
  l.skyColour = {0.05f, 0.07f, 0.12f};
  l.windowOpening =
      Box3{{kRightWallX - 1, kWindowY0, kWindowZ0}, {kRightWallX + kWindowDepth + 1, kWindowY1, kWindowZ1}};
  l.ambientColour = {0.045f, 0.042f, 0.045f};
  return model;
}

} // namespace tools
