// The free camera driven by synthetic keys and mouse data through the input devices.
#include "engine/input/FreeCameraController.h"

#include <cmath>

#include "tests/input/InputFixture.h"

namespace {

using namespace inputtest;

constexpr float kSpeed = 0.5f; // units a millisecond

void expectNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-3f);
  EXPECT_NEAR(actual.y, expected.y, 1e-3f);
  EXPECT_NEAR(actual.z, expected.z, 1e-3f);
}

class FreeCamera : public InputTest {
protected:
  // Full screen without the system cursor: the pointer and the buttons come from the mouse
  // device, so the test drives them all.
  void startCamera(float turnSpeed = 1.0f) {
    start(true, false);
    move(400, 300); // away from the edges the pointer stops at
    camera_.init(devices_.get(), kSpeed, turnSpeed);
    camera_.place({-200, 100, 0}, {1, 0, 0}, {0, 0, 1});
    step(0); // the first reading of the pointer is where it starts from
  }

  void step(std::int64_t elapsedMs) {
    frame();
    camera_.update(elapsedMs);
  }

  // Holds a key for one frame of `elapsedMs`, then lets it go.
  void hold(BYTE dik, std::int64_t elapsedMs) {
    key(Raw::KeyDown, dik);
    step(elapsedMs);
    key(Raw::KeyUp, dik);
    step(0);
  }

  engine::FreeCameraController camera_;
};

TEST_F(FreeCamera, KeysMoveItForwardBackSidewaysUpAndDown) {
  startCamera();
  hold(DIK_W, 100);
  expectNear(camera_.eye(), {-150, 100, 0});
  hold(DIK_S, 40);
  expectNear(camera_.eye(), {-170, 100, 0});
  // Looking along +X with +Z up, the right of the view is +Y.
  hold(DIK_D, 20);
  expectNear(camera_.eye(), {-170, 110, 0});
  hold(DIK_A, 60);
  expectNear(camera_.eye(), {-170, 80, 0});
  hold(DIK_SPACE, 10);
  expectNear(camera_.eye(), {-170, 80, 5});
  hold(DIK_Z, 30);
  expectNear(camera_.eye(), {-170, 80, -10});
  // Opposite keys cancel; the view itself never turns from keys.
  key(Raw::KeyDown, DIK_W);
  key(Raw::KeyDown, DIK_S);
  step(100);
  expectNear(camera_.eye(), {-170, 80, -10});
  expectNear(camera_.direction(), {1, 0, 0});
  expectNear(camera_.up(), {0, 0, 1});
}

TEST_F(FreeCamera, ShiftOrControlMakesItFourTimesAsFast) {
  startCamera();
  for (BYTE modifier : {DIK_LSHIFT, DIK_LCONTROL}) {
    camera_.place({0, 0, 0}, {1, 0, 0}, {0, 0, 1});
    key(Raw::KeyDown, modifier);
    hold(DIK_W, 10);
    key(Raw::KeyUp, modifier);
    step(0);
    expectNear(camera_.eye(), {20, 0, 0});
  }
}

TEST_F(FreeCamera, ThePointerTurnsTheViewAboutZAndTiltsIt) {
  startCamera(2.0f);
  // 10 pixels to the right: -10 x 0.00625 x 2 radians about Z.
  move(10, 0);
  step(16);
  const float yaw = -10 * 0.00625f * 2;
  expectNear(camera_.direction(), {std::cos(yaw), std::sin(yaw), 0});
  expectNear(camera_.up(), {0, 0, 1});
  expectNear(camera_.eye(), {-200, 100, 0});

  // 5 pixels down: the view rises by 5 x 0.01 x 2 radians, up tilting with it.
  camera_.place({0, 0, 0}, {1, 0, 0}, {0, 0, 1});
  move(0, 5);
  step(16);
  const float tilt = 5 * 0.01f * 2;
  expectNear(camera_.direction(), {std::cos(tilt), 0, std::sin(tilt)});
  expectNear(camera_.up(), {-std::sin(tilt), 0, std::cos(tilt)});
}

TEST_F(FreeCamera, WithAButtonHeldThePointerMovesTheCameraInstead) {
  startCamera();
  click(Raw::ButtonDown, 1, 0);
  step(0);
  move(2, -3); // right and up: a step left and forward, as if the room were dragged
  step(16);
  expectNear(camera_.direction(), {1, 0, 0});
  expectNear(camera_.eye(), {-200 + 3 * 10 * kSpeed, 100 - 2 * 10 * kSpeed, 0});
}

TEST_F(FreeCamera, NothingMovesWhileTheInputIsInactive) {
  startCamera();
  key(Raw::KeyDown, DIK_W);
  step(0);
  message(WM_KILLFOCUS);
  camera_.update(100);
  move(40, 40);
  camera_.update(100);
  expectNear(camera_.eye(), {-200, 100, 0});
  expectNear(camera_.direction(), {1, 0, 0});
}

} // namespace
