// A camera flight: a position track and a rotation track, and the eye, viewing direction
// and up vector they give at a time. The camera tours are read into one of these.
#pragma once

#include "engine/data/FileLocation.h"
#include "engine/scene/Track.h"
#include "platform/d3dx9/d3dx9math.h"

namespace engine {

class UdfNode;

struct CameraPose {
  D3DXVECTOR3 eye;
  D3DXVECTOR3 direction{0.0f, 0.0f, 1.0f};
  D3DXVECTOR3 up{0.0f, 1.0f, 0.0f};
};

class CameraPath {
public:
  CameraPath() : position_(TrackKind::Position), rotation_(TrackKind::Rotation) {}

  void clear();
  Track& position() { return position_; }
  Track& rotation() { return rotation_; }
  const Track& position() const { return position_; }
  const Track& rotation() const { return rotation_; }

  // Adds every top-level child of a tour file: type name "pos" a position key, any other
  // a rotation key. Answers the number of keys added.
  std::size_t addKeys(const UdfNode& root);
  // Replaces the keys with those of the tour file at `location`; false (and no keys) when
  // it cannot be opened or read or holds none.
  bool load(FileLocation location);

  // The first and the last key time of both tracks; false without keys.
  bool timeRange(float& start, float& end) const;
  // The pose at `t`: the position track's point; the rotation track's quaternion (the
  // identity without one) turns the direction (0, 0, 1) and the up vector (0, 1, 0).
  // False when neither track has keys.
  bool evaluate(float t, CameraPose& pose) const;

private:
  Track position_;
  Track rotation_;
};

} // namespace engine
