#pragma once
// The study at night: room shell, longcase clock, furniture, light rig and free space.

#include <functional>
#include <string>

#include "tools/mediagen/room/SceneModel.h"
#include "tools/mediagen/room/StudyLayout.h"

namespace tools {

// Builds the whole study. Deterministic: the same code gives the same model.
SceneModel buildStudy();

// Helpers shared by the parts of the study.
class StudyBuilder {
public:
  explicit StudyBuilder(SceneModel& model) : model_(model) {}

  MaterialDef& material(const std::string& name, const std::string& texture, Vec3 albedo);
  // A material outside the light maps: its brightness is its ambient colour times the
  // scene's white ambient light.
  MaterialDef& unlitMaterial(const std::string& name, const std::string& texture, Argb ambient);
  // Adds a top-level mesh node built by `build` in world space (identity transform).
  SceneNode& mesh(const std::string& name, const std::string& material, const std::function<void(MeshBuilder&)>& build);
  void obstacle(const Box3& box) { model_.obstacles.push_back(box); }
  SceneModel& model() { return model_; }

private:
  SceneModel& model_;
};

void buildRoomShell(StudyBuilder& b);
void buildClock(StudyBuilder& b);
void buildFurniture(StudyBuilder& b);

} // namespace tools
