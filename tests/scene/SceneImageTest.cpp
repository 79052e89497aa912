// Scenes drawn on the OpenGL back end: a light-mapped multi-material quad in its expected
// colours, and an animated node in its pose at two times. Each runs with the engine's
// state cache and with every state forced; both must give the same pixels.
#include <gtest/gtest.h>

#include <memory>

#include "engine/render/DevicePointer.h"
#include "engine/render/RenderView.h"
#include "engine/render/StateCache.h"
#include "engine/resources/textures/TextureManager.h"
#include "engine/scene/Scene.h"
#include "tests/scene/SceneDeviceTest.h"
#include "tests/scene/SceneFile.h"
#include "tests/support/GlTestDevice.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

namespace engine {
namespace {

using namespace scenetest;
using testsupport::Rgba;

// A 4 x 4 picture whose left two columns are `left` and right two `right` (0xRRGGBB).
std::string halves(std::uint32_t left, std::uint32_t right) {
  d3dx9::Image image = testsupport::solidImage(4, 4, 0xFF000000u | left);
  for (UINT y = 0; y < 4; ++y)
    for (UINT x = 2; x < 4; ++x)
      image.at(x, y) = 0xFF000000u | right;
  return testsupport::bmpBytes(image);
}

// A quad facing a camera that looks along +Z: x and y from -5 to 5 at z = 0, both
// coordinate pairs spanning the picture (u to the right, v down).
MeshRecipe facingQuad(std::string_view name, std::string_view material) {
  MeshRecipe recipe;
  recipe.name = name;
  recipe.material = material;
  recipe.fvf = D3DFVF_XYZ | D3DFVF_NORMAL | 0x300;
  const float corners[4][2] = {{-5, -5}, {-5, 5}, {5, 5}, {5, -5}};
  for (const auto& c : corners) {
    const float u = (c[0] + 5) / 10, v = (5 - c[1]) / 10;
    recipe.vertices.insert(recipe.vertices.end(), {c[0], c[1], 0, 0, 0, -1, u, v, u, v});
  }
  recipe.indices = {0, 1, 2, 0, 2, 3};
  return recipe;
}

class SceneImageTest : public ::testing::TestWithParam<bool> {
protected:
  void SetUp() override {
    OPEN_GL_DEVICE_OR_SKIP(gl_, testsupport::PresentParameters{});
    publishDevice(gl_.device());
    stateCache().setForceAll(!GetParam());
    textures_ = std::make_unique<TextureManager>();
    textures_->searchPaths().add(FileLocation::disk(media_.path().string()));
    publishTextureManager(textures_.get());
    scene_ = std::make_unique<Scene>();
    view_.setProjection(1.0f, 100.0f, D3DX_PI / 2, 4.0f / 3.0f);
    view_.setView(D3DXVECTOR3(0, 0, -10), D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 1, 0));
  }
  void TearDown() override {
    view_.clear();
    scene_.reset();
    publishTextureManager(nullptr);
    textures_.reset();
    stateCache().setForceAll(false);
    publishDevice(nullptr);
  }

  // Draws the scene through the render view as the clock room does and reads it back.
  void draw(const double* atSeconds = nullptr) {
    IDirect3DDevice9* device = gl_.device();
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 255), 1.0f, 0), D3D_OK);
    ASSERT_TRUE(view_.applyCamera());
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    stateCache().setRenderState(D3DRS_ZENABLE, TRUE);
    stateCache().setRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    TraversalContext context;
    if (atSeconds) {
      context.flags = kTraverseAtTime;
      context.time = *atSeconds;
    }
    ASSERT_TRUE(drawFrame(scene_->root(), view_, context));
    ASSERT_EQ(device->EndScene(), D3D_OK);
    ASSERT_TRUE(gl_.presentAndRead());
  }

  testsupport::GlTestDevice gl_;
  testsupport::TempDir media_;
  std::unique_ptr<TextureManager> textures_;
  std::unique_ptr<Scene> scene_;
  RenderView view_;
};

