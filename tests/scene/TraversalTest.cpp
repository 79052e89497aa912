// The per-frame traversal: matrices handed down and restored, culling, the queue, the
// update-only pass, bone skin matrices and world bounds.
#include <gtest/gtest.h>

#include "engine/render/RenderView.h"
#include "engine/scene/Scene.h"
#include "platform/win32/clock.h"
#include "tests/scene/SceneDeviceTest.h"
#include "tests/scene/SceneFile.h"

namespace engine {
namespace {

using namespace scenetest;

// A camera at the origin looking along +X with Z up, 90 degrees wide and high.
Camera lookingAlongX() {
  Camera camera;
  camera.setProjection(1.0f, 100.0f, D3DX_PI / 2, 1.0f);
  camera.setView(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 0, 1));
  return camera;
}

TEST(FrustumTest, BoxesInsideOutsideAndAcrossTheFrustum) {
  Camera camera = lookingAlongX();
  const D3DXMATRIX& vp = camera.viewProjection().m;
  EXPECT_FALSE(boxOutsideFrustum(BoundingBox{{10, 0, 0}, {1, 1, 1}}, vp)); // ahead
  EXPECT_TRUE(boxOutsideFrustum(BoundingBox{{-10, 0, 0}, {1, 1, 1}}, vp)); // behind
  EXPECT_TRUE(boxOutsideFrustum(BoundingBox{{10, 30, 0}, {1, 1, 1}}, vp)); // off to the side
  EXPECT_TRUE(boxOutsideFrustum(BoundingBox{{200, 0, 0}, {1, 1, 1}}, vp)); // beyond the far plane
  // A box around the frustum's edge at x = 10 (where the side plane is at y = 10, z = 10):
  // no corner is inside, but no single side has all eight corners beyond it.
  const BoundingBox corner{{10, 10.5f, 10.5f}, {0.8f, 2.0f, 2.0f}};
  EXPECT_FALSE(boxOutsideFrustum(corner, vp));
  // Wholly beyond one side even though it straddles another: culled.
  EXPECT_TRUE(boxOutsideFrustum(BoundingBox{{10, 12, 10}, {0.8f, 2.0f, 2.0f}}, vp));
}

class TraversalTest : public SceneDeviceTest {
protected:
  void SetUp() override {
    SceneDeviceTest::SetUp();
    MeshRecipe recipe;
    recipe.fvf = D3DFVF_XYZ;
    recipe.vertices = {0, -1, -1, 0, 1, -1, 0, 0, 1};
    recipe.indices = {0, 1, 2};
    recipe.name = "Near";
    Node parent = meshNode(recipe, translation(10, 0, 0));
    recipe.name = "Behind";
    addSceneChild(*parent, meshNode(recipe, translation(-30, 0, 0)));
    file_.children().addChild(std::move(parent));
    recipe.name = "Sibling";
    file_.children().addChild(meshNode(recipe, translation(20, 0, 0)));
    ASSERT_TRUE(scene().load(file_.location(), ""));
    view_.setProjection(1.0f, 100.0f, D3DX_PI / 2, 1.0f);
    view_.setView(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 0, 1));
  }
  std::size_t queued() const {
    return view_.opaqueQueue().entries().size() + view_.transparentQueue().entries().size();
  }

  SceneFile file_;
  RenderView view_;
};

TEST_F(TraversalTest, ChildrenSeeTheirParentsWorldAndSiblingsTheSameStart) {
  Matrix staticWorld = Matrix::translation(0, 0, 100);
  TraversalContext context;
  context.world = Matrix::translation(0, 0, 100);
  context.staticWorld = &staticWorld;
  context.queue = &view_;
  ASSERT_TRUE(scene().root().traverse(context));
  EXPECT_EQ(context.world, Matrix::translation(0, 0, 100));
  EXPECT_EQ(staticWorld, Matrix::translation(0, 0, 100));
  SceneNode* behind = scene().root().findByName("Behind");
  EXPECT_FLOAT_EQ(behind->drawWorld().m._41, -20.0f);
  EXPECT_FLOAT_EQ(behind->drawWorld().m._43, 100.0f);
  EXPECT_FLOAT_EQ(scene().root().findByName("Sibling")->drawWorld().m._41, 20.0f);
}

TEST_F(TraversalTest, CulledGeometryStaysOutOfTheQueue) {
  Matrix staticWorld;
  TraversalContext context;
  context.staticWorld = &staticWorld;
  context.queue = &view_;
  ASSERT_TRUE(scene().root().traverse(context));
  EXPECT_EQ(queued(), 2u); // "Behind" stands at x = -20, behind the camera
  view_.clear();
  context.flags = kTraverseNoCulling;
  ASSERT_TRUE(scene().root().traverse(context));
  EXPECT_EQ(queued(), 3u);
  view_.clear();
  context.flags = kTraverseUpdateOnly;
  ASSERT_TRUE(scene().root().traverse(context));
  EXPECT_EQ(queued(), 0u);
  EXPECT_FLOAT_EQ(scene().root().findByName("Behind")->drawWorld().m._41, -20.0f);
}

