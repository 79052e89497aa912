// The clock's moving parts as the program drives them: hands turned about (0, 1, 0) by the
// time law must read clockwise from the front, and the pendulum's track must swing in the
// dial plane once every two seconds.

#include <gtest/gtest.h>

#include <cmath>

#include "platform/d3dx9/d3dx9math.h"
#include "tests/mediagen-room/MediaFiles.h"

namespace {

using roomtest::child;
using roomtest::children;

constexpr float kPi = 3.1415927f;

class ClockParts : public ::testing::Test {
protected:
  static void SetUpTestSuite() { file_ = new roomtest::UdfFile(roomtest::stagePath("clock.UDF")); }
  static void TearDownTestSuite() { delete file_; }
  void SetUp() override { ASSERT_TRUE(file_->ok()) << "clock.UDF missing or unreadable in " << TICKWOOD_MEDIA_STAGE; }
  const engine::UdfNode* node(const char* name) { return child(*child(file_->root(), "Children"), name); }

  // The hand's tip (its vertex farthest from the pivot), turned as the program turns the
  // node for hour:minute, then seen by a camera 150 cm in front of the dial: screen offset
  // from the dial centre, x to the right and y upwards, in normalised device units.
  D3DXVECTOR2 tipOnScreen(const char* hand, int hour, int minute) {
    roomtest::MeshData m = roomtest::meshOf(*node(hand));
    D3DXVECTOR3 tip(0, 0, 0);
    for (size_t v = 0; v < m.vertexCount(); ++v) {
      auto p = m.position(v);
      if (p[0] * p[0] + p[2] * p[2] > tip.x * tip.x + tip.z * tip.z) tip = D3DXVECTOR3(p[0], p[1], p[2]);
    }
    // The clock room's law, in single precision as it computes it.
    float mf = (float(minute) + 0.0f / 60.0f) / 60.0f;
    float hf = (float(hour % 12) + mf) / 12.0f;
    float angle = std::string(hand) == "strelka_1big" ? 2.0f * kPi * hf : 2.0f * kPi * mf - kPi / 2;
    D3DXQUATERNION q;
    const D3DXVECTOR3 axis(0, 1, 0);
    D3DXQuaternionRotationAxis(&q, &axis, angle);
    D3DXMATRIX world, view, proj, wvp;
    D3DXMatrixRotationQuaternion(&world, &q);
    D3DXVECTOR3 eye(0, 150, 0), at(0, 0, 0), up(0, 0, 1);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, 70.0f / 180.0f * kPi, 4.0f / 3.0f, 0.1f, 1000.0f);
    D3DXMatrixMultiply(&wvp, &world, &view);
    D3DXMatrixMultiply(&wvp, &wvp, &proj);
    D3DXVECTOR3 screen, centre, origin(0, 0, 0);
    D3DXVec3TransformCoord(&screen, &tip, &wvp);
    D3DXMatrixMultiply(&wvp, &view, &proj);
    D3DXVec3TransformCoord(&centre, &origin, &wvp);
    return D3DXVECTOR2(screen.x - centre.x, screen.y - centre.y);
  }

  static roomtest::UdfFile* file_;
};
roomtest::UdfFile* ClockParts::file_ = nullptr;

TEST_F(ClockParts, HourHandPointsRightAtThreeAndLeftAtNine) {
  D3DXVECTOR2 three = tipOnScreen("strelka_1big", 3, 0), nine = tipOnScreen("strelka_1big", 9, 0);
  EXPECT_GT(three.x, 0.02f);
  EXPECT_NEAR(three.y, 0.0f, 0.01f);
  EXPECT_LT(nine.x, -0.02f);
  EXPECT_NEAR(nine.y, 0.0f, 0.01f);
  D3DXVECTOR2 noon = tipOnScreen("strelka_1big", 12, 0);
  EXPECT_GT(noon.y, 0.02f);
}

