// The clock room's scene on the recording device: the named nodes taken out of the tree,
// the light maps turned, the photo in the frame, the animations' common range, and the
// states around each named node as the room is drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "clockroom/RoomScene.h"
#include "engine/app/Stopwatch.h"
#include "engine/scene/MeshInstance.h"
#include "engine/scene/NodeTransform.h"
#include "platform/win32/clock.h"
#include "tests/scene/SceneDeviceTest.h"
#include "tests/scene/SceneFile.h"
#include "tests/support/Pictures.h"

namespace {

using namespace scenetest;
using engine::SceneNode;

// A mesh of `triangles` triangles (its draws tell which node was drawn) in plain positions.
Node triangles(std::string_view name, int triangles, std::string_view material = {},
               const D3DXMATRIX& nodeTM = identity()) {
  MeshRecipe recipe;
  recipe.name = std::string(name);
  recipe.material = std::string(material);
  for (int i = 0; i < triangles * 3; ++i) {
    recipe.vertices.insert(recipe.vertices.end(), {float(i), float(i % 2), 1.0f});
    recipe.indices.push_back(std::uint32_t(i));
  }
  return meshNode(recipe, nodeTM);
}

// A quad with two coordinate sets, for a light-mapped material.
Node lightMappedQuad(std::string_view name, std::string_view material) {
  MeshRecipe recipe;
  recipe.name = std::string(name);
  recipe.material = std::string(material);
  recipe.fvf = D3DFVF_XYZ | D3DFVF_TEX2;
  recipe.vertices = {0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 1};
  recipe.indices = {0, 1, 2, 2, 1, 0};
  return meshNode(recipe);
}

// The file name a texture was made from.
std::string fileOf(const engine::TextureRef& texture) {
  return texture ? std::filesystem::path(texture->sourcePath()).filename().string() : std::string("(none)");
}

Node group(std::string_view name, const D3DXMATRIX& nodeTM = identity()) { return sceneNode("Node", name, nodeTM); }

// A node whose position track goes linearly from x = `from` at `start` to x = `to` at `end`.
Node moving(std::string_view name, float start, float from, float end, float to) {
  Node node = group(name);
  Node animation = list("Node", "Animation");
  Node position = list("Linear", "Position");
  position->addChild(keyLeaf("k0", start, {from, 0, 0, 0, 0, 0, 0}));
  position->addChild(keyLeaf("k1", end, {to, 0, 0, 0, 0, 0, 0}));
  animation->addChild(std::move(position));
  node->addChild(std::move(animation));
  return node;
}

SYSTEMTIME at(WORD hour, WORD minute) {
  SYSTEMTIME time{};
  time.wYear = 2026;
  time.wMonth = 12;
  time.wDay = 8;
  time.wHour = hour;
  time.wMinute = minute;
  return time;
}

class RoomAssembly : public SceneDeviceTest {
protected:
  void TearDown() override {
    // Its buffers and textures go before the device.
    roomScene_.reset();
    SceneDeviceTest::TearDown();
  }

  bool load(const std::string& photo = {}) { return room_.load(file_.location(), photo, clock_); }

  std::vector<std::string> rootChildren() {
    std::vector<std::string> names;
    for (const auto& entry : room_.scene().root().children())
      names.push_back(entry.value->name());
    return names;
  }

  // The texture-factor and ambient changes and the draws (by their triangle counts) since
  // `first`, in order.
  std::vector<std::string> drawing(std::size_t first) const {
    std::vector<std::string> out;
    const auto& calls = log_->calls();
    for (std::size_t i = first; i < calls.size(); ++i) {
      const d3d9::RecordedCall& call = calls[i];
      char text[48];
      if (call.method == "SetRenderState" && call.args[0] == D3DRS_TEXTUREFACTOR) {
        std::snprintf(text, sizeof text, "factor %08X", unsigned(call.args[1]));
      } else if (call.method == "SetRenderState" && call.args[0] == D3DRS_AMBIENT) {
        std::snprintf(text, sizeof text, "ambient %08X", unsigned(call.args[1]));
      } else if (call.method == "DrawIndexedPrimitive") {
        std::snprintf(text, sizeof text, "draw %u", unsigned(call.args[5]));
      } else {
        continue;
      }
      out.push_back(text);
    }
    return out;
  }

