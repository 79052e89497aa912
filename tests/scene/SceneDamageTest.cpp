// Damaged scene files: every variant either loads or fails with a log line, and whatever
// loaded traverses and draws without reading outside its data (the sanitizer build
// watches every access).
#include <gtest/gtest.h>

#include <random>

#include "engine/core/Log.h"
#include "engine/render/RenderView.h"
#include "engine/scene/Scene.h"
#include "tests/scene/SceneDeviceTest.h"
#include "tests/scene/SceneFile.h"

namespace engine {
namespace {

using namespace scenetest;

// A file with a bit of everything the loader reads.
std::string fullScene() {
  SceneFile file;
  Node material = list("Material", "Wood");
  Node subs = list("Material", "Materials");
  Node base = list("Material", "Wood Base");
  base->addChild(intLeaf("MaterialSubId", 0));
  base->addChild(colorLeaf("Diffuse", {1, 0.5f, 0.4f, 0.3f}));
  subs->addChild(std::move(base));
  Node light = list("Material", "Wood LightMap");
  light->addChild(intLeaf("MaterialSubId", 1));
  subs->addChild(std::move(light));
  material->addChild(std::move(subs));
  file.materials().addChild(std::move(material));
  Node lamp = sceneNode("PointLight", "Lamp", translation(0, 0, 5));
  lamp->addChild(floatLeaf("AttEnd", 50));
  file.lights().addChild(std::move(lamp));

  MeshRecipe recipe;
  recipe.name = "Board";
  recipe.material = "Wood";
  recipe.fvf = D3DFVF_XYZ | D3DFVF_NORMAL | 0x300;
  for (int v = 0; v < 4; ++v)
    recipe.vertices.insert(recipe.vertices.end(), {float(v), 1, 0, 0, 0, 1, 0, 0, 1, 1});
  recipe.indices = {0, 1, 2, 0, 2, 3};
  Node board = meshNode(recipe);
  Node animation = list("Animation", "Animation");
  Node rotation = list("TCB", "Rotation");
  rotation->addChild(keyLeaf("0", 0, {0, 0, 0, 1, 0, 0, 0}));
  rotation->addChild(keyLeaf("1", 1, {0, 0.7f, 0, 0.7f, 0, 0, 0}));
  rotation->addChild(keyLeaf("2", 2, {0, 1, 0, 0, 0, 0, 0}));
  animation->addChild(std::move(rotation));
  board->addChild(std::move(animation));
  addSceneChild(*board, sceneNode("bone", "Joint", translation(1, 0, 0)));
  file.children().addChild(std::move(board));

  recipe.name = "Skin";
  recipe.fvf = D3DFVF_XYZ;
  recipe.vertices = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  recipe.indices = {0, 1, 2};
  Node skin = meshNode(recipe);
  Node bones = list("Node", "BoneNames");
  bones->addChild(stringLeaf("0", "Joint"));
  skin->addChild(std::move(bones));
  const std::uint32_t counts[3] = {1, 1, 0};
  skin->addChild(bytesLeaf("", "VertBoneNums", counts, sizeof counts));
  const float weights[4] = {0, 1, 0, 1};
  skin->addChild(bytesLeaf("", "BoneWeights", weights, sizeof weights));
  file.children().addChild(std::move(skin));
  return file.bytes();
}

class SceneDamageTest : public SceneDeviceTest {
protected:
  // Loads the bytes into a fresh scene and draws it once; answers whether it loaded.
  bool loadAndDraw(const std::string& bytes) {
    scene_ = std::make_unique<Scene>();
    LogCapture log;
    const bool loaded = scene().load(FileLocation::memory(bytes.data(), std::uint32_t(bytes.size())), "");
    EXPECT_TRUE(loaded || !log.lines().empty()) << "a load failed without saying why";
    RenderView view;
    view.setLights(&scene().lights());
    TraversalContext context;
    context.flags = kTraverseNoCulling | kTraverseAtTime;
    context.time = 0.75;
    drawFrame(scene().root(), view, context);
    view.clear();
    return loaded;
  }
};

TEST_F(SceneDamageTest, EveryDamagedVariantLoadsOrSaysWhyAndDrawsSafely) {
  const std::string good = fullScene();
  ASSERT_TRUE(loadAndDraw(good));
  EXPECT_NE(scene().root().findByName("Skin")->geometry(), nullptr);
  std::mt19937 random(20240607);
  int failed = 0;
  for (int round = 0; round < 400; ++round) {
    std::string bytes = good;
    if (round % 10 == 0) {
      bytes.resize(random() % bytes.size()); // cut short
    } else {
      const int flips = 1 + int(random() % 8);
      for (int f = 0; f < flips; ++f)
        bytes[random() % bytes.size()] = char(random() & 0xFF);
    }
    if (!loadAndDraw(bytes)) ++failed;
  }
  EXPECT_GT(failed, 0); // the damage was noticed at least sometimes
}

} // namespace
} // namespace engine
