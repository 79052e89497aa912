#pragma once
// A small software rasteriser that draws the generated room the way the program will: light
// map times two times base texture, unlit parts by their ambient colour, glass and curtain
// blended, back faces culled as Direct3D culls them. For people to look at what was built.

#include <map>
#include <string>
#include <vector>

#include "tools/mediagen/common/Image.h"
#include "tools/mediagen/room/SceneModel.h"

namespace tools {

struct PreviewCamera {
  Vec3 eye;
  Vec3 direction;
  Vec3 up{0, 0, 1};
  float fovY = 70.0f * 3.14159265f / 180.0f;
};

struct PreviewOptions {
  int width = 800, height = 600;
  float hourAngle = 0; // radians, as the program computes them
  float minuteAngle = 0;
  float pendulumTime = 0; // seconds into the swing
};

class Preview {
public:
  // Textures are read from `mediaDir` by file name; light-map atlases are given separately
  // (index = atlas number).
  Preview(const SceneModel& model, std::string mediaDir, std::vector<Image> lightMaps);
  Image render(const PreviewCamera& camera, const PreviewOptions& options);

private:
  const Image* texture(const std::string& name);

  const SceneModel& model_;
  std::string mediaDir_;
  std::vector<Image> lightMaps_;
  std::map<std::string, Image> textures_;
};

} // namespace tools
