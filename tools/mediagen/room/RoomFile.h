#pragma once
// Writes the study as the room file the program loads ("clock.UDF"): the node tree under
// "Children" and the materials under "Materials".

#include <string>

#include "tools/mediagen/room/SceneModel.h"

namespace tools {

// Vertex formats of the room's meshes: position, normal and one coordinate set, or two
// where the mesh is light-mapped.
constexpr uint32_t kFvfTextured = 0x112;
constexpr uint32_t kFvfLightMapped = 0x312;

// `lightMapFile` names the atlas every light-mapped material reads on its second stage.
bool writeRoomFile(const SceneModel& model, const std::string& lightMapFile, const std::string& path);

} // namespace tools
