#include "engine/scene/Animation.h"

#include <algorithm>

namespace engine {

Animation::Animation() : scale_(TrackKind::Scale), rotation_(TrackKind::Rotation), position_(TrackKind::Position) {}

Track& Animation::track(TrackKind kind) {
  switch (kind) {
  case TrackKind::Scale:
    return scale_;
  case TrackKind::Rotation:
    return rotation_;
  case TrackKind::Position:
    break;
  }
  return position_;
}

bool Animation::evaluate(float t, Matrix& out) const {
  bool any = false;
  for (const Track* track : {&scale_, &rotation_, &position_}) {
    Matrix m;
    if (!track->evaluate(t, m)) continue;
    if (any)
      multiply(out, out, m);
    else
      out = m;
    any = true;
  }
  return any;
}

bool Animation::timeRange(float& start, float& end) const {
  bool any = false;
  for (const Track* track : {&scale_, &rotation_, &position_}) {
    float s = 0.0f, e = 0.0f;
    if (!track->timeRange(s, e)) continue;
    start = any ? std::min(start, s) : s;
    end = any ? std::max(end, e) : e;
    any = true;
  }
  return any;
}

} // namespace engine
