#pragma once
// Bakes the room's light into the light-map atlases: the lamp with soft shadows through its
// shade, moonlight and night sky through the window, one bounce of both, and a faint fill
// dimmed by ambient occlusion. Texels store half the light (0.5 shows the base texture at
// full light), leaving headroom for the bright pool under the lamp.

#include <vector>

#include "tools/mediagen/bake/Charts.h"
#include "tools/mediagen/common/Image.h"

namespace tools {

struct BakeSettings {
  int lampSamples = 16;
  int moonSamples = 6;
  int hemisphereSamples = 24;
  int threads = 2;
  float exposure = 2.0f;  // scales the light before the display curve
  float contrast = 0.65f; // power applied to the light: below 1 lifts the dim corners
};

struct BakeStats {
  size_t texels = 0;
  size_t rays = 0;
};

// Encoded light for a given irradiance (display curve with a soft shoulder, then halved).
float encodeLight(float irradiance, const BakeSettings& settings);

std::vector<Image> bakeLightMaps(const SceneModel& model, const ChartLayout& layout, const BakeSettings& settings,
                                 BakeStats* stats = nullptr);

} // namespace tools
