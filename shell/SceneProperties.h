// The room's tuning from "Scene.props": colours, clipping planes, field of view, camera
// speed and the list of camera tours.
#pragma once

#include <string>
#include <vector>

#include "engine/core/FloatColor.h"
#include "engine/data/MediaLibrary.h"
#include "engine/data/props/PropsNode.h"

namespace saver {

struct SceneProperties {
  engine::FloatColor ambient{1.0f, 128 / 255.0f, 128 / 255.0f, 128 / 255.0f};
  engine::FloatColor backgroundColor{1.0f, 100 / 255.0f, 0.0f, 0.0f};
  engine::FloatColor fogColor{1.0f, 128 / 255.0f, 128 / 255.0f, 128 / 255.0f};
  float nearPlane = 1.0f;
  float farPlane = 1500.0f;
  float fogStart = 10000.0f;
  float fogEnd = 10000.0f;
  float fieldOfView = static_cast<float>(60.0 / 180.0 * static_cast<double>(3.1415927f)); // radians
  float cameraSpeed = 1.0f;
  std::vector<std::string> tourNames; // camera-tour files, in order
};

// Takes every key the room knows from the top level of `properties`; a missing key (or a
// missing colour component) keeps its value, names in "Animations" are appended.
void applySceneProperties(const engine::PropsTree& properties, SceneProperties& scene);

// "Scene.props" of the media into `scene`, with the parsed file in `parsed` for the keys of
// others. False, with nothing changed and nothing logged, when there is no such file.
bool readSceneProperties(const engine::MediaLibrary& media, SceneProperties& scene, engine::PropsTree& parsed);

} // namespace saver
