#pragma once
// The ten camera tours: waypoints with look-at targets, turned into position and rotation
// keys at equal time steps, and checked against the room's walls and furniture along the
// curve the program will fly.

#include <array>
#include <string>
#include <vector>

#include "tools/mediagen/room/SceneModel.h"

namespace tools {

struct TourKey {
  float time = 0; // tour units (the program plays 10 per second)
  Vec3 position;
  std::array<float, 4> rotation; // quaternion x, y, z, w
};

struct Tour {
  std::string file; // "c1.cam" ...
  std::vector<TourKey> keys;
  float duration() const { return keys.empty() ? 0 : keys.back().time - keys.front().time; }
};

// The quaternion whose rotation turns (0, 0, 1) into `forward` and (0, 1, 0) into the
// up vector nearest to world +Z, in the program's row-vector convention.
std::array<float, 4> lookRotation(Vec3 forward);

std::vector<Tour> designTours();

// How the program interpolates a position track of spline keys (tension, continuity and bias
// all 0): a Hermite curve with tangents (next - previous) / 2; at an end key the one existing
// difference is used, `fullEndTangent` choosing it whole or halved.
Vec3 tourPosition(const Tour& tour, float time, bool fullEndTangent);

// Smallest clearance along the flown curve (both end-tangent forms) between the camera and
// the walls, floor, ceiling and furniture boxes; negative means a collision.
struct Clearance {
  float distance = 1e30f;
  float time = 0;
};
Clearance tourClearance(const Tour& tour, const SceneModel& model);

} // namespace tools