  SceneFile file_;
  saver::ClockMechanism clock_;
  std::unique_ptr<saver::RoomScene> roomScene_ = std::make_unique<saver::RoomScene>();
  saver::RoomScene& room_ = *roomScene_;
  engine::RenderView view_;
};

TEST_F(RoomAssembly, NamedNodesLeaveTheTreeTheFirstNameWinsAndCaseIsIgnored) {
  file_.children().addChild(triangles("Room", 1));
  Node clock = group("Clock", translation(5, 6, 7));
  addSceneChild(*clock, triangles("STRELKA_1BIG", 2));
  file_.children().addChild(std::move(clock));
  file_.children().addChild(triangles("strelka_1min", 3));
  // One child holding two names: it is the glass (looked for first) and leaves once.
  Node cabinet = group("Cabinet");
  addSceneChild(*cabinet, triangles("Lamp lamp", 4));
  addSceneChild(*cabinet, triangles("clock GLASS", 5));
  file_.children().addChild(std::move(cabinet));
  file_.children().addChild(triangles("curtain", 6));
  file_.children().addChild(triangles("FonPlane01", 7));
  ASSERT_TRUE(load());

  EXPECT_EQ(rootChildren(), std::vector<std::string>{"Room"});
  ASSERT_NE(room_.hourHand(), nullptr);
  EXPECT_EQ(room_.hourHand()->name(), "STRELKA_1BIG");
  ASSERT_NE(room_.glass(), nullptr);
  EXPECT_EQ(room_.glass()->name(), "clock GLASS");
  EXPECT_EQ(room_.lamp(), nullptr);
  ASSERT_NE(room_.curtain(), nullptr);
  ASSERT_NE(room_.windowView(), nullptr);
  ASSERT_NE(room_.minuteHand(), nullptr);
  // The hour hand's place in the world, through its parent.
  EXPECT_EQ(room_.clockFacePosition(), D3DXVECTOR3(5, 6, 7));

  // The hands turn with the clock's keys: at three o'clock the hour hand's +Z points to +X.
  clock_.update(at(3, 0));
  D3DXVECTOR3 tip(0, 0, 1), out;
  const engine::Matrix hour = room_.hourHand()->localMatrix();
  D3DXVec3TransformCoord(&out, &tip, &hour.m);
  EXPECT_NEAR(out.x, 1.0f, 1e-5f);
  const engine::Matrix minute = room_.minuteHand()->localMatrix();
  D3DXVec3TransformCoord(&out, &tip, &minute.m);
  EXPECT_NEAR(out.x, -1.0f, 1e-5f); // the minute hand's model lies a quarter turn on
}

TEST_F(RoomAssembly, LightMappedMaterialsTakeTheLightMapLessTheFactorTimesTwoTheBase) {
  Node material = list("Material", "Wood");
  Node subs = list("Material", "Materials");
  subs->addChild(subMaterial("Wood Base", 0, "wood.bmp"));
  subs->addChild(subMaterial("Wood LightMap", 1, "light.bmp"));
  material->addChild(std::move(subs));
  file_.materials().addChild(std::move(material));
  file_.children().addChild(lightMappedQuad("Floor", "Wood"));
  file_.children().addChild(triangles("Plain", 1));
  ASSERT_TRUE(load());

  const engine::RenderSettings& floor = room_.scene().root().findByName("Floor")->geometry()->settings();
  ASSERT_TRUE(floor.stages[0].texture && floor.stages[1].texture);
  EXPECT_EQ(fileOf(floor.stages[0].texture), "light.bmp");
  EXPECT_EQ(floor.stages[0].texCoordIndex, 1u); // the light map keeps its coordinates
  EXPECT_EQ(fileOf(floor.stages[1].texture), "wood.bmp");
  EXPECT_EQ(floor.stages[0].colorOp, DWORD(D3DTOP_SUBTRACT));
  EXPECT_EQ(floor.stages[0].colorArg1, DWORD(D3DTA_TEXTURE));
  EXPECT_EQ(floor.stages[0].colorArg2, DWORD(D3DTA_TFACTOR));
  EXPECT_EQ(floor.stages[1].colorOp, DWORD(D3DTOP_MODULATE2X));
  EXPECT_EQ(floor.stages[1].colorArg1, DWORD(D3DTA_TEXTURE));
  EXPECT_EQ(floor.stages[1].colorArg2, DWORD(D3DTA_CURRENT));
  for (int i : {0, 1}) {
    EXPECT_EQ(floor.stages[std::size_t(i)].alphaOp, DWORD(D3DTOP_SELECTARG1));
    EXPECT_EQ(floor.stages[std::size_t(i)].alphaArg1, DWORD(D3DTA_TEXTURE));
  }
  const engine::RenderSettings& plain = room_.scene().root().findByName("Plain")->geometry()->settings();
  EXPECT_EQ(plain.stages[0].colorOp, engine::kAutomaticOp);
  EXPECT_EQ(plain.stages[1].colorOp, DWORD(D3DTOP_DISABLE));
}

TEST_F(RoomAssembly, ThePhotoOnDiskTakesThePicturesPlaceUnlessThereIsNone) {
  Node material = list("Material", "Painting");
  material->addChild(texturesOf("Diffuse", "wood.bmp"));
  file_.materials().addChild(std::move(material));
  file_.children().addChild(triangles("Picture", 1, "Painting"));
  const std::string photo = media_.write("holiday.bmp", testsupport::solidBmp(8, 4, 0x2040F0)).string();
  ASSERT_TRUE(load(photo));
  EXPECT_EQ(fileOf(room_.scene().root().findByName("picture")->geometry()->settings().stages[0].texture),
            "holiday.bmp");
  for (const std::string& other : {std::string(), media_.file("missing.jpg").string(), media_.path().string()}) {
    // Without a path, with a file that is not there, or with a folder.
    saver::RoomScene fresh;
    ASSERT_TRUE(fresh.load(file_.location(), other, clock_));
    EXPECT_EQ(fileOf(fresh.scene().root().findByName("Picture")->geometry()->settings().stages[0].texture), "wood.bmp")
        << other;
  }
}

TEST_F(RoomAssembly, AnimationsWrapOverTheUnionOfEveryKeyRange) {
  win32::ManualClock clock;
  clock.setNow(10000);
  win32::ScopedClock use(clock);
  // One node moves from x 0 to x 2 over 0 ... 2 s; another holds still over 1 ... 4 s.
  file_.children().addChild(moving("Pendulum", 0.0f, 0.0f, 2.0f, 2.0f));
  file_.children().addChild(moving("Weight", 1.0f, 5.0f, 4.0f, 5.0f));
  ASSERT_TRUE(load());
  room_.startAnimations();

  SceneNode& pendulum = *room_.scene().root().findByName("Pendulum");
  // 6 s wraps to 2 s of the common 0 ... 4 s range (its own range would give 0 s).
  clock.advance(6000);
  EXPECT_NEAR(pendulum.animatedLocal(engine::nowMilliseconds()).m._41, 2.0f, 1e-5f);
  clock.advance(1000); // 7 s: 3 s, past its last key
  EXPECT_NEAR(pendulum.animatedLocal(engine::nowMilliseconds()).m._41, 2.0f, 1e-5f);
  clock.advance(2000); // 9 s: 1 s
  EXPECT_NEAR(pendulum.animatedLocal(engine::nowMilliseconds()).m._41, 1.0f, 1e-5f);
}

class RoomDrawing : public RoomAssembly {
protected:
  void SetUp() override {
    RoomAssembly::SetUp();
    file_.children().addChild(triangles("FonPlane01", 1));
    file_.children().addChild(triangles("Lamp lamp", 2));
    file_.children().addChild(triangles("Room", 3));
    file_.children().addChild(triangles("strelka_1big", 4));
    file_.children().addChild(triangles("strelka_1min", 5));
    file_.children().addChild(triangles("Clock glass", 6));
    file_.children().addChild(triangles("Curtain", 7));
    ASSERT_TRUE(load());
    // Everything in front of the camera, so nothing is culled.
    view_.setProjection(0.1f, 1000.0f, D3DX_PI / 2, 1.0f);
    view_.setView(D3DXVECTOR3(0, 0, -50), D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 1, 0));
  }
};

