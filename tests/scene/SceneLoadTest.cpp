// Loading the node tree of a scene file: reuse by name, transforms, animation, cameras,
// bind inverses and the failures the loader reports.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/Log.h"
#include "engine/scene/Scene.h"
#include "tests/scene/SceneFile.h"

namespace engine {
namespace {

using namespace scenetest;

D3DXVECTOR3 translationOf(const Matrix& m) { return D3DXVECTOR3(m.m._41, m.m._42, m.m._43); }

TEST(SceneLoadTest, ARepeatedNameReusesTheFirstNodeWithoutMovingIt) {
  SceneFile file;
  Node lampBase = sceneNode("Dummy", "Lamp", translation(1, 0, 0));
  addSceneChild(*lampBase, sceneNode("Mesh", "Shade", translation(0, 0, 2)));
  file.children().addChild(std::move(lampBase));
  // Later, under another parent and in other letter case: the same node.
  Node table = sceneNode("Dummy", "Table");
  Node again = sceneNode("Dummy", "SHADE", translation(0, 0, 7));
  addSceneChild(*again, sceneNode("Dummy", "Bulb"));
  addSceneChild(*table, std::move(again));
  file.children().addChild(std::move(table));

  Scene scene;
  ASSERT_TRUE(scene.load(file.location(), ""));
  SceneNode* shade = scene.root().findByName("shade");
  ASSERT_NE(shade, nullptr);
  EXPECT_EQ(shade->name(), "Shade");
  EXPECT_EQ(shade->parent()->name(), "Lamp");
  EXPECT_EQ(translationOf(shade->localMatrix()), D3DXVECTOR3(0, 0, 7)); // re-read
  ASSERT_NE(shade->findByName("Bulb"), nullptr);                        // its children load under it
  EXPECT_EQ(scene.root().findByName("Table")->children().size(), 0u);
}

TEST(SceneLoadTest, CameraNodesLiveApartFromTheRoomTree) {
  SceneFile file;
  file.cameras().addChild(sceneNode("Camera", "View", translation(5, 5, 5)));
  file.children().addChild(sceneNode("Dummy", "view", translation(1, 1, 1)));
  Scene scene;
  ASSERT_TRUE(scene.load(file.location(), ""));
  SceneNode* camera = scene.cameraRoot().findByName("View");
  SceneNode* room = scene.root().findByName("View");
  ASSERT_NE(camera, nullptr);
  ASSERT_NE(room, nullptr);
  EXPECT_NE(camera, room);
  EXPECT_EQ(translationOf(camera->localMatrix()), D3DXVECTOR3(5, 5, 5));
  EXPECT_EQ(translationOf(room->localMatrix()), D3DXVECTOR3(1, 1, 1));
}

TEST(SceneLoadTest, FindByNameIsPreOrderAndIgnoresCase) {
  SceneNode root("root");
  SceneNode* first = root.addChild(std::make_unique<SceneNode>("First"));
  SceneNode* deep =
      first->addChild(std::make_unique<SceneNode>("Inner"))->addChild(std::make_unique<SceneNode>("lamp"));
  SceneNode* second = root.addChild(std::make_unique<SceneNode>("Lamp"));
  EXPECT_EQ(root.findByName("LAMP"), deep); // the earlier sibling's subtree wins
  EXPECT_EQ(second->findByName("lamp"), second);
  SceneNode* upper = first->children().find("inner")->get();
  upper->setName("LAMP");
  EXPECT_EQ(root.findByName("lamp"), upper); // a node wins over a namesake below it
  EXPECT_EQ(root.findByName("nothing"), nullptr);
}

TEST(SceneLoadTest, AnAbsentNameEqualsTheEmptyName) {
  SceneNode unnamed;
  EXPECT_EQ(unnamed.findByName(""), &unnamed);
}

TEST(SceneLoadTest, AddingUnderATakenNameTakesOverTheEntry) {
  SceneNode root("root");
  root.addChild(std::make_unique<SceneNode>("A"));
  root.addChild(std::make_unique<SceneNode>("B"));
  SceneNode* replacement = root.addChild(std::make_unique<SceneNode>("a", "Mesh"));
  ASSERT_EQ(root.children().size(), 2u);
  EXPECT_EQ(root.children().begin()->value.get(), replacement); // its place in the order
  EXPECT_EQ(replacement->parent(), &root);
  std::unique_ptr<SceneNode> taken = root.removeChild(*replacement);
  EXPECT_EQ(taken.get(), replacement);
  EXPECT_EQ(taken->parent(), nullptr);
  EXPECT_EQ(root.children().size(), 1u);
}

TEST(SceneLoadTest, TransformsNeedBothMatricesAndSmallObjectOffsetsVanish) {
  SceneFile file;
  Node onlyNodeTM = list("Dummy", "Half");
  onlyNodeTM->addChild(matrixLeaf("NodeTM", translation(3, 0, 0)));
  file.children().addChild(std::move(onlyNodeTM));
  D3DXMATRIX nearly = identity();
  nearly._41 = 0.009f;
  nearly._22 = 1.01f;
  file.children().addChild(sceneNode("Dummy", "Nearly", identity(), nearly));
  file.children().addChild(sceneNode("Dummy", "Offset", identity(), translation(0, 0.02f, 0)));
  Scene scene;
  ASSERT_TRUE(scene.load(file.location(), "room"));
  SceneNode* half = scene.root().findByName("Half");
  EXPECT_EQ(half->transform(), nullptr);
  const Matrix halfLocal = half->localMatrix();
  EXPECT_TRUE(D3DXMatrixIsIdentity(&halfLocal.m));
  EXPECT_EQ(scene.root().findByName("Nearly")->objectOffset(), nullptr);
  SceneNode* offset = scene.root().findByName("Offset");
  ASSERT_NE(offset->objectOffset(), nullptr);
  EXPECT_FLOAT_EQ(offset->objectOffsetMatrix().m._42, 0.02f);
  EXPECT_EQ(offset->transformFiledUnder("room"), offset->transform());
  EXPECT_EQ(offset->transformFiledUnder(""), nullptr);
}

TEST(SceneLoadTest, BindInversesUndoTheLoadTimeWorld) {
  SceneFile file;
  D3DXMATRIX turned;
  D3DXMatrixRotationZ(&turned, 0.5f);
  turned._41 = 4.0f;
  Node parent = sceneNode("Dummy", "Parent", turned);
  addSceneChild(*parent, sceneNode("bone", "Child", translation(0, 2, 0)));
  file.children().addChild(std::move(parent));
  Scene scene;
  ASSERT_TRUE(scene.load(file.location(), ""));
  SceneNode* child = scene.root().findByName("Child");
  const Matrix world = child->localMatrix() * child->parent()->localMatrix();
  const Matrix product = world * child->bindInverse();
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      EXPECT_NEAR(product.m.m[r][c], r == c ? 1.0f : 0.0f, 1e-5f);
}

TEST(SceneLoadTest, AnimationSectionsBecomeTracks) {
  SceneFile file;
  Node node = sceneNode("Mesh", "Swing");
  Node animation = list("Animation", "Animation");
  Node rotation = list("Sample", "Rotation");
  rotation->addChild(keyLeaf("0", 0.0f, {0, 0, 0, 1, 0, 0, 0}));
  rotation->addChild(keyLeaf("1", 2.0f, {0, 1, 0, 0, 0, 0, 0}));
  Node position = list("TCB", "Position");
  position->addChild(keyLeaf("0", 0.0f, {1, 2, 3, 0, 0, 0, 0}));
  position->addChild(bytesLeaf("AniKey", "1", nullptr, 0)); // no data: the track ends here
  position->addChild(keyLeaf("2", 1.0f, {4, 5, 6, 0, 0, 0, 0}));
  animation->addChild(std::move(rotation));
  animation->addChild(std::move(position));
  node->addChild(std::move(animation));
  file.children().addChild(std::move(node));
  Scene scene;
  ASSERT_TRUE(scene.load(file.location(), ""));
  SceneNode* swing = scene.root().findByName("Swing");
  std::shared_ptr<Animation> loaded = swing->animation().animation("");
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->rotation().keys().size(), 2u);
  EXPECT_TRUE(loaded->rotation().flags() & kTrackLinear);
  EXPECT_EQ(loaded->position().keys().size(), 1u);
  EXPECT_FALSE(loaded->position().flags() & kTrackLinear);
  EXPECT_TRUE(loaded->scale().empty());
  float start = 0, end = 0;
  ASSERT_TRUE(scene.root().animationTimeRange(start, end));
  EXPECT_EQ(start, 0.0f);
  EXPECT_EQ(end, 2.0f);
}

TEST(SceneLoadTest, DamagedOrMissingFilesFailWithALogLine) {
  LogCapture log;
  Scene scene;
  const std::string junk = "not a scene file at all";
  EXPECT_FALSE(scene.load(FileLocation::memory(junk.data(), std::uint32_t(junk.size())), ""));
  // The reader's reason comes first, then the scene's own line.
  EXPECT_TRUE(log.contains("Error: not a UDF file\n"));
  EXPECT_EQ(log.lines().back(), "Error: cannot read the scene file in memory\n");
  log.clear();
  EXPECT_FALSE(scene.load(FileLocation::disk("/nonexistent/clock.udf"), ""));
  EXPECT_TRUE(log.contains("Error: cannot open the scene file /nonexistent/clock.udf\n"));
}

TEST(SceneLoadTest, SectionsAreOptional) {
  SceneFile file;
  Scene scene;
  EXPECT_TRUE(scene.load(file.location(), ""));
  EXPECT_TRUE(scene.root().children().empty());
}

// The rule that relates a node's animated local matrix to its pose.
TEST(NodePoseTest, WithoutAnimationTheFilePoseStands) {
  SceneNode node("Chair");
  node.setTransforms("", NodeTransform::fromNodeTM(translation(3, 4, 5)), nullptr);
  EXPECT_EQ(translationOf(node.animatedLocal(123456)), D3DXVECTOR3(3, 4, 5));
}

TEST(NodePoseTest, APendulumSwingsAboutItsPivot) {
  SceneNode pendulum("clock mayatnik");
  const D3DXVECTOR3 pivot(0, 3, -20);
  pendulum.setTransforms("", NodeTransform::fromNodeTM(translation(pivot.x, pivot.y, pivot.z)), nullptr);
  auto swing = std::make_shared<Animation>();
  const D3DXVECTOR3 axis(0, 1, 0);
  for (float t : {0.0f, 1.0f}) {
    D3DXQUATERNION q;
    D3DXQuaternionRotationAxis(&q, &axis, t * 0.3f);
    swing->rotation().addKey(AnimationKey::rotation(t, q));
  }
  swing->position().addKey(AnimationKey::vector(0.0f, pivot));
  pendulum.addAnimation("", swing);
  const double at = 1.0;
  const Matrix m = pendulum.animatedLocal(0, &at);
  // The pivot stays put; the bob 60 below it moves sideways by the swing.
  D3DXVECTOR3 top(0, 0, 0), bob(0, 0, -60), out;
  D3DXVec3TransformCoord(&out, &top, &m.m);
  const D3DXVECTOR3 moved = out - pivot;
  EXPECT_NEAR(D3DXVec3Length(&moved), 0.0f, 1e-4f);
  D3DXVec3TransformCoord(&out, &bob, &m.m);
  EXPECT_NEAR(out.x, -60.0f * std::sin(0.3f), 1e-3f);
  EXPECT_NEAR(out.z, pivot.z - 60.0f * std::cos(0.3f), 1e-3f);
}

TEST(NodePoseTest, TheWorldPositionGoesThroughEveryParentsTransform) {
  SceneNode root;
  auto parent = std::make_unique<SceneNode>("Clock");
  D3DXMATRIX turned;
  D3DXMatrixRotationZ(&turned, D3DX_PI / 2);
  turned._41 = 10.0f;
  parent->setTransforms("", NodeTransform::fromNodeTM(turned), nullptr);
  auto child = std::make_unique<SceneNode>("Face");
  child->setTransforms("", NodeTransform::fromNodeTM(translation(1, 0, 0)), nullptr);
  SceneNode* face = parent->addChild(std::move(child));
  root.addChild(std::move(parent));
  // The child's offset along the parent's x turns with the parent, then moves with it.
  const D3DXVECTOR3 at = face->worldPosition();
  EXPECT_NEAR(at.x, 10.0f, 1e-5f);
  EXPECT_NEAR(at.y, 1.0f, 1e-5f);
  EXPECT_NEAR(at.z, 0.0f, 1e-5f);
  EXPECT_EQ(root.worldPosition(), D3DXVECTOR3(0, 0, 0));
}

TEST(NodePoseTest, AnInstalledRotationKeyTurnsTheNodeAboutItsParentsY) {
  SceneNode hand("strelka_1big");
  hand.setTransforms("", NodeTransform::fromNodeTM(identity()), nullptr);
  AnimationKey key = AnimationKey::rotation(0.0f, D3DXQUATERNION(0, 0, 0, 1));
  hand.installTransform("", std::make_shared<RotationKeyTransform>(&key));
  const D3DXVECTOR3 y(0, 1, 0);
  D3DXQUATERNION rotation;
  D3DXQuaternionRotationAxis(&rotation, &y, D3DX_PI / 2); // three o'clock
  key = AnimationKey::rotation(0.0f, rotation);
  D3DXVECTOR3 tip(0, 0, 10), out;
  const Matrix m = hand.animatedLocal(0);
  D3DXVec3TransformCoord(&out, &tip, &m.m);
  EXPECT_NEAR(out.x, 10.0f, 1e-4f);
  EXPECT_NEAR(out.z, 0.0f, 1e-4f);
}

} // namespace
} // namespace engine
