#include "tools/mediagen/tours/TourFile.h"

#include "engine/data/udf/UdfWriter.h"
#include "tools/mediagen/room/UdfLeaves.h"

namespace tools {

bool writeTourFile(const Tour& tour, const std::string& path) {
  std::vector<std::unique_ptr<engine::UdfNode>> keys;
  for (size_t i = 0; i < tour.keys.size(); ++i) {
    const TourKey& k = tour.keys[i];
    keys.push_back(
        udf::key("pos", "pos" + std::to_string(i), k.time, {k.position.x, k.position.y, k.position.z, 0, 0, 0, 0}));
    keys.push_back(udf::key("rot", "rot" + std::to_string(i), k.time,
                            {k.rotation[0], k.rotation[1], k.rotation[2], k.rotation[3], 0, 0, 0}));
  }
  std::vector<const engine::UdfNode*> nodes;
  for (const auto& k : keys)
    nodes.push_back(k.get());
  return engine::UdfWriter::save(path, nodes, nullptr, true);
}

} // namespace tools
