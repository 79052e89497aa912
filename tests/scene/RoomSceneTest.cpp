// The generated room and tours read through the scene graph: the named nodes the clock
// room looks for, the pendulum's swing, the hands' turn, the light-mapped, glass and
// curtain materials, and the camera paths of the tours.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "engine/core/Log.h"
#include "engine/data/udf/UdfNode.h"
#include "engine/scene/CameraPath.h"
#include "engine/scene/Scene.h"
#include "engine/scene/UdfValues.h"
#include "tests/scene/SceneDeviceTest.h"

namespace engine {
namespace {

std::string stagePath(const char* name) { return (std::filesystem::path(TICKWOOD_MEDIA_STAGE) / name).string(); }

class RoomSceneTest : public scenetest::SceneDeviceTest {
protected:
  void SetUp() override {
    SceneDeviceTest::SetUp();
    textures_->searchPaths().add(FileLocation::disk(TICKWOOD_MEDIA_STAGE));
    LogCapture log;
    ASSERT_TRUE(scene().load(FileLocation::disk(stagePath("clock.UDF")), "")) << "in " << TICKWOOD_MEDIA_STAGE;
    EXPECT_TRUE(log.lines().empty()) << log.lines().front();
  }
  SceneNode& node(const char* name) {
    SceneNode* found = scene().root().findByName(name);
    EXPECT_NE(found, nullptr) << name;
    return found ? *found : scene().root();
  }
};

TEST_F(RoomSceneTest, TheNodesTheClockRoomLooksForAreThere) {
  for (const char* name : {"strelka_1big", "strelka_1min", "Clock glass", "Lamp lamp", "Curtain", "FonPlane01"})
    EXPECT_NE(scene().root().children().find(name), nullptr) << name << " is not a top-level node";
  for (const char* name : {"Picture", "clock mayatnik", "STRELKA_1BIG"})
    EXPECT_NE(&node(name), &scene().root());
  EXPECT_NE(node("Picture").geometry(), nullptr);
}

TEST_F(RoomSceneTest, ThePendulumSwingsAboutItsPivotOnceEveryTwoSeconds) {
  SceneNode& pendulum = node("clock mayatnik");
  std::shared_ptr<Animation> swing = pendulum.animation().animation("");
  ASSERT_NE(swing, nullptr);
  EXPECT_EQ(swing->rotation().keys().size(), 31u);
  EXPECT_TRUE(swing->rotation().flags() & kTrackLinear);
  float start = -1, end = -1;
  ASSERT_TRUE(pendulum.animationTimeRange(start, end));
  EXPECT_EQ(start, 0.0f);
  EXPECT_EQ(end, 2.0f);
  pendulum.setAnimationFlags(kAllLayers, kPlayWrap, false);
  const D3DXVECTOR3 pivot(0.0f, -12.0f, 10.0f), bob(0.0f, 0.0f, -99.4f);
  D3DXVECTOR3 bobAt[2];
  for (double t : {0.5, 2.5, 1.5}) {
    const Matrix local = pendulum.animatedLocal(0, &t);
    D3DXVECTOR3 top, low;
    const D3DXVECTOR3 origin(0, 0, 0);
    D3DXVec3TransformCoord(&top, &origin, &local.m);
    D3DXVec3TransformCoord(&low, &bob, &local.m);
    EXPECT_NEAR(top.x, pivot.x, 1e-3f);
    EXPECT_NEAR(top.z, pivot.z, 1e-3f);
    EXPECT_NEAR(low.y, pivot.y, 1e-3f); // it swings in the plane of the dial
    if (t == 0.5) bobAt[0] = low;
    if (t == 2.5) {
      EXPECT_NEAR(low.x, bobAt[0].x, 1e-3f);
    }
    if (t == 1.5) bobAt[1] = low;
  }
  EXPECT_GT(std::fabs(bobAt[0].x - bobAt[1].x), 10.0f); // a swing to either side
  EXPECT_LT(bobAt[0].x * bobAt[1].x, 0.0f);
}

TEST_F(RoomSceneTest, AnInstalledRotationTurnsTheHourHandToThree) {
  SceneNode& hand = node("strelka_1big");
  D3DXQUATERNION rotation;
  const D3DXVECTOR3 y(0, 1, 0);
  D3DXQuaternionRotationAxis(&rotation, &y, D3DX_PI / 2);
  const AnimationKey key = AnimationKey::rotation(0.0f, rotation);
  hand.installTransform("", std::make_shared<RotationKeyTransform>(&key));
  Matrix staticWorld;
  TraversalContext context;
  context.staticWorld = &staticWorld;
  context.flags = kTraverseNoCulling | kTraverseUpdateOnly;
  ASSERT_TRUE(hand.traverse(context));
  ASSERT_TRUE(hand.updateWorldBounds());
  // At rest the hand points up (+Z, to XII); a quarter turn points it right (+X, to III).
  EXPECT_GT(hand.worldBounds().centre.x, 2.0f);
  EXPECT_GT(hand.worldBounds().size.x, hand.worldBounds().size.z);
}

TEST_F(RoomSceneTest, MaterialsAreLightMappedGlassyOrTranslucent) {
  int lightMapped = 0;
  scene().root().forEach([&](SceneNode& n) {
    MeshInstance* mesh = n.geometry();
    if (!mesh || mesh->vertices()->desc().fvf != 0x312) return;
    const StageSettings& lightMap = mesh->settings().stages[1];
    EXPECT_EQ(lightMap.colorOp, DWORD(D3DTOP_MODULATE2X)) << n.name();
    EXPECT_TRUE(lightMap.texture) << n.name();
    EXPECT_EQ(lightMap.texCoordIndex, 1u) << n.name();
    ++lightMapped;
  });
  EXPECT_GT(lightMapped, 10);
  const RenderSettings& glass = node("Clock glass").geometry()->settings();
  EXPECT_EQ(glass.stages[1].colorOp, DWORD(D3DTOP_ADD));
  EXPECT_EQ(glass.stages[1].texCoordIndex, 1u | D3DTSS_TCI_SPHEREMAP);
  EXPECT_TRUE(glass.usesAlpha());
  EXPECT_TRUE(node("Curtain").geometry()->settings().usesAlpha());
  EXPECT_FALSE(node("Lamp lamp").geometry()->settings().usesAlpha());
}

TEST_F(RoomSceneTest, EveryTourIsACameraPathWithZUp) {
  for (int i = 1; i <= 10; ++i) {
    const std::string name = "c" + std::to_string(i) + ".cam";
    FileLocation location = FileLocation::disk(stagePath(name.c_str()));
    bool opened = false;
    std::unique_ptr<UdfNode> root = readUdfFile(location, opened);
    ASSERT_TRUE(opened) << name;
    ASSERT_TRUE(root) << name;
    CameraPath path;
    EXPECT_GT(path.addKeys(*root), 4u) << name;
    float start = 0, end = 0;
    ASSERT_TRUE(path.timeRange(start, end)) << name;
    EXPECT_EQ(start, 0.0f) << name;
    EXPECT_GE(end, 400.0f) << name; // at least 40 s at 10 units a second
    EXPECT_LE(end, 900.0f) << name;
    for (float t : {start, (start + end) / 2, end}) {
      CameraPose pose;
      ASSERT_TRUE(path.evaluate(t, pose));
      EXPECT_NEAR(D3DXVec3Length(&pose.direction), 1.0f, 1e-3f) << name;
      // Up leans with the view when a tour looks down, but never leaves the upper half.
      EXPECT_GT(pose.up.z, 0.7f) << name << " at " << t;
      EXPECT_NEAR(D3DXVec3Dot(&pose.up, &pose.direction), 0.0f, 1e-3f) << name;
    }
  }
}

} // namespace
} // namespace engine
