// Keyframe tracks, animations, players and the controller's layers and cross-fade.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "engine/data/MemoryStream.h"
#include "engine/data/udf/UdfNode.h"
#include "engine/data/udf/UdfWriter.h"
#include "engine/scene/AnimationController.h"
#include "engine/scene/CameraPath.h"

namespace engine {
namespace {

constexpr float kEps = 1e-4f;

D3DXQUATERNION aboutY(float angle) {
  const D3DXVECTOR3 axis(0.0f, 1.0f, 0.0f);
  D3DXQUATERNION q;
  D3DXQuaternionRotationAxis(&q, &axis, angle);
  return q;
}

// The angle of a rotation about Y, from where it takes +Z.
float angleAboutY(const D3DXQUATERNION& q) {
  D3DXMATRIX m;
  D3DXMatrixRotationQuaternion(&m, &q);
  return std::atan2(m._31, m._33);
}

Track vectorTrack(std::initializer_list<std::pair<float, float>> keys, std::uint32_t flags = 0) {
  Track track(TrackKind::Position);
  for (auto [time, x] : keys)
    track.addKey(AnimationKey::vector(time, D3DXVECTOR3(x, 0.0f, 0.0f)));
  track.setFlags(flags);
  return track;
}

float xAt(const Track& track, float t) {
  D3DXVECTOR3 v;
  EXPECT_TRUE(track.evaluateVector(t, v));
  return v.x;
}

TEST(TrackTest, LinearKeysGiveKeyValuesAtKeysAndStraightLinesBetween) {
  const Track track = vectorTrack({{0.0f, 0.0f}, {1.0f, 10.0f}, {3.0f, 30.0f}}, kTrackLinear);
  EXPECT_FLOAT_EQ(xAt(track, 0.0f), 0.0f);
  EXPECT_FLOAT_EQ(xAt(track, 1.0f), 10.0f);
  EXPECT_FLOAT_EQ(xAt(track, 0.25f), 2.5f);
  EXPECT_FLOAT_EQ(xAt(track, 2.0f), 20.0f);
  // Outside the keys without wrapping: the end keys.
  EXPECT_FLOAT_EQ(xAt(track, -5.0f), 0.0f);
  EXPECT_FLOAT_EQ(xAt(track, 7.0f), 30.0f);
}

TEST(TrackTest, KeysAddedOutOfOrderAreSortedByTime) {
  const Track track = vectorTrack({{2.0f, 20.0f}, {0.0f, 0.0f}, {1.0f, 10.0f}}, kTrackLinear);
  ASSERT_EQ(track.keys().size(), 3u);
  EXPECT_EQ(track.keys()[0].time, 0.0f);
  EXPECT_EQ(track.keys()[2].time, 2.0f);
  float start = 0, end = 0;
  ASSERT_TRUE(track.timeRange(start, end));
  EXPECT_EQ(start, 0.0f);
  EXPECT_EQ(end, 2.0f);
}

TEST(TrackTest, KeysWithoutAFiniteTimeAreRefused) {
  Track track(TrackKind::Position);
  EXPECT_TRUE(track.addKey(AnimationKey::vector(0.0f, D3DXVECTOR3(1, 0, 0))));
  EXPECT_FALSE(track.addKey(AnimationKey::vector(std::nanf(""), D3DXVECTOR3(5, 0, 0))));
  EXPECT_FALSE(track.addKey(AnimationKey::vector(INFINITY, D3DXVECTOR3(5, 0, 0))));
  EXPECT_TRUE(track.addKey(AnimationKey::vector(2.0f, D3DXVECTOR3(3, 0, 0))));
  ASSERT_EQ(track.keys().size(), 2u);
  EXPECT_NEAR(xAt(track, 1.0f), 2.0f, 1e-4f);
}

TEST(TrackTest, KeysCloserThanATenThousandthOfASecondGiveTheFirstKey) {
  const Track track = vectorTrack({{1.0f, 5.0f}, {1.00005f, 9.0f}}, kTrackLinear);
  EXPECT_FLOAT_EQ(xAt(track, 1.00002f), 5.0f);
}

TEST(TrackTest, SplineThroughSquaresIsCatmullRom) {
  // Catmull-Rom through x^2 at whole x reproduces 1.5^2 in the middle interval.
  const Track track = vectorTrack({{0.0f, 0.0f}, {1.0f, 1.0f}, {2.0f, 4.0f}, {3.0f, 9.0f}});
  EXPECT_NEAR(xAt(track, 1.5f), 2.25f, kEps);
  EXPECT_FLOAT_EQ(xAt(track, 2.0f), 4.0f);
}

// Keys 0, 10, 30, 20 at whole seconds with tension, continuity and bias of their own at
// keys 1 and 2; at t = 1.5 (u = 0.5) the Hermite curve is 0.5 p1 + 0.125 s1 + 0.5 p2 -
// 0.125 d2 with s1 = 0.5 (0.3125 x 10 + 0.5625 x 20) = 7.1875 and
// d2 = 0.8 (0.91 x 20 + 0.21 x (-10)) = 12.88: 19.2884375. Swapping any two of the three
// parameters moves it.
constexpr float kTcb[4][3] = {{0, 0, 0}, {0.5f, 0.25f, -0.5f}, {0.2f, -0.3f, 0.4f}, {0, 0, 0}};

template <class Key> Key withTcb(Key key, int i) {
  key.tension = kTcb[i][0];
  key.continuity = kTcb[i][1];
  key.bias = kTcb[i][2];
  return key;
}

TEST(TrackTest, SplinePositionsFollowTensionContinuityAndBias) {
  Track track(TrackKind::Position);
  const float xs[4] = {0, 10, 30, 20};
  for (int i = 0; i < 4; ++i)
    track.addKey(withTcb(AnimationKey::vector(float(i), D3DXVECTOR3(xs[i], 0, 0)), i));
  EXPECT_NEAR(xAt(track, 1.5f), 19.2884375f, kEps);
  EXPECT_FLOAT_EQ(xAt(track, 1.0f), 10.0f);
}

TEST(TrackTest, SplineRotationsFollowTensionContinuityAndBias) {
  // The same keys as turns about one axis (0.03 rad per unit): along one great circle the
  // repeated slerps are a cubic in the angle whose inner controls lie a third of the
  // tangents from the keys, so the turn at t = 1.5 is 0.03 x 19.2884375.
  Track track(TrackKind::Rotation);
  const float angles[4] = {0.0f, 0.3f, 0.9f, 0.6f};
  for (int i = 0; i < 4; ++i)
    track.addKey(withTcb(AnimationKey::rotation(float(i), aboutY(angles[i])), i));
  D3DXQUATERNION q;
  ASSERT_TRUE(track.evaluateRotation(1.5f, q));
  EXPECT_NEAR(angleAboutY(q), 0.578653125f, 1e-4f);
}

TEST(TrackTest, SplineRotationsStayUnitQuaternions) {
  // Keys four degrees apart: every slerp of the spline is a straight blend of close
  // quaternions.
  Track track(TrackKind::Rotation);
  for (int i = 0; i < 5; ++i)
    track.addKey(AnimationKey::rotation(float(i), aboutY(0.07f * float(i))));
  for (float t = 0.05f; t < 4.0f; t += 0.1f) {
    D3DXQUATERNION q;
    ASSERT_TRUE(track.evaluateRotation(t, q));
    EXPECT_NEAR(D3DXQuaternionLength(&q), 1.0f, 1e-6f) << "t = " << t;
  }
  Matrix m;
  ASSERT_TRUE(track.evaluate(1.5f, m));
  EXPECT_NEAR(D3DXVec3Length(reinterpret_cast<const D3DXVECTOR3*>(&m.m._11)), 1.0f, 1e-6f);
}

TEST(TrackTest, SplineEndsUseTheOneDifferenceTheyHave) {
  // Two keys: both tangents are the one difference, so the curve is the straight line.
  const Track track = vectorTrack({{0.0f, 0.0f}, {1.0f, 10.0f}});
  EXPECT_NEAR(xAt(track, 0.5f), 5.0f, kEps);
  EXPECT_NEAR(xAt(track, 0.25f), 2.5f, kEps);
}

TEST(TrackTest, CyclicTracksTakeTheMissingNeighbourFromTheOtherEnd) {
  // Keys 0, 10, 0: without cycling the first interval starts with the tangent 10; cycling
  // takes the last key (0) as the first's previous key, so its tangent is (10 - 0) / 2.
  const Track open = vectorTrack({{0.0f, 0.0f}, {1.0f, 10.0f}, {2.0f, 0.0f}});
  const Track cyclic = vectorTrack({{0.0f, 0.0f}, {1.0f, 10.0f}, {2.0f, 0.0f}}, kTrackCyclic);
  // Hermite at u = 0.5 with p1 = 0, p2 = 10, d2 = 0: 5 + (s1 / 8).
  EXPECT_NEAR(xAt(open, 0.5f), 5.0f + 10.0f / 8.0f, kEps);
  EXPECT_NEAR(xAt(cyclic, 0.5f), 5.0f + 5.0f / 8.0f, kEps);
}

TEST(TrackTest, WrapFlagFoldsTimesIntoTheKeyRange) {
  const Track track = vectorTrack({{1.0f, 0.0f}, {3.0f, 20.0f}}, kTrackLinear | kTrackWrap);
  EXPECT_FLOAT_EQ(xAt(track, 4.0f), 10.0f);
  EXPECT_FLOAT_EQ(xAt(track, 0.0f), 10.0f);  // (0 - 1) mod 2 = 1
  EXPECT_FLOAT_EQ(xAt(track, -3.5f), 15.0f); // (-4.5) mod 2 = 1.5
}

TEST(TrackTest, RotationsSlerpLinearlyAndSplinesKeepAnEvenTurnEven) {
  Track linear(TrackKind::Rotation);
  linear.addKey(AnimationKey::rotation(0.0f, aboutY(0.0f)));
  linear.addKey(AnimationKey::rotation(1.0f, aboutY(1.0f)));
  linear.setFlags(kTrackLinear);
  D3DXQUATERNION q;
  ASSERT_TRUE(linear.evaluateRotation(0.25f, q));
  EXPECT_NEAR(angleAboutY(q), 0.25f, kEps);

  // Evenly spaced keys of an even turn: the spline stays on the even turn.
  Track spline(TrackKind::Rotation);
  for (int i = 0; i < 4; ++i)
    spline.addKey(AnimationKey::rotation(float(i), aboutY(0.5f * float(i))));
  ASSERT_TRUE(spline.evaluateRotation(1.5f, q));
  EXPECT_NEAR(angleAboutY(q), 0.75f, 1e-3f);
  ASSERT_TRUE(spline.evaluateRotation(0.5f, q));
  EXPECT_NEAR(angleAboutY(q), 0.25f, 1e-3f);
  EXPECT_NEAR(D3DXQuaternionLength(&q), 1.0f, 1e-3f);
}

TEST(TrackTest, TheRightKindOfValueIsAskedFor) {
  Track rotation(TrackKind::Rotation);
  D3DXVECTOR3 v;
  D3DXQUATERNION q;
  EXPECT_FALSE(rotation.evaluateRotation(0.0f, q)); // no keys
  rotation.addKey(AnimationKey::rotation(0.0f, aboutY(0.3f)));
  EXPECT_FALSE(rotation.evaluateVector(0.0f, v));
  EXPECT_TRUE(rotation.evaluateRotation(0.0f, q));
}

TEST(EasingTest, EaseShapesTheFractionAndNeverDividesByZero) {
  EXPECT_EQ(easeFraction(0.3f, 0.0f, 0.0f), 0.3f);
  EXPECT_FLOAT_EQ(easeFraction(0.25f, 0.5f, 0.5f), 0.125f);
  EXPECT_FLOAT_EQ(easeFraction(0.75f, 0.5f, 0.5f), 0.875f);
  EXPECT_FLOAT_EQ(easeFraction(0.5f, 0.5f, 0.5f), 0.5f);
  // Only an ease-in: u = 1 still ends at 1.
  EXPECT_FLOAT_EQ(easeFraction(1.0f, 0.4f, 0.0f), 1.0f);
  EXPECT_FLOAT_EQ(easeFraction(0.0f, 0.0f, 0.4f), 0.0f);
  // Eases that add up to more than 1 are scaled to add up to 1.
  EXPECT_FLOAT_EQ(easeFraction(0.25f, 1.0f, 1.0f), easeFraction(0.25f, 0.5f, 0.5f));
}

TEST(EasingTest, KeysEaseTheIntervalBetweenThem) {
  Track track(TrackKind::Position);
  AnimationKey a = AnimationKey::vector(0.0f, D3DXVECTOR3(0, 0, 0));
  AnimationKey b = AnimationKey::vector(1.0f, D3DXVECTOR3(8, 0, 0));
  a.easeFrom = 0.5f;
  b.easeTo = 0.5f;
  track.addKey(a);
  track.addKey(b);
  track.setFlags(kTrackLinear);
  EXPECT_FLOAT_EQ(xAt(track, 0.25f), 1.0f);
}

TEST(AnimationTest, TracksCombineAsScaleThenRotationThenPosition) {
  Animation animation;
  animation.scale().addKey(AnimationKey::vector(0.0f, D3DXVECTOR3(2, 2, 2)));
  const D3DXVECTOR3 z(0, 0, 1);
  D3DXQUATERNION q;
  D3DXQuaternionRotationAxis(&q, &z, D3DX_PI / 2);
  animation.rotation().addKey(AnimationKey::rotation(0.0f, q));
  animation.position().addKey(AnimationKey::vector(0.0f, D3DXVECTOR3(10, 0, 0)));
  Matrix m;
  ASSERT_TRUE(animation.evaluate(0.0f, m));
  D3DXVECTOR3 p(1, 0, 0), out;
  D3DXVec3TransformCoord(&out, &p, &m.m);
  EXPECT_NEAR(out.x, 10.0f, kEps);
  EXPECT_NEAR(out.y, 2.0f, kEps);
  EXPECT_NEAR(out.z, 0.0f, kEps);
}

TEST(AnimationTest, OnlyARotationTrackGivesAPureRotation) {
  Animation animation;
  animation.rotation().addKey(AnimationKey::rotation(0.0f, aboutY(0.5f)));
  Matrix m;
  ASSERT_TRUE(animation.evaluate(0.0f, m));
  EXPECT_EQ(m.m._41, 0.0f);
  EXPECT_EQ(m.m._42, 0.0f);
  EXPECT_EQ(m.m._43, 0.0f);
  Animation empty;
  EXPECT_FALSE(empty.evaluate(0.0f, m));
  float s = 0, e = 0;
  EXPECT_FALSE(empty.timeRange(s, e));
}

TEST(AnimationTest, TimeRangeIsTheUnionOfTheTracks) {
  Animation animation;
  animation.rotation().addKey(AnimationKey::rotation(0.5f, aboutY(0)));
  animation.rotation().addKey(AnimationKey::rotation(2.0f, aboutY(1)));
  animation.position().addKey(AnimationKey::vector(0.0f, D3DXVECTOR3()));
  animation.position().addKey(AnimationKey::vector(1.0f, D3DXVECTOR3()));
  float s = 0, e = 0;
  ASSERT_TRUE(animation.timeRange(s, e));
  EXPECT_EQ(s, 0.0f);
  EXPECT_EQ(e, 2.0f);
}

// The pendulum of the room: 31 sampled keys over 2 s, one full swing.
std::shared_ptr<Animation> pendulum() {
  auto animation = std::make_shared<Animation>();
  for (int i = 0; i <= 30; ++i) {
    const float time = 2.0f * float(i) / 30.0f;
    animation->rotation().addKey(AnimationKey::rotation(time, aboutY(0.2f * std::sin(D3DX_PI * time))));
  }
  animation->rotation().setFlags(kTrackLinear);
  return animation;
}

float playerAngle(const AnimationPlayer& player, std::int64_t nowMs) {
  Matrix m;
  EXPECT_TRUE(player.evaluate(nowMs, m));
  return std::atan2(m.m._31, m.m._33);
}

TEST(AnimationPlayerTest, PendulumWrappedOverItsRangeRepeatsEveryTwoSeconds) {
  AnimationPlayer player(pendulum());
  player.setFlags(kPlayWrap);
  player.start(1000);
  for (std::int64_t at : {0, 130, 500, 1234, 1999}) {
    EXPECT_NEAR(playerAngle(player, 1000 + at), playerAngle(player, 1000 + at + 2000), 1e-4f);
    EXPECT_NEAR(playerAngle(player, 1000 + at), playerAngle(player, 1000 + at + 20000), 1e-4f);
  }
  EXPECT_NEAR(playerAngle(player, 1400), 0.2f * std::sin(0.4f * D3DX_PI), 1e-4f); // on key 6
  // Between two samples the swing is the slerp of them.
  const float a = 0.2f * std::sin(D3DX_PI * 2.0f / 30.0f), b = 0.2f * std::sin(D3DX_PI * 4.0f / 30.0f);
  EXPECT_NEAR(playerAngle(player, 1000 + 100), (a + b) / 2, 1e-4f);
}

TEST(AnimationPlayerTest, StoppedPlayersShowTheStartOfTheirRange) {
  auto animation = std::make_shared<Animation>();
  animation->position().addKey(AnimationKey::vector(1.0f, D3DXVECTOR3(1, 0, 0)));
  animation->position().addKey(AnimationKey::vector(3.0f, D3DXVECTOR3(3, 0, 0)));
  animation->position().setFlags(kTrackLinear);
  AnimationPlayer player(animation);
  EXPECT_DOUBLE_EQ(player.timeAt(50000), 1.0);
  player.setSubRange(2.0f, 2.5f);
  player.setFlags(kPlayWrapSubRange);
  EXPECT_DOUBLE_EQ(player.timeAt(50000), 2.0);
}

TEST(AnimationPlayerTest, SpeedOffsetClampAndWrapShapeThePlayersTime) {
  auto animation = std::make_shared<Animation>();
  animation->position().addKey(AnimationKey::vector(0.0f, D3DXVECTOR3()));
  animation->position().addKey(AnimationKey::vector(4.0f, D3DXVECTOR3()));
  AnimationPlayer player(animation);
  player.start(10000);
  EXPECT_DOUBLE_EQ(player.timeAt(12500), 2.5);
  player.setSpeed(2.0f);
  EXPECT_DOUBLE_EQ(player.timeAt(11000), 2.0);
  player.setOffset(0.5f);
  EXPECT_DOUBLE_EQ(player.timeAt(11000), 1.5);
  player.setOffset(0.0f);
  EXPECT_DOUBLE_EQ(player.timeAt(20000), 20.0); // no rule: the time runs on
  player.setFlags(kPlayClamp);
  EXPECT_DOUBLE_EQ(player.timeAt(20000), 4.0);
  EXPECT_DOUBLE_EQ(player.timeAt(9000), 0.0);
  player.setFlags(kPlayWrap);
  EXPECT_DOUBLE_EQ(player.timeAt(15000), 2.0); // 10 s wraps to 2
  player.setSubRange(1.0f, 2.0f);
  player.setFlags(kPlayWrapSubRange);
  EXPECT_DOUBLE_EQ(player.timeAt(15250), 1.5); // 10.5 s in [1, 2)
  // An explicit time skips the clock and the speed but keeps the range rules.
  EXPECT_DOUBLE_EQ(player.timeForSeconds(3.25), 1.25);
}

TEST(AnimationPlayerTest, PausedPlayersFreezeAndResumeWhereTheyStood) {
  auto animation = std::make_shared<Animation>();
  animation->position().addKey(AnimationKey::vector(0.0f, D3DXVECTOR3()));
  animation->position().addKey(AnimationKey::vector(100.0f, D3DXVECTOR3()));
  AnimationPlayer player(animation);
  player.start(0);
  player.pause(2000);
  EXPECT_DOUBLE_EQ(player.timeAt(9000), 2.0);
  player.resume(9000);
  EXPECT_DOUBLE_EQ(player.timeAt(10000), 3.0);
}

TEST(AnimationPlayerTest, DaysOfPlayingKeepTheWrapExact) {
  AnimationPlayer player(pendulum());
  player.setFlags(kPlayWrap);
  player.start(0);
  const std::int64_t days = 10LL * 24 * 3600 * 1000;
  EXPECT_NEAR(player.timeAt(days + 500), 0.5, 1e-9);
}

std::shared_ptr<Animation> translationTo(float x) {
  auto animation = std::make_shared<Animation>();
  animation->position().addKey(AnimationKey::vector(0.0f, D3DXVECTOR3(x, 0, 0)));
  return animation;
}

TEST(AnimationControllerTest, AnimationsFiledBySourceAndPlayedOnLayers) {
  AnimationController controller;
  controller.addAnimation("", translationTo(1.0f));
  ASSERT_EQ(controller.players().size(), 1u);
  EXPECT_TRUE(controller.players().count(0));
  // The same source again (a node read twice): the layer switches to the new animation.
  controller.addAnimation("", translationTo(2.0f));
  ASSERT_EQ(controller.players().size(), 1u);
  Matrix m;
  ASSERT_TRUE(controller.evaluate(0, m));
  EXPECT_FLOAT_EQ(m.m._41, 2.0f);
  // Another source gets a layer of its own; layers multiply in id order.
  controller.addAnimation("other", translationTo(5.0f));
  ASSERT_EQ(controller.players().size(), 2u);
  ASSERT_TRUE(controller.evaluate(0, m));
  EXPECT_FLOAT_EQ(m.m._41, 7.0f);
  // Playing a source on every layer.
  EXPECT_TRUE(controller.play(kAllLayers, "other"));
  ASSERT_TRUE(controller.evaluate(0, m));
  EXPECT_FLOAT_EQ(m.m._41, 10.0f);
  EXPECT_FALSE(controller.play(kAllLayers, "missing"));
  // Playing on a new layer makes it.
  EXPECT_TRUE(controller.play(7, ""));
  EXPECT_EQ(controller.players().size(), 3u);
  EXPECT_FALSE(controller.setSpeed(3, 2.0f));
  EXPECT_TRUE(controller.setSpeed(7, 2.0f));
}

TEST(AnimationControllerTest, NoLayersNoMatrix) {
  AnimationController controller;
  Matrix m;
  EXPECT_FALSE(controller.evaluate(0, m));
  float s = 0, e = 0;
  EXPECT_FALSE(controller.timeRange(s, e));
}

TEST(AnimationControllerTest, CrossFadeBlendsTowardsTheLastLayerOfTheWindow) {
  AnimationController controller;
  controller.addAnimation("a", translationTo(0.0f));
  controller.addAnimation("b", translationTo(10.0f));
  controller.crossFade(0, 2, 1000, 5000);
  Matrix m;
  ASSERT_TRUE(controller.evaluate(5000, m));
  EXPECT_NEAR(m.m._41, 0.0f, kEps);
  ASSERT_TRUE(controller.evaluate(5250, m));
  EXPECT_NEAR(m.m._41, 2.5f, kEps);
  // Once the duration has passed the second layer stands alone.
  ASSERT_TRUE(controller.evaluate(9000, m));
  EXPECT_NEAR(m.m._41, 10.0f, kEps);
  ASSERT_TRUE(controller.evaluateAt(0.0, 5500, m));
  EXPECT_NEAR(m.m._41, 5.0f, kEps);
}

TEST(AnimationControllerTest, CrossFadeSlerpsRotations) {
  AnimationController controller;
  auto a = std::make_shared<Animation>();
  a->rotation().addKey(AnimationKey::rotation(0.0f, aboutY(0.0f)));
  auto b = std::make_shared<Animation>();
  b->rotation().addKey(AnimationKey::rotation(0.0f, aboutY(1.0f)));
  controller.addAnimation("a", a);
  controller.addAnimation("b", b);
  controller.crossFade(0, 2, 100, 0);
  Matrix m;
  ASSERT_TRUE(controller.evaluate(50, m));
  EXPECT_NEAR(std::atan2(m.m._31, m.m._33), 0.5f, kEps);
}

TEST(AnimationControllerTest, LayersThatCannotBeBlendedStillCountAsProduced) {
  AnimationController controller;
  auto flat = std::make_shared<Animation>();
  flat->scale().addKey(AnimationKey::vector(0.0f, D3DXVECTOR3(0, 0, 0)));
  controller.addAnimation("flat", flat);
  controller.addAnimation("moved", translationTo(10.0f));
  controller.crossFade(0, 2, 1000, 0);
  Matrix m = Matrix::translation(99, 0, 0);
  // A scale of nothing has no axes to blend: the window adds nothing, yet its layers ran.
  ASSERT_TRUE(controller.evaluate(500, m));
  EXPECT_EQ(m, Matrix());
}

TEST(BlendTest, DegenerateMatricesDoNotBlend) {
  D3DXMATRIX flat;
  D3DXMatrixScaling(&flat, 0.0f, 0.0f, 0.0f);
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  Matrix out;
  EXPECT_FALSE(blendMatrices(flat, identity, 0.5f, out));
  EXPECT_TRUE(blendMatrices(identity, identity, 0.5f, out));
}

TEST(CameraPathTest, TourKeysGiveEyeDirectionAndUp) {
  auto root = UdfNode::makeList("_roottype", "_root");
  auto addKey = [&](const char* type, const char* name, std::array<float, 8> floats) {
    root->addChild(UdfNode::makeLeaf(type, name, floats.data(), sizeof(float) * 8));
  };
  addKey("pos", "pos0", {0, 1, 2, 3, 0, 0, 0, 0});
  addKey("pos", "pos1", {10, 11, 2, 3, 0, 0, 0, 0});
  const D3DXQUATERNION q = aboutY(D3DX_PI / 2);
  addKey("rot", "rot0", {0, q.x, q.y, q.z, q.w, 0, 0, 0});
  CameraPath path;
  EXPECT_EQ(path.addKeys(*root), 3u);
  float s = 0, e = 0;
  ASSERT_TRUE(path.timeRange(s, e));
  EXPECT_EQ(s, 0.0f);
  EXPECT_EQ(e, 10.0f);
  CameraPose pose;
  ASSERT_TRUE(path.evaluate(5.0f, pose));
  EXPECT_NEAR(pose.eye.x, 6.0f, kEps);
  // A quarter turn about Y takes the view direction +Z to +X; up stays +Y.
  EXPECT_NEAR(pose.direction.x, 1.0f, kEps);
  EXPECT_NEAR(pose.direction.z, 0.0f, kEps);
  EXPECT_NEAR(pose.up.y, 1.0f, kEps);
}

TEST(CameraPathTest, WithoutRotationKeysTheCameraLooksAlongZ) {
  CameraPath path;
  path.position().addKey(AnimationKey::vector(0.0f, D3DXVECTOR3(1, 2, 3)));
  CameraPose pose;
  ASSERT_TRUE(path.evaluate(0.0f, pose));
  EXPECT_EQ(pose.direction, D3DXVECTOR3(0, 0, 1));
  EXPECT_EQ(pose.up, D3DXVECTOR3(0, 1, 0));
  path.clear();
  EXPECT_FALSE(path.evaluate(0.0f, pose));
}

TEST(CameraPathTest, LoadingATourFileReplacesTheKeysOrLeavesNone) {
  const float key[8] = {0, 1, 2, 3, 0, 0, 0, 0};
  const float later[8] = {882, 4, 5, 6, 0, 0, 0, 0};
  auto pos0 = UdfNode::makeLeaf("pos", "pos0", key, sizeof key);
  auto pos1 = UdfNode::makeLeaf("pos", "pos1", later, sizeof later);
  MemoryStream out;
  out.open("", kStreamWrite);
  ASSERT_TRUE(UdfWriter::write(out, {pos0.get(), pos1.get()}));
  const std::string file = out.contents();

  CameraPath path;
  path.position().addKey(AnimationKey::vector(5000.0f, D3DXVECTOR3(0, 0, 0)));
  ASSERT_TRUE(path.load(FileLocation::memory(file.data(), std::uint32_t(file.size()))));
  float s = 0, e = 0;
  ASSERT_TRUE(path.timeRange(s, e));
  EXPECT_EQ(s, 0.0f);
  EXPECT_EQ(e, 882.0f);

  const std::string damaged = "not a tour";
  EXPECT_FALSE(path.load(FileLocation::memory(damaged.data(), std::uint32_t(damaged.size()))));
  EXPECT_FALSE(path.timeRange(s, e));
  EXPECT_FALSE(path.load(FileLocation::disk("/no/such/tour.cam")));
}

} // namespace
} // namespace engine
