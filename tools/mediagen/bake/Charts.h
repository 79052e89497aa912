#pragma once
// Light-map charts: faces grouped by dominant direction and adjacency, projected onto their
// dominant plane at the node's texel size, packed into square atlases with a gutter.

#include <vector>

#include "tools/mediagen/room/SceneModel.h"

namespace tools {

struct Chart {
  size_t node = 0;                 // index into SceneModel::nodes
  std::vector<uint32_t> triangles; // triangle numbers of the node's mesh
  int axis = 0;                    // dominant axis 0..2 of the projection
  float minA = 0, minB = 0;        // projected origin (cm)
  float texel = 1;                 // cm per texel
  int width = 0, height = 0;       // texels, gutter included
  int atlas = -1, x = 0, y = 0;    // placement
};

struct ChartLayout {
  int atlasSize = 1024;
  int atlasCount = 0;
  std::vector<Chart> charts;
};

// The room's one light-map atlas: its size in texels and its file in the archive.
constexpr int kLightMapSize = 2048;
constexpr const char* kLightMapFile = "lightmap.jpg";

// Texels of free border around every chart; bilinear filtering never reads another chart.
constexpr int kChartGutter = 2;

// Builds the charts of every light-mapped node, packs them into one atlas (coarsening the
// texels when they do not fit) and fills each vertex's second coordinate set (one vertex
// belongs to one triangle until the meshes are welded). False when nothing is light-mapped.
bool buildLightMapCharts(SceneModel& model, int atlasSize, ChartLayout& out);

} // namespace tools