TEST_F(ClockParts, MinuteHandPointsUpOnTheHourAndRightAtQuarterPast) {
  D3DXVECTOR2 quarter = tipOnScreen("strelka_1min", 0, 15), hour = tipOnScreen("strelka_1min", 0, 0);
  EXPECT_GT(quarter.x, 0.02f);
  EXPECT_NEAR(quarter.y, 0.0f, 0.01f);
  EXPECT_GT(hour.y, 0.02f);
  EXPECT_NEAR(hour.x, 0.0f, 0.01f);
  // The minute hand is the longer one.
  D3DXVECTOR2 hourHand = tipOnScreen("strelka_1big", 0, 0);
  EXPECT_GT(hour.y, hourHand.y * 1.2f);
}

TEST_F(ClockParts, HandsLieFlatJustInFrontOfTheDial) {
  roomtest::MeshData dial = roomtest::meshOf(*node("Dial"));
  float dialFront = -1e9f;
  for (size_t v = 0; v < dial.vertexCount(); ++v)
    dialFront = std::max(dialFront, dial.position(v)[1]);
  for (const char* hand : {"strelka_1big", "strelka_1min"}) {
    roomtest::MeshData m = roomtest::meshOf(*node(hand));
    for (size_t v = 0; v < m.vertexCount(); ++v) {
      auto p = m.position(v);
      ASSERT_GT(p[1], dialFront + 0.2f) << hand;
      ASSERT_LT(p[1], dialFront + 3.0f) << hand;
      ASSERT_LT(std::hypot(p[0], p[2]), 15.0f) << hand << " reaches the bezel";
    }
  }
}

TEST_F(ClockParts, PendulumSwingsOncePerTwoSecondsAboutTheDialNormal) {
  const engine::UdfNode* pendulum = node("clock mayatnik");
  ASSERT_NE(pendulum, nullptr);
  const engine::UdfNode* rotation = child(*child(*pendulum, "Animation"), "Rotation");
  ASSERT_NE(rotation, nullptr);
  EXPECT_EQ(rotation->typeName(), "Sample");
  auto keys = children(*rotation);
  ASSERT_EQ(keys.size(), 31u);
  float maxAngle = 0;
  for (size_t i = 0; i < keys.size(); ++i) {
    ASSERT_EQ(keys[i]->typeName(), "AniKey");
    ASSERT_EQ(keys[i]->dataSize(), 32u);
    auto k = roomtest::leafFloats<8>(*keys[i]);
    EXPECT_NEAR(k[0], 2.0f * float(i) / 30.0f, 1e-5f);
    EXPECT_NEAR(k[1] * k[1] + k[2] * k[2] + k[3] * k[3] + k[4] * k[4], 1.0f, 1e-5f);
    EXPECT_NEAR(k[1], 0.0f, 1e-6f); // turning about Y only: in the plane of the dial
    EXPECT_NEAR(k[3], 0.0f, 1e-6f);
    maxAngle = std::max(maxAngle, 2.0f * std::asin(std::fabs(k[2])));
  }
  auto first = roomtest::leafFloats<8>(*keys.front()), last = roomtest::leafFloats<8>(*keys.back());
  for (int c = 1; c < 5; ++c)
    EXPECT_NEAR(first[size_t(c)], last[size_t(c)], 1e-6f); // seamless wrap
  EXPECT_GT(maxAngle, 0.03f);
  EXPECT_LT(maxAngle, 0.15f);
  // The position track holds the pivot, which is also the node's rest translation.
  const engine::UdfNode* position = child(*child(*pendulum, "Animation"), "Position");
  ASSERT_NE(position, nullptr);
  auto tm = roomtest::leafFloats<16>(*child(*pendulum, "NodeTM"));
  for (const engine::UdfNode* k : children(*position)) {
    auto p = roomtest::leafFloats<8>(*k);
    EXPECT_FLOAT_EQ(p[1], tm[12]);
    EXPECT_FLOAT_EQ(p[2], tm[13]);
    EXPECT_FLOAT_EQ(p[3], tm[14]);
  }
  // The pivot sits above the dial centre's height and the bob hangs in the trunk below it.
  EXPECT_GT(tm[14], 0.0f);
  roomtest::MeshData m = roomtest::meshOf(*pendulum);
  float lowest = 1e9f;
  for (size_t v = 0; v < m.vertexCount(); ++v)
    lowest = std::min(lowest, m.position(v)[2]);
  EXPECT_LT(tm[14] + lowest, -90.0f);
}

} // namespace
