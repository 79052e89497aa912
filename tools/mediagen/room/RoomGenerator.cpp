// tickwood-roomgen: builds the study, bakes its light maps and writes the room file.
//
//   tickwood-roomgen --out DIR [--quick]
//
// --quick bakes with few rays (for the sanitizer build, whose media only feed tests).

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/mediagen/bake/LightBaker.h"
#include "tools/mediagen/room/RoomFile.h"
#include "tools/mediagen/room/Study.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: tickwood-roomgen --out DIR [--quick]\n");
  return 1;
}

double secondsSince(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

} // namespace

int main(int argc, char** argv) {
  std::string outDir;
  bool quick = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--out") && i + 1 < argc)
      outDir = argv[++i];
    else if (!std::strcmp(argv[i], "--quick"))
      quick = true;
    else
      return usage();
  }
  if (outDir.empty()) return usage();
  auto start = std::chrono::steady_clock::now();
  tools::SceneModel model = tools::buildStudy();
  tools::ChartLayout layout;
  if (!tools::buildLightMapCharts(model, tools::kLightMapSize, layout)) {
    std::fprintf(stderr, "tickwood-roomgen: a light-mapped mesh does not fit into one atlas\n");
    return 1;
  }
  tools::BakeSettings settings;
  if (quick) {
    settings.lampSamples = 4;
    settings.moonSamples = 2;
    settings.hemisphereSamples = 4;
  }
  tools::BakeStats stats;
  std::vector<tools::Image> atlases = tools::bakeLightMaps(model, layout, settings, &stats);
  std::string error;
  if (atlases.size() != 1 || !tools::writeJpeg(atlases[0], outDir + "/" + tools::kLightMapFile, 95, &error)) {
    std::fprintf(stderr, "tickwood-roomgen: %s\n", error.empty() ? "expected one light-map atlas" : error.c_str());
    return 1;
  }
  if (!tools::writeRoomFile(model, tools::kLightMapFile, outDir + "/clock.UDF")) {
    std::fprintf(stderr, "tickwood-roomgen: cannot write %s/clock.UDF\n", outDir.c_str());
    return 1;
  }
  size_t tris = 0;
  for (const auto& n : model.nodes)
    tris += n.mesh.triangleCount();
  std::printf("tickwood-roomgen: %zu nodes, %zu triangles, %zu charts in %d atlases, %zu texels, %zu rays, %.1f s\n",
              model.nodes.size(), tris, layout.charts.size(), layout.atlasCount, stats.texels, stats.rays,
              secondsSince(start));
  return 0;
}
