#pragma once
// The room as the generators hold it before it is written out: named nodes with meshes,
// materials, the pendulum's keys, the light rig for the baker and the free space for tours.

#include <array>
#include <string>
#include <vector>

#include "tools/mediagen/room/Mesh.h"

namespace tools {

// Colours in the order scene files keep them: alpha, red, green, blue.
struct Argb {
  float a = 1, r = 1, g = 1, b = 1;
};

struct MaterialDef {
  std::string name;
  std::string texture;     // base texture file name in the archive
  bool lightMapped = true; // gets a "LightMap" sub-material and a second coordinate set
  bool twoSided = false;
  bool hasAmbient = false; // unlit-by-light-map parts take their brightness from here
  Argb ambient;
  std::string chromeTexture;     // sphere-mapped reflection (the clock glass)
  Vec3 albedo{0.5f, 0.5f, 0.5f}; // mean reflectance, for the baker's bounce light
  float transmission = 0.0f;     // light let through by a thin translucent surface (curtain)
};

// One animation key as scene files store it: time in seconds, then seven floats.
struct AniKey {
  float time = 0;
  std::array<float, 7> value{};
};

struct SceneNode {
  std::string name;
  std::string type = "Mesh"; // "Mesh" or "Dummy"
  std::array<float, 16> nodeTM{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  Mesh mesh; // in the node's own space
  std::string material;
  bool castsShadow = true; // moving parts stay out of the baked shadows
  std::vector<AniKey> positionKeys;
  std::vector<AniKey> rotationKeys;
  std::vector<SceneNode> children;
  float texelSize = 1.5f; // light-map texel edge in centimetres
  int atlas = -1;         // light-map atlas of this mesh, once packed
};

// Light sources of the bake.
struct LightRig {
  Vec3 lampPosition;       // bulb centre
  float lampRadius = 2.5f; // bulb radius, for soft shadows
  Vec3 lampColour;         // linear light at 100 cm, head-on
  float shadeBottomZ = 0, shadeTopZ = 0, shadeBottomRadius = 0, shadeTopRadius = 0;
  float shadeTransmission = 0.2f;
  Vec3 moonDirection; // direction the moonlight travels (into the room)
  Vec3 moonColour;
  float moonSpread = 0.04f; // radians of the soft moon disc seen through clouds
  Vec3 skyColour;           // radiance of the night sky seen through the window
  Box3 windowOpening;       // rays leaving through here see the sky
  Vec3 ambientColour;       // a faint fill so no corner is pitch black
};

struct SceneModel {
  std::vector<MaterialDef> materials;
  std::vector<SceneNode> nodes; // top-level children of "Children", in file order
  LightRig lights;
  Box3 room;                   // the inside of the walls
  std::vector<Box3> obstacles; // furniture the camera must keep out of

  const MaterialDef* findMaterial(const std::string& name) const {
    for (const auto& m : materials)
      if (m.name == name) return &m;
    return nullptr;
  }
};

} // namespace tools
