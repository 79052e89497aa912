// tickwood-tourgen --out DIR: writes the ten camera tours c1.cam ... c10.cam after checking
// that each keeps clear of the walls and the furniture for its whole flight.

#include <cstdio>
#include <cstring>
#include <string>

#include "tools/mediagen/room/Study.h"
#include "tools/mediagen/tours/TourFile.h"

namespace {

constexpr float kMinimumClearance = 12.0f; // centimetres between the eye and any surface

} // namespace

int main(int argc, char** argv) {
  std::string outDir;
  if (argc == 3 && !std::strcmp(argv[1], "--out")) outDir = argv[2];
  if (outDir.empty()) {
    std::fprintf(stderr, "usage: tickwood-tourgen --out DIR\n");
    return 1;
  }
  tools::SceneModel model = tools::buildStudy();
  bool ok = true;
  for (const tools::Tour& tour : tools::designTours()) {
    tools::Clearance c = tools::tourClearance(tour, model);
    std::printf("tickwood-tourgen: %s: %.0f units, %zu keys, clearance %.1f cm at %.1f\n", tour.file.c_str(),
                tour.duration(), tour.keys.size(), c.distance, c.time);
    if (c.distance < kMinimumClearance || tour.duration() < 400 || tour.duration() > 900) {
      std::fprintf(stderr, "tickwood-tourgen: %s comes too close to the room or runs too long\n", tour.file.c_str());
      ok = false;
    } else if (!tools::writeTourFile(tour, outDir + "/" + tour.file)) {
      std::fprintf(stderr, "tickwood-tourgen: cannot write %s\n", tour.file.c_str());
      ok = false;
    }
  }
  return ok ? 0 : 1;
}