TEST_F(TraversalTest, WithoutAQueueGeometryIsDrawnAtOnce) {
  Matrix staticWorld;
  TraversalContext context;
  context.staticWorld = &staticWorld;
  Camera camera = lookingAlongX();
  context.camera = &camera;
  const std::size_t draws = log_->count("DrawIndexedPrimitive");
  ASSERT_TRUE(scene().root().traverse(context));
  EXPECT_EQ(log_->count("DrawIndexedPrimitive"), draws + 2);
}

TEST_F(TraversalTest, WorldBoundsFollowTheWorldMatrix) {
  SceneNode* sibling = scene().root().findByName("Sibling");
  Matrix staticWorld;
  TraversalContext context;
  context.staticWorld = &staticWorld;
  context.flags = kTraverseUpdateOnly;
  ASSERT_TRUE(scene().root().traverse(context));
  ASSERT_TRUE(sibling->updateWorldBounds());
  EXPECT_EQ(sibling->worldBounds().centre, D3DXVECTOR3(20, 0, 0));
  EXPECT_EQ(sibling->worldBounds().size, D3DXVECTOR3(0, 2, 2));
  SceneNode bare("bare");
  EXPECT_FALSE(bare.updateWorldBounds());
}

TEST(BoneTest, SkinMatricesCarryABoneFromItsPoseToWhereItIsDrawn) {
  SceneNode root;
  SceneNode* bone = root.addChild(std::make_unique<SceneNode>("Elbow", "Bone"));
  bone->setTransforms("", NodeTransform::fromNodeTM(translation(0, 0, 5)), nullptr);
  auto lift = std::make_shared<Animation>();
  lift->position().addKey(AnimationKey::vector(0.0f, D3DXVECTOR3(0, 0, 8)));
  bone->addAnimation("", lift);
  Matrix staticWorld;
  TraversalContext context;
  context.staticWorld = &staticWorld;
  context.flags = kTraverseUpdateOnly;
  ASSERT_TRUE(root.traverse(context));
  // The pose puts the bone at z = 5; it is drawn at z = 8: the skin matrix moves by 3.
  EXPECT_FLOAT_EQ(bone->skinMatrix().m._43, 3.0f);
  EXPECT_FLOAT_EQ(bone->skinMatrix().m._11, 1.0f);
}

// A child of `root` that moves from x = 0 to x = 4 in two seconds.
SceneNode* addSwing(SceneNode& root) {
  SceneNode* swing = root.addChild(std::make_unique<SceneNode>("Swing"));
  auto move = std::make_shared<Animation>();
  move->position().addKey(AnimationKey::vector(0.0f, D3DXVECTOR3(0, 0, 0)));
  move->position().addKey(AnimationKey::vector(2.0f, D3DXVECTOR3(4, 0, 0)));
  move->position().setFlags(kTrackLinear);
  swing->addAnimation("", move);
  return swing;
}

TEST(NodePoseTest, AnAnimatedNodeTakesItsPoseAtTheTimeAsked) {
  SceneNode root;
  SceneNode* swing = addSwing(root);
  Matrix staticWorld;
  TraversalContext context;
  context.staticWorld = &staticWorld;
  context.flags = kTraverseAtTime | kTraverseUpdateOnly;
  context.time = 0.5;
  ASSERT_TRUE(root.traverse(context));
  EXPECT_FLOAT_EQ(swing->drawWorld().m._41, 1.0f);
  context.time = 1.5;
  ASSERT_TRUE(root.traverse(context));
  EXPECT_FLOAT_EQ(swing->drawWorld().m._41, 3.0f);
}

TEST(NodePoseTest, AContextKeptFromFrameToFrameReadsTheClockEachFrame) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  clock.setNow(10000);
  SceneNode root;
  SceneNode* swing = addSwing(root);
  swing->startAnimation(kAllLayers, false);
  Matrix staticWorld;
  TraversalContext context;
  context.staticWorld = &staticWorld;
  context.flags = kTraverseUpdateOnly;
  clock.advance(500);
  ASSERT_TRUE(root.traverse(context));
  EXPECT_FLOAT_EQ(swing->drawWorld().m._41, 1.0f);
  clock.advance(1000);
  ASSERT_TRUE(root.traverse(context));
  EXPECT_FLOAT_EQ(swing->drawWorld().m._41, 3.0f);
  // A frame that brings its own time keeps it.
  context.nowMs = 10000 + 250;
  ASSERT_TRUE(root.traverse(context));
  EXPECT_FLOAT_EQ(swing->drawWorld().m._41, 0.5f);
  EXPECT_EQ(context.nowMs, 10250);
}

} // namespace
} // namespace engine
