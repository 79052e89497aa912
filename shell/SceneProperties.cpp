#include "shell/SceneProperties.h"

#include "engine/data/props/PropsParser.h"

namespace saver {
namespace {

constexpr float kPi = 3.1415927f;

// The members "0", "1" and "2" of a colour array as 0-255 integers; no range check, so a
// value above 255 gives a component above 1 (the colour packing limits it later).
void readColour(const engine::PropsTree& properties, const char* key, engine::FloatColor& colour) {
  const engine::PropsNode* node = properties.findChild(key);
  if (!node) return;
  float* components[] = {&colour.r, &colour.g, &colour.b};
  const char* names[] = {"0", "1", "2"};
  for (int i = 0; i < 3; ++i)
    if (const engine::PropsNode* member = node->findChild(names[i]))
      *components[i] = static_cast<float>(member->asInt() / 255.0);
  colour.a = 1.0f;
}

void readReal(const engine::PropsTree& properties, const char* key, float& value) {
  if (const engine::PropsNode* node = properties.findChild(key)) value = static_cast<float>(node->asFloat());
}

} // namespace

void applySceneProperties(const engine::PropsTree& properties, SceneProperties& scene) {
  readColour(properties, "Ambient", scene.ambient);
  readColour(properties, "BgColor", scene.backgroundColor);
  readColour(properties, "FogColor", scene.fogColor);
  readReal(properties, "NearPlane", scene.nearPlane);
  readReal(properties, "FarPlane", scene.farPlane);
  readReal(properties, "FogStart", scene.fogStart);
  readReal(properties, "FogEnd", scene.fogEnd);
  // Degrees to radians on the real the props conversion gives, rounded to a float once.
  if (const engine::PropsNode* fov = properties.findChild("Fov"))
    scene.fieldOfView = static_cast<float>(fov->asFloat() / 180.0 * static_cast<double>(kPi));
  readReal(properties, "CamSpeed", scene.cameraSpeed);
  if (const engine::PropsNode* tours = properties.findChild("Animations"))
    for (const auto& entry : tours->children())
      scene.tourNames.push_back(entry.value->asString());
}

bool readSceneProperties(const engine::MediaLibrary& media, SceneProperties& scene, engine::PropsTree& parsed) {
  engine::FileLocation location;
  // A file that is not there changes nothing, silently; one that is there counts with
  // every statement that parsed.
  if (!media.find("/Scene.props", location)) return false;
  engine::parsePropsFile(location, parsed);
  applySceneProperties(parsed, scene);
  return true;
}

} // namespace saver
