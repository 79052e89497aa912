// tickwood-stills --media DIR --out DIR: renders stills of the generated room (the start
// view and the first key of several tours) with the software preview, from the textures and
// light maps in the media folder.

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

}  // namespace

int main(int argc, char** argv) {
    std::string mediaDir, outDir;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--media") && i + 1 < argc) mediaDir = argv[++i];
        else if (!std::strcmp(argv[i], "--out") && i + 1 < argc) outDir = argv[++i];
        else return usage();
    }
    if (mediaDir.empty() || outDir.empty()) return usage();
    tools::SceneModel model = tools::buildStudy();
    tools::ChartLayout layout;
    if (!tools::buildLightMapCharts(model, 1024, layout)) return 1;
    std::vector<tools::Image> lightMaps(size_t(layout.atlasCount));
    for (size_t a = 0; a < lightMaps.size(); ++a) {
        std::string error;
        if (!tools::readImage(mediaDir + "/lightmap" + std::to_string(a) + ".jpg", lightMaps[a], &error)) {
            std::fprintf(stderr, "tickwood-stills: %s\n", error.c_str());
            return 1;
        }
    }
    tools::Preview preview(model, mediaDir, std::move(lightMaps));
    tools::PreviewOptions options;
    options.hourAngle = 2 * 3.1415927f * (10.0f + 10.0f / 60.0f) / 12.0f;
    options.minuteAngle = 2 * 3.1415927f * (10.0f / 60.0f) - 3.1415927f / 2;
    options.pendulumTime = 0.4f;
    struct Shot {
        std::string name;
        tools::PreviewCamera camera;
    };
    std::vector<Shot> shots = {{"still-start", {{-200, 100, 0}, {1, 0, 0}}}};
    for (const tools::Tour& tour : tools::designTours()) {
        std::string base = "still-" + tour.file.substr(0, tour.file.find('.'));
        shots.push_back({base + "-begin", cameraOf(tour.keys.front())});
        shots.push_back({base + "-end", cameraOf(tour.keys.back())});
    }
    for (const Shot& shot : shots) {
        std::string error;
        if (!tools::writePng(preview.render(shot.camera, options), outDir + "/" + shot.name + ".png", false, &error)) {
            std::fprintf(stderr, "tickwood-stills: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
