// Where a 3D source is heard: the distance law and the stereo balance, from the source's
// distances and the listener's position, front and top vectors.
#pragma once

namespace sound {

struct Vec3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};

// The listener. Front and top need not be unit length or exactly at right angles: the
// right ear's axis is top x front (left-handed, as the scene is drawn).
struct ListenerFrame {
  Vec3 position;
  Vec3 front{0.0f, 0.0f, 1.0f};
  Vec3 top{0.0f, 1.0f, 0.0f};
};

// Volume no maximum distance lowers further: effectively none.
constexpr float kNoMaximumDistance = 1.0e9f;

// A source in world space that sounds alike in every direction.
struct Source3D {
  float minDistance = 1.0f;
  float maxDistance = kNoMaximumDistance;
  Vec3 position;
};

struct StereoGain {
  float left = 1.0f;
  float right = 1.0f;
};

// min / (min + rolloff x (distance - min)): 1 within the minimum distance, held at its value
// for the maximum beyond it. The inverse-distance law of the usual 3D sound interfaces.
float distanceGain(float distance, float minDistance, float maxDistance, float rolloff);

// Whether front and top span a listener's orientation (neither zero nor parallel).
bool usableOrientation(const Vec3& front, const Vec3& top);

// Both ears' gains of a source: distance and balance. A source straight ahead (or
// at the listener) is heard at the distance gain in both ears; one to the side is louder in
// the near ear and fainter in the far one, at constant total power.
StereoGain spatialGain(const Source3D& source, const ListenerFrame& listener, float rolloff);

} // namespace sound
