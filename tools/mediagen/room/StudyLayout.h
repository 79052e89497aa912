#pragma once
// Where things stand in the study. The dial centre is the origin, the dial faces +Y, Z is up
// and one unit is a centimetre. Shared by the room builder, the tours and the tests.

#include "tools/mediagen/room/Vec.h"

namespace tools::layout {

constexpr float kFloorZ = -175.0f;
constexpr float kCeilingZ = 105.0f;
constexpr float kBackWallY = -30.0f; // the clock stands against it
constexpr float kFrontWallY = 400.0f;
constexpr float kLeftWallX = -360.0f; // the door
constexpr float kRightWallX = 320.0f; // the window

// Window opening in the right wall.
constexpr float kWindowY0 = 110.0f, kWindowY1 = 230.0f;
constexpr float kWindowZ0 = -85.0f, kWindowZ1 = 55.0f;
constexpr float kWindowDepth = 18.0f; // thickness of the wall at the reveal
// The night view plane outside the window.
constexpr float kViewX = 460.0f;

// Door opening in the left wall.
constexpr float kDoorY0 = 220.0f, kDoorY1 = 310.0f, kDoorTopZ = 35.0f;

// Pendulum suspension point (behind the dial) and length to the bob centre.
constexpr Vec3 kPendulumPivot{0.0f, -12.0f, 10.0f};
constexpr float kPendulumLength = 99.4f;     // a seconds pendulum: 2 s per full swing
constexpr float kPendulumAmplitude = 0.075f; // radians either side

// The lamp on its side table, right of the clock.
constexpr Vec3 kLampTable{90.0f, 50.0f, 0.0f};
constexpr float kTableTopZ = -110.0f;
constexpr Vec3 kBulb{90.0f, 50.0f, -69.0f};

// The armchair, turned towards the clock.
constexpr Vec3 kChair{178.0f, 118.0f, 0.0f};
constexpr float kChairTurn = 2.35f; // radians about +Z; local +Y is where the sitter looks

// Bookshelf against the back wall, left of the clock.
constexpr float kShelfX0 = -292.0f, kShelfX1 = -168.0f, kShelfDepth = 32.0f, kShelfTopZ = 25.0f;

// Picture frame above the lamp.
constexpr float kPictureX = 88.0f, kPictureZ = 18.0f, kPictureW = 64.0f, kPictureH = 48.0f;

// Hands: distances from the dial centre to the tips.
constexpr float kHourHandLength = 9.5f;
constexpr float kMinuteHandLength = 13.5f;

} // namespace tools::layout
