// A later node whose name equals an earlier one's, ignoring case: in the camera section it
// takes over the earlier node's entry, in the room tree it reuses the earlier node. Either
// way nothing may keep pointing at a node that is gone (the sanitizer build watches).
#include <gtest/gtest.h>

#include <functional>

#include "engine/render/RenderView.h"
#include "engine/scene/Scene.h"
#include "tests/scene/SceneDeviceTest.h"
#include "tests/scene/SceneFile.h"

namespace engine {
namespace {

using namespace scenetest;

enum class Where { Cameras, CameraDummyChildren, RoomChildren };

struct Later {
  const char* what;
  std::function<Node()> make;
  bool skinned;
};

const Later kLaterNodes[] = {
    {"a skinned mesh",
     [] {
       return skinnedStrip("CAM", {1, 1, 1}, {{0, 1}, {1, 1}, {0, 1}});
     },
     true},
    {"a dummy", [] { return sceneNode("Dummy", "cAm"); }, false},
    {"a plain mesh",
     [] {
       MeshRecipe recipe;
       recipe.name = "caM";
       recipe.vertices = {0, 0, 0, 1, 0, 0, 0, 1, 0};
       recipe.indices = {0, 1, 2};
       return meshNode(recipe);
     },
     false},
};

class NodeReplacementTest : public SceneDeviceTest {
protected:
  // A file with the bones in the room, and a skinned mesh "Cam" followed by `later` at `where`.
  std::string fileWith(Where where, const Later& later) {
    SceneFile file;
    file.children().addChild(sceneNode("bone", "Arm"));
    file.children().addChild(sceneNode("bone", "Hand", translation(0, 0, 5)));
    Node first = skinnedStrip("Cam", {1, 1, 1}, {{0, 1}, {1, 1}, {1, 1}});
    if (where == Where::Cameras) {
      file.cameras().addChild(std::move(first));
      file.cameras().addChild(later.make());
    } else if (where == Where::CameraDummyChildren) {
      Node dummy = sceneNode("Dummy", "Camera01");
      addSceneChild(*dummy, std::move(first));
      addSceneChild(*dummy, later.make());
      file.cameras().addChild(std::move(dummy));
    } else {
      file.children().addChild(std::move(first));
      Node shelf = sceneNode("Dummy", "Shelf");
      addSceneChild(*shelf, later.make());
      file.children().addChild(std::move(shelf));
    }
    return file.bytes();
  }

  void drawBothTrees() {
    RenderView view;
    TraversalContext context;
    context.flags = kTraverseNoCulling | kTraverseAtTime;
    EXPECT_TRUE(drawFrame(scene().cameraRoot(), view, context));
    EXPECT_TRUE(drawFrame(scene().root(), view, context));
    view.clear();
  }
};

TEST_F(NodeReplacementTest, TheLaterCameraNodeTakesOverAndOnlyLiveSkinnedMeshesAreKept) {
  for (Where where : {Where::Cameras, Where::CameraDummyChildren}) {
    for (const Later& later : kLaterNodes) {
      SCOPED_TRACE(std::string(where == Where::Cameras ? "in Cameras: " : "in a camera's Children: ") + later.what);
      scene_ = std::make_unique<Scene>();
      const std::string bytes = fileWith(where, later);
      ASSERT_TRUE(scene().load(FileLocation::memory(bytes.data(), std::uint32_t(bytes.size())), ""));
      SceneNode* parent = where == Where::Cameras ? &scene().cameraRoot() : scene().cameraRoot().findByName("Camera01");
      ASSERT_NE(parent, nullptr);
      ASSERT_EQ(parent->children().size(), 1u);
      SceneNode* survivor = parent->children().begin()->value.get();
      EXPECT_NE(survivor->name(), "Cam"); // the later node
      EXPECT_EQ(survivor->parent(), parent);
      if (later.skinned) {
        ASSERT_EQ(scene().skinnedMeshes().size(), 1u);
        EXPECT_EQ(static_cast<MeshInstance*>(scene().skinnedMeshes()[0]), survivor->geometry());
        EXPECT_FALSE(scene().skinnedMeshes()[0]->skin().bones.empty()); // bound to the room's bones
      } else {
        EXPECT_TRUE(scene().skinnedMeshes().empty());
      }
      drawBothTrees();
    }
  }
}

TEST_F(NodeReplacementTest, ALaterNamesakeInTheRoomReusesTheSkinnedMesh) {
  for (const Later& later : kLaterNodes) {
    SCOPED_TRACE(later.what);
    scene_ = std::make_unique<Scene>();
    const std::string bytes = fileWith(Where::RoomChildren, later);
    ASSERT_TRUE(scene().load(FileLocation::memory(bytes.data(), std::uint32_t(bytes.size())), ""));
    SceneNode* cam = scene().root().findByName("CAM");
    ASSERT_NE(cam, nullptr);
    EXPECT_EQ(cam->name(), "Cam");
    EXPECT_EQ(scene().root().findByName("Shelf")->children().size(), 0u);
    ASSERT_EQ(scene().skinnedMeshes().size(), 1u);
    EXPECT_EQ(static_cast<MeshInstance*>(scene().skinnedMeshes()[0]), cam->geometry());
    drawBothTrees();
  }
}

} // namespace
} // namespace engine
