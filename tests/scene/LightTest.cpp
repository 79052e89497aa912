// Lights from the scene file, their reach and their slots on the device.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/Log.h"
#include "engine/scene/Scene.h"
#include "tests/scene/SceneDeviceTest.h"
#include "tests/scene/SceneFile.h"

namespace engine {
namespace {

using namespace scenetest;

Node light(std::string_view kind, std::string_view name, const D3DXMATRIX& nodeTM = identity()) {
  return sceneNode(kind, name, nodeTM);
}

TEST(LightReachTest, PointLightsReachBoxesWithinTheirRange) {
  PointLight point;
  point.light().Position = D3DXVECTOR3(0, 0, 0);
  point.light().Range = 10.0f;
  EXPECT_TRUE(point.reaches(BoundingBox{{14, 0, 0}, {8, 8, 8}})); // touching counts: 2*14 = 20 + 8
  EXPECT_FALSE(point.reaches(BoundingBox{{14.5f, 0, 0}, {8, 8, 8}}));
  point.light().Range = 0.0f; // no "AttEnd": only boxes at the light itself
  EXPECT_TRUE(point.reaches(BoundingBox{{1, 0, 0}, {2, 2, 2}}));
  EXPECT_FALSE(point.reaches(BoundingBox{{1.5f, 0, 0}, {2, 2, 2}}));
}

TEST(LightReachTest, SpotLightsReachAlongTheirConeAndNothingWithoutARange) {
  SpotLight spot;
  spot.light().Position = D3DXVECTOR3(0, 0, 0);
  spot.light().Direction = D3DXVECTOR3(0, 0, -1);
  spot.light().Range = 10.0f;
  spot.light().Phi = 0.0f; // a thin cone: a cube of edge 20 around (0, 0, -5)
  EXPECT_TRUE(spot.reaches(BoundingBox{{0, 0, -14}, {2, 2, 2}}));
  EXPECT_FALSE(spot.reaches(BoundingBox{{0, 0, 7}, {2, 2, 2}}));
  spot.light().Phi = std::atan(1.0f); // 45 degrees: radius 10, edge 2 * sqrt(200)
  EXPECT_TRUE(spot.reaches(BoundingBox{{0, 13.5f, -5}, {1, 1, 1}}));
  spot.light().Range = 0.0f;
  EXPECT_FALSE(spot.reaches(BoundingBox{{0, 0, 0}, {100, 100, 100}}));
  spot.light().Range = 10.0f;
  spot.light().Direction = D3DXVECTOR3(0, 0, 0);
  EXPECT_FALSE(spot.reaches(BoundingBox{{0, 0, 0}, {100, 100, 100}}));
  DirectionalLight sun;
  EXPECT_TRUE(sun.reaches(BoundingBox{{1e6f, 0, 0}, {1, 1, 1}}));
}

class LightTest : public SceneDeviceTest {
protected:
  SceneFile file_;
};

TEST_F(LightTest, LightsTakeTheirPlacementAndKeysFromTheFile) {
  Node point = light("PointLight", "Bulb", translation(1, 2, 3));
  point->addChild(floatLeaf("AttStart", 4.0f));
  point->addChild(floatLeaf("AttEnd", 50.0f));
  point->addChild(colorLeaf("Diffuse", {1.0f, 0.5f, 0.25f, 0.125f}));
  file_.lights().addChild(std::move(point));
  Node sun = light("DirLight", "Sun");
  sun->addChild(floatLeaf("AttStart", 0.0f));
  file_.lights().addChild(std::move(sun));
  D3DXMATRIX tilted;
  D3DXMatrixRotationX(&tilted, D3DX_PI / 2);
  tilted._41 = 7;
  Node spot = light("SpotLight", "Spot", tilted);
  spot->addChild(floatLeaf("HotSpot", 0.3f));
  spot->addChild(floatLeaf("FallOff", 0.6f));
  file_.lights().addChild(std::move(spot));
  ASSERT_TRUE(scene().load(file_.location(), ""));
  ASSERT_EQ(scene().lights().size(), 3u);

  const D3DLIGHT9& bulb = scene().lights().at(0).light();
  EXPECT_EQ(bulb.Type, D3DLIGHT_POINT);
  EXPECT_EQ(D3DXVECTOR3(bulb.Position), D3DXVECTOR3(1, 2, 3));
  EXPECT_FLOAT_EQ(bulb.Attenuation1, 0.25f);
  EXPECT_EQ(bulb.Attenuation0, 0.0f);
  EXPECT_EQ(bulb.Range, 50.0f);
  EXPECT_EQ(bulb.Diffuse.r, 0.5f);
  EXPECT_EQ(bulb.Diffuse.a, 1.0f);

  const D3DLIGHT9& down = scene().lights().at(1).light();
  EXPECT_EQ(down.Type, D3DLIGHT_DIRECTIONAL);
  EXPECT_EQ(D3DXVECTOR3(down.Direction), D3DXVECTOR3(0, -1, 0)); // the identity points down
  EXPECT_EQ(down.Attenuation1, 0.0f);
  EXPECT_EQ(down.Range, 0.0f);

  const D3DLIGHT9& cone = scene().lights().at(2).light();
  EXPECT_EQ(cone.Type, D3DLIGHT_SPOT);
  EXPECT_EQ(cone.Theta, 0.3f);
  EXPECT_EQ(cone.Phi, 0.6f);
  EXPECT_FLOAT_EQ(cone.Position.x, 7.0f);
  // A quarter turn about X takes local -Y to -Z.
  EXPECT_NEAR(cone.Direction.y, 0.0f, 1e-6f);
  EXPECT_NEAR(cone.Direction.z, -1.0f, 1e-6f);
}

TEST_F(LightTest, AnUnknownKindEndsTheLightsWithAFailure) {
  file_.lights().addChild(light("PointLight", "First"));
  file_.lights().addChild(light("AreaLight", "Panel"));
  file_.lights().addChild(light("PointLight", "Third"));
  LogCapture log;
  ASSERT_TRUE(scene().load(file_.location(), "")); // the scene itself loads
  EXPECT_EQ(scene().lights().size(), 1u);
  EXPECT_TRUE(log.contains("Error: the light Panel is of the unknown kind AreaLight\n"));
}

TEST_F(LightTest, SlotsFollowTheSetOrderEveryFrame) {
  for (const char* name : {"A", "B", "C"}) {
    Node l = light("PointLight", name, translation(name[0] == 'B' ? 100.0f : 0.0f, 0, 0));
    l->addChild(floatLeaf("AttEnd", 5.0f));
    file_.lights().addChild(std::move(l));
  }
  ASSERT_TRUE(scene().load(file_.location(), ""));
  LightSet& lights = scene().lights();
  lights.setAll();
  lights.enableFor(BoundingBox{{0, 0, 0}, {1, 1, 1}});
  lights.disableAll();
  std::vector<std::string> calls;
  for (const d3d9::RecordedCall& call : log_->calls())
    if (call.method == "SetLight" || call.method == "LightEnable")
      calls.push_back(call.method + " " + std::to_string(call.args[0]) +
                      (call.method == "LightEnable" ? " " + std::to_string(call.args[1]) : ""));
  EXPECT_EQ(calls,
            (std::vector<std::string>{"SetLight 0", "SetLight 1", "SetLight 2", "LightEnable 0 1", "LightEnable 1 0",
                                      "LightEnable 2 1", "LightEnable 0 0", "LightEnable 1 0", "LightEnable 2 0"}));
  EXPECT_EQ(lights.at(2).index(), 2u);
  EXPECT_FALSE(lights.at(1).enabled());
}

} // namespace
} // namespace engine