TEST_F(RoomDrawing, TheWindowViewIsLitByTheFlashAndTheRoomDarkenedByTheFlicker) {
  const std::size_t first = callCount();
  saver::RoomLight light;
  light.flash = 1.0f;
  light.flicker = 0.5f;
  light.ambient = 0xFF336699;
  ASSERT_TRUE(room_.renderScene(view_, light, engine::TraversalContext{}));
  // At the flash's peak the window view's ambient is 1.2 of white, packed as white.
  EXPECT_EQ(drawing(first),
            (std::vector<std::string>{"factor FF404040", "ambient FFFFFFFF", "draw 1", "ambient FF336699", "draw 2",
                                      "factor 00404040", "draw 3", "draw 4", "draw 5", "draw 6", "draw 7"}));
  const engine::StageSettings& added = room_.windowView()->geometry()->settings().stages[1];
  EXPECT_EQ(added.colorOp, DWORD(D3DTOP_ADD));
  EXPECT_EQ(added.colorArg1, DWORD(D3DTA_CURRENT));
  EXPECT_EQ(added.colorArg2, DWORD(D3DTA_TFACTOR));

  const std::size_t second = callCount();
  light.flash = 0.25f;
  light.flicker = 0.0f;
  ASSERT_TRUE(room_.renderScene(view_, light, engine::TraversalContext{}));
  // 0.25 x 64 = 16 grey; ambient 0.675 packs to 172.
  const std::vector<std::string> calm = drawing(second);
  ASSERT_GE(calm.size(), 3u);
  EXPECT_EQ(calm[0], "factor FF101010");
  EXPECT_EQ(calm[1], "ambient FFACACAC");
  EXPECT_NE(std::find(calm.begin(), calm.end(), "factor 00000000"), calm.end());
}

TEST_F(RoomAssembly, AFileThatCannotBeLoadedLeavesNoRoom) {
  const std::string damaged = "UDF? not a scene";
  EXPECT_FALSE(room_.load(engine::FileLocation::memory(damaged.data(), std::uint32_t(damaged.size())), "", clock_));
  EXPECT_FALSE(room_.loaded());
  EXPECT_TRUE(room_.renderScene(view_, saver::RoomLight{}, engine::TraversalContext{}));
}

} // namespace
