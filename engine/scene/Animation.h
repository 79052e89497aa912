// A node's keyframed animation: optional scale, rotation and position tracks. Animations
// are shared by every player that plays them.
#pragma once

#include "engine/core/Matrix.h"
#include "engine/scene/Track.h"

namespace engine {

class Animation {
public:
  Animation();

  Track& scale() { return scale_; }
  Track& rotation() { return rotation_; }
  Track& position() { return position_; }
  const Track& scale() const { return scale_; }
  const Track& rotation() const { return rotation_; }
  const Track& position() const { return position_; }
  Track& track(TrackKind kind);

  // scale x rotation x position of the tracks that have keys; false when none has.
  bool evaluate(float t, Matrix& out) const;
  // The union of the tracks' key ranges; false when no track has keys.
  bool timeRange(float& start, float& end) const;

private:
  Track scale_;
  Track rotation_;
  Track position_;
};

} // namespace engine