TEST_P(SceneImageTest, ALightMappedMultiMaterialShowsBaseTimesTwiceTheLightMap) {
  media_.write("base.bmp", testsupport::solidBmp(4, 4, 0x804020));
  // Left half at 0x40 (a quarter of "full light"), right half at 0x80 (full light).
  media_.write("lightmap.bmp", halves(0x404040, 0x808080));
  SceneFile file;
  Node material = list("Material", "Wall");
  Node subs = list("Material", "Materials");
  subs->addChild(subMaterial("Wall Base", 0, "base.bmp"));
  subs->addChild(subMaterial("Wall LightMap", 1, "lightmap.bmp"));
  material->addChild(std::move(subs));
  file.materials().addChild(std::move(material));
  file.children().addChild(meshNode(facingQuad("Wall", "Wall")));
  ASSERT_TRUE(scene_->load(file.location(), ""));
  draw();
  // The quad covers pixels 50..110 by 30..90; a quarter in from each side lies in one half.
  EXPECT_TRUE(testsupport::colorNear(gl_.pixel(65, 60), Rgba{64, 32, 16, 255}, 3));
  EXPECT_TRUE(testsupport::colorNear(gl_.pixel(95, 60), Rgba{128, 64, 32, 255}, 3));
  EXPECT_TRUE(testsupport::colorNear(gl_.pixel(20, 60), Rgba{0, 0, 255, 255}, 0)); // the background
  EXPECT_TRUE(testsupport::colorNear(gl_.pixel(80, 20), Rgba{0, 0, 255, 255}, 0));
}

TEST_P(SceneImageTest, AnAnimatedNodeStandsWhereItsKeysPutItAtEachTime) {
  media_.write("red.bmp", testsupport::solidBmp(4, 4, 0xFF0000));
  SceneFile file;
  Node material = list("Material", "Red");
  material->addChild(texturesOf("Diffuse", "red.bmp"));
  file.materials().addChild(std::move(material));
  MeshRecipe recipe = facingQuad("Slider", "Red");
  // A quad of 2 x 2 units instead: scale the corners down.
  for (std::size_t v = 0; v < recipe.vertices.size(); v += 10) {
    recipe.vertices[v] /= 5;
    recipe.vertices[v + 1] /= 5;
  }
  Node node = meshNode(recipe);
  Node animation = list("Animation", "Animation");
  Node position = list("Linear", "Position");
  position->addChild(keyLeaf("0", 0.0f, {-8, 0, 0, 0, 0, 0, 0}));
  position->addChild(keyLeaf("1", 2.0f, {8, 0, 0, 0, 0, 0, 0}));
  animation->addChild(std::move(position));
  node->addChild(std::move(animation));
  file.children().addChild(std::move(node));
  ASSERT_TRUE(scene_->load(file.location(), ""));

  // At 0.5 s the quad is at x = -4: screen x = 80 + 80 * (-4 / 10) / (4 / 3) = 56.
  const double early = 0.5;
  draw(&early);
  EXPECT_TRUE(testsupport::colorNear(gl_.pixel(56, 60), Rgba{255, 0, 0, 255}, 2));
  EXPECT_TRUE(testsupport::colorNear(gl_.pixel(104, 60), Rgba{0, 0, 255, 255}, 0));
  // At 1.5 s it is at x = +4: screen x = 104.
  const double late = 1.5;
  draw(&late);
  EXPECT_TRUE(testsupport::colorNear(gl_.pixel(104, 60), Rgba{255, 0, 0, 255}, 2));
  EXPECT_TRUE(testsupport::colorNear(gl_.pixel(56, 60), Rgba{0, 0, 255, 255}, 0));
  // The red pixels number one quad's worth both times (12 x 12 pixels).
  EXPECT_NEAR(gl_.count(Rgba{255, 0, 0, 255}, 2), 144, 30);
}

INSTANTIATE_TEST_SUITE_P(StateCache, SceneImageTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Cached" : "Forced"; });

} // namespace
} // namespace engine
