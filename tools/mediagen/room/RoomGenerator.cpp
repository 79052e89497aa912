// tickwood-roomgen: builds the study, bakes its light maps, writes the room file and,
// when asked, preview stills.
//
//   tickwood-roomgen --out DIR [--preview PREFIX]

#include <cstdio>
#include <cstring>
#include <string>

#include "tools/mediagen/room/Preview.h"
#include "tools/mediagen/room/Study.h"

int main(int argc, char** argv) {
    std::string outDir, previewPrefix;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--out") && i + 1 < argc) outDir = argv[++i];
        else if (!std::strcmp(argv[i], "--preview") && i + 1 < argc) previewPrefix = argv[++i];
        else {
            std::fprintf(stderr, "usage: tickwood-roomgen --out DIR [--preview PREFIX]\n");
            return 1;
        }
    }
    if (outDir.empty()) {
        std::fprintf(stderr, "usage: tickwood-roomgen --out DIR [--preview PREFIX]\n");
        return 1;
    }
    tools::SceneModel model = tools::buildStudy();
    size_t tris = 0;
    for (const auto& n : model.nodes) tris += n.mesh.triangleCount();
    std::printf("study: %zu nodes, %zu triangles\n", model.nodes.size(), tris);
    if (!previewPrefix.empty()) {
        tools::Preview preview(model, outDir, {});
        tools::PreviewOptions options;
        options.hourAngle = 2 * 3.1415927f * (10.0f + 10.0f / 60.0f) / 12.0f;
        options.minuteAngle = 2 * 3.1415927f * (10.0f / 60.0f) - 3.1415927f / 2;
        tools::Image img = preview.render({{-200, 100, 0}, {1, 0, 0}}, options);
        std::string error;
        if (!tools::writePng(img, previewPrefix + "start.png", false, &error)) {
            std::fprintf(stderr, "tickwood-roomgen: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
