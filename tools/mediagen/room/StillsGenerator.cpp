// tickwood-stills --media DIR --out DIR: renders stills of the generated room (the start
// view and keys of several tours) with the software preview, from the textures and
// light maps in the media folder.
//
// Written: still-start.png, still-c1-begin.png, still-c2-begin.png, still-c3-end.png,
// still-c6-end.png, still-c8-begin.png.

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/d3dx9/d3dx9math.h"
#include "tools/mediagen/bake/Charts.h"
#include "tools/mediagen/room/Preview.h"
#include "tools/mediagen/room/Study.h"
#include "tools/mediagen/tours/Tours.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: tickwood-stills --media DIR --out DIR\n");
  return 1;
}

// The camera a tour key gives: direction (0, 0, 1) and up (0, 1, 0) turned by its rotation.
tools::PreviewCamera cameraOf(const tools::TourKey& key) {
  D3DXQUATERNION q(key.rotation[0], key.rotation[1], key.rotation[2], key.rotation[3]);
  D3DXMATRIX m;
  D3DXMatrixRotationQuaternion(&m, &q);
  D3DXVECTOR3 z(0, 0, 1), y(0, 1, 0), dir, up;
  D3DXVec3TransformCoord(&dir, &z, &m);
  D3DXVec3TransformCoord(&up, &y, &m);
  return {key.position, {dir.x, dir.y, dir.z}, {up.x, up.y, up.z}};
}

} // namespace

int main(int argc, char** argv) {
  std::string mediaDir, outDir;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--media") && i + 1 < argc)
      mediaDir = argv[++i];
    else if (!std::strcmp(argv[i], "--out") && i + 1 < argc)
      outDir = argv[++i];
    else
      return usage();
  }
  if (mediaDir.empty() || outDir.empty()) return usage();
  tools::SceneModel model = tools::buildStudy();
  tools::ChartLayout layout;
  if (!tools::buildLightMapCharts(model, tools::kLightMapSize, layout)) return 1;
  std::vector<tools::Image> lightMaps(1);
  std::string error;
  if (!tools::readImage(mediaDir + "/" + tools::kLightMapFile, lightMaps[0], &error)) {
    std::fprintf(stderr, "tickwood-stills: %s\n", error.c_str());
    return 1;
  }
  tools::Preview preview(model, mediaDir, std::move(lightMaps));
  tools::PreviewOptions options;
  options.width = 640;
  options.height = 480;
  options.hourAngle = 2 * 3.1415927f * (10.0f + 10.0f / 60.0f) / 12.0f;
  options.minuteAngle = 2 * 3.1415927f * (10.0f / 60.0f) - 3.1415927f / 2;
  options.pendulumTime = 0.4f;
  struct Shot {
    std::string name;
    tools::PreviewCamera camera;
  };
  // The start view and a few tour ends: the dial, the pendulum, the window, the picture and
  // the room from above.
  std::vector<Shot> shots = {{"still-start", {{-200, 100, 0}, {1, 0, 0}}}};
  const std::vector<tools::Tour> tours = tools::designTours();
  struct Pick {
    size_t tour;
    bool end;
    const char* name;
  };
  for (Pick p : {Pick{0, false, "still-c1-begin"}, Pick{1, false, "still-c2-begin"}, Pick{2, true, "still-c3-end"},
                 Pick{5, true, "still-c6-end"}, Pick{7, false, "still-c8-begin"}}) {
    const auto& keys = tours[p.tour].keys;
    shots.push_back({p.name, cameraOf(p.end ? keys.back() : keys.front())});
  }
  for (const Shot& shot : shots) {
    if (!tools::writePng(preview.render(shot.camera, options), outDir + "/" + shot.name + ".png", false, &error)) {
      std::fprintf(stderr, "tickwood-stills: %s\n", error.c_str());
      return 1;
    }
  }
  return 0;
}
