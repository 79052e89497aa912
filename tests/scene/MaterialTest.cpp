// Materials from the scene file, the override keys of mesh nodes, and the device states
// the render settings set before a draw, in their exact order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "engine/core/Log.h"
#include "engine/resources/textures/Texture.h"
#include "engine/scene/MaterialReader.h"
#include "engine/scene/Scene.h"
#include "tests/scene/SceneDeviceTest.h"
#include "tests/scene/SceneFile.h"

namespace engine {
namespace {

using namespace scenetest;

std::string rs(D3DRENDERSTATETYPE state, DWORD value) {
  return "SetRenderState(" + std::to_string(state) + ", " + std::to_string(value) + ")";
}
std::string tss(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  return "SetTextureStageState(" + std::to_string(stage) + ", " + std::to_string(type) + ", " + std::to_string(value) +
         ")";
}
std::string tex(DWORD stage, std::uint64_t id) {
  return "SetTexture(" + std::to_string(stage) + ", " + std::to_string(id) + ")";
}

const float kTriangle[] = {0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1};

MeshRecipe litTriangle(std::string_view material) {
  MeshRecipe recipe;
  recipe.name = "Tri";
  recipe.material = material;
  recipe.fvf = D3DFVF_XYZ | D3DFVF_NORMAL;
  recipe.vertices.assign(std::begin(kTriangle), std::end(kTriangle));
  recipe.indices = {0, 1, 2};
  return recipe;
}

class MaterialTest : public SceneDeviceTest {
protected:
  // Loads the file and answers the render settings of the mesh "Tri".
  RenderSettings& meshSettings() {
    EXPECT_TRUE(scene().load(file_.location(), ""));
    SceneNode* node = scene().root().findByName("Tri");
    EXPECT_NE(node, nullptr);
    EXPECT_NE(node->geometry(), nullptr);
    return node->geometry()->settings();
  }
  std::uint64_t textureId(const RenderSettings& settings, int stage) {
    return log_->idOf(settings.stages[std::size_t(stage)].texture->d3dTexture());
  }

  SceneFile file_;
};

TEST_F(MaterialTest, DefaultsDrawTheDiffuseColourWithoutBlending) {
  file_.children().addChild(meshNode(litTriangle("")));
  RenderSettings& settings = meshSettings();
  EXPECT_FALSE(settings.usesAlpha());
  stateCache().invalidateAll();
  const std::size_t first = callCount();
  ASSERT_TRUE(settings.apply(D3DFVF_XYZ | D3DFVF_NORMAL));
  std::vector<std::string> states = statesSince(first);
  ASSERT_GE(states.size(), 4u);
  EXPECT_EQ(states[3].rfind("SetMaterial(", 0), 0u);
  states.erase(states.begin() + 3);
  EXPECT_EQ(states, (std::vector<std::string>{
                        rs(D3DRS_CULLMODE, D3DCULL_CCW), rs(D3DRS_ZFUNC, D3DCMP_LESSEQUAL), rs(D3DRS_ZWRITEENABLE, 1),
                        rs(D3DRS_ALPHATESTENABLE, 0), rs(D3DRS_ALPHABLENDENABLE, 0), rs(D3DRS_LIGHTING, 1),
                        rs(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL), tex(0, 0),
                        tss(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE), tss(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1),
                        tss(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE), tss(1, D3DTSS_COLOROP, D3DTOP_DISABLE)}));
  // Applied again, the cache keeps every call from the device.
  const std::size_t second = callCount();
  ASSERT_TRUE(settings.apply(D3DFVF_XYZ | D3DFVF_NORMAL));
  EXPECT_TRUE(statesSince(second).empty());
}

TEST_F(MaterialTest, LightMapAndChromeSubMaterialsBecomeStagesOneAndTwo) {
  Node material = list("Material", "Wood");
  Node subs = list("Material", "Materials");
  subs->addChild(subMaterial("Wood Base", 0, "wood.bmp"));
  subs->addChild(subMaterial("Wood LightMap", 1, "light.bmp"));
  subs->addChild(subMaterial("Chrome", 2));
  subs->addChild(subMaterial("Beyond", 9, "light.bmp")); // read, not placed
  material->addChild(std::move(subs));
  file_.materials().addChild(std::move(material));
  file_.children().addChild(meshNode(litTriangle("Wood")));
  RenderSettings& s = meshSettings();
  ASSERT_TRUE(s.stages[0].texture);
  EXPECT_EQ(s.stages[0].colorOp, kAutomaticOp);
  EXPECT_EQ(s.stages[1].colorOp, DWORD(D3DTOP_MODULATE2X));
  EXPECT_EQ(s.stages[1].colorArg1, D3DTA_CURRENT);
  EXPECT_EQ(s.stages[1].colorArg2, D3DTA_TEXTURE);
  EXPECT_EQ(s.stages[1].texCoordIndex, 1u);
  EXPECT_EQ(s.stages[2].colorOp, DWORD(D3DTOP_ADD));
  EXPECT_EQ(s.stages[2].colorArg2, D3DTA_DIFFUSE); // no texture on the chrome stage
  EXPECT_EQ(s.stages[2].texCoordIndex, 2u | D3DTSS_TCI_SPHEREMAP);
  EXPECT_EQ(s.stages[3].colorOp, DWORD(D3DTOP_DISABLE));

  // Drawn: stage 1 multiplies the light map in with its own coordinates.
  stateCache().invalidateAll();
  const std::size_t first = callCount();
  ASSERT_TRUE(s.apply(D3DFVF_XYZ | D3DFVF_NORMAL | 0x200));
  const std::vector<std::string> states = statesSince(first);
  auto has = [&](const std::string& call) { return std::find(states.begin(), states.end(), call) != states.end(); };
  EXPECT_TRUE(has(tex(1, textureId(s, 1))));
  EXPECT_TRUE(has(tss(1, D3DTSS_TEXCOORDINDEX, 1)));
  EXPECT_TRUE(has(tss(1, D3DTSS_COLOROP, D3DTOP_MODULATE2X)));
  EXPECT_TRUE(has(tss(2, D3DTSS_COLOROP, D3DTOP_ADD)));
  EXPECT_TRUE(has(tss(3, D3DTSS_COLOROP, D3DTOP_DISABLE)));
  EXPECT_FALSE(has(tss(4, D3DTSS_COLOROP, D3DTOP_DISABLE))); // the cascade ended at stage 3
}

TEST_F(MaterialTest, ASubTexturesCoordinateTransformReachesTheDevice) {
  TextureRequest request;
  request.location = FileLocation::disk("wood.bmp");
  request.flags = kMatchSubRect;
  request.subRect = {1, 2, 3, 4}; // of the 4 x 4 picture
  RenderSettings settings;
  settings.stages[1].texture = textures_->get(request);
  ASSERT_TRUE(settings.stages[1].texture);
  settings.stages[1].colorOp = D3DTOP_MODULATE;
  settings.stages[1].colorArg1 = D3DTA_TEXTURE;
  settings.stages[1].colorArg2 = D3DTA_CURRENT;
  TextureRequest whole;
  whole.location = FileLocation::disk("light.bmp");
  settings.stages[0].texture = textures_->get(whole);
  stateCache().invalidateAll();
  const std::size_t first = callCount();
  ASSERT_TRUE(settings.apply(D3DFVF_XYZ | D3DFVF_TEX2));
  const std::vector<std::string> calls = callsSince(first);
  auto has = [&](const std::string& call) { return std::find(calls.begin(), calls.end(), call) != calls.end(); };
  EXPECT_TRUE(has(tss(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2)));
  EXPECT_TRUE(has(tss(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE))); // a whole picture needs none
  const auto transforms = log_->named("SetTransform");
  ASSERT_EQ(transforms.size(), 1u);
  EXPECT_EQ(transforms[0].args, std::vector<std::uint64_t>{D3DTS_TEXTURE1});
  // u' = 0.5 u + 0.25, v' = 0.5 v + 0.5
  const std::vector<float> expected{0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0.25f, 0.5f, 1, 0, 0, 0, 0, 1};
  EXPECT_EQ(transforms[0].floats, expected);
}

TEST_F(MaterialTest, SubMaterialNamesChooseTheFirstRuleThatMatches) {
  StageSettings stage;
  applySubMaterialName("Rust Modulate2X AddSigned", stage);
  EXPECT_EQ(stage.colorOp, DWORD(D3DTOP_MODULATE2X));
  StageSettings modulate;
  applySubMaterialName("Dust Modulate", modulate);
  EXPECT_EQ(modulate.colorOp, DWORD(D3DTOP_MODULATE));
  StageSettings signedAdd;
  applySubMaterialName("Glow AddSigned", signedAdd);
  EXPECT_EQ(signedAdd.colorOp, DWORD(D3DTOP_ADDSIGNED));
  StageSettings add;
  applySubMaterialName("Glow Add", add);
  EXPECT_EQ(add.colorOp, DWORD(D3DTOP_ADD));
  StageSettings plain;
  plain.colorOp = D3DTOP_SUBTRACT;
  applySubMaterialName("lightmap", plain); // names are compared with their case
  EXPECT_EQ(plain.colorOp, DWORD(D3DTOP_SUBTRACT));
  EXPECT_EQ(plain.colorArg1, D3DTA_TEXTURE);
}

TEST_F(MaterialTest, ColoursShareOneScratchAndTwoSidedIsAboutPresence) {
  Node material = list("Material", "Paint");
  material->addChild(colorLeaf("Ambient", {0.5f, 0.1f, 0.2f, 0.3f}));
  material->addChild(colorLeaf("Diffuse", {0.9f, 0.8f})); // alpha and red only
  material->addChild(intLeaf("TwoSided", 0));
  material->addChild(floatLeaf("Opacity", 0.25f));
  file_.materials().addChild(std::move(material));
  file_.materials().addChild(list("Material", "Plain"));
  file_.children().addChild(meshNode(litTriangle("Paint")));
  RenderSettings& s = meshSettings();
  EXPECT_EQ(s.material.Ambient.a, 0.5f);
  EXPECT_EQ(s.material.Ambient.r, 0.1f);
  EXPECT_EQ(s.material.Diffuse.a, 0.9f);
  EXPECT_EQ(s.material.Diffuse.r, 0.8f);
  EXPECT_EQ(s.material.Diffuse.g, 0.2f); // left in the scratch by "Ambient"
  EXPECT_EQ(s.material.Diffuse.b, 0.3f);
  EXPECT_EQ(s.material.Specular.r, 0.0f);
  EXPECT_EQ(s.cullMode, DWORD(D3DCULL_NONE));
  EXPECT_EQ(s.alphaFactor, 0.25f);
  Material* plain = scene().findMaterial("Plain");
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->settings.cullMode, DWORD(D3DCULL_CCW));
  EXPECT_EQ(scene().findMaterial("plain"), nullptr); // material names keep their case
}

TEST_F(MaterialTest, ATextureWithoutFileNameEndsTheMaterialButKeepsIt) {
  Node material = list("Material", "Half");
  material->addChild(floatLeaf("Opacity", 0.5f));
  material->addChild(texturesOf("Diffuse", ""));
  file_.materials().addChild(std::move(material));
  Node other = list("Material", "Mirror");
  other->addChild(texturesOf("Diffuse", "wood.bmp", "Mirror"));
  file_.materials().addChild(std::move(other));
  Node bump = list("Material", "Bumpy");
  bump->addChild(texturesOf("Bump", "wood.bmp"));
  file_.materials().addChild(std::move(bump));
  ASSERT_TRUE(scene().load(file_.location(), ""));
  ASSERT_NE(scene().findMaterial("Half"), nullptr);
  EXPECT_EQ(scene().findMaterial("Half")->settings.alphaFactor, 0.5f);
  const StageSettings& mirror = scene().findMaterial("Mirror")->settings.stages[0];
  ASSERT_TRUE(mirror.texture);
  EXPECT_EQ(mirror.addressU, DWORD(D3DTADDRESS_MIRROR));
  EXPECT_EQ(mirror.addressV, DWORD(D3DTADDRESS_WRAP));
  EXPECT_FALSE(scene().findMaterial("Bumpy")->settings.stages[0].texture); // only diffuse maps are used
}

TEST_F(MaterialTest, AlphaFactorOfAHalfTestsBlendsAndWritesTheFactor) {
  MeshRecipe recipe = litTriangle("");
  Node mesh = meshNode(recipe);
  mesh->addChild(stringLeaf("AlphaUse", "factor"));
  mesh->addChild(floatLeaf("Alpha", 0.5f));
  file_.children().addChild(std::move(mesh));
  RenderSettings& s = meshSettings();
  EXPECT_EQ(s.stages[0].alphaOp, DWORD(D3DTOP_SELECTARG1));
  EXPECT_EQ(s.stages[0].alphaArg1, D3DTA_TFACTOR);
  ASSERT_TRUE(s.usesAlpha());
  ASSERT_TRUE(s.usesFactor(true, false));
  stateCache().invalidateAll();
  const std::size_t first = callCount();
  ASSERT_TRUE(s.apply(D3DFVF_XYZ | D3DFVF_NORMAL));
  std::vector<std::string> calls = callsSince(first);
  calls.erase(calls.begin() + 3); // the material
  const std::vector<std::string> expected{rs(D3DRS_CULLMODE, D3DCULL_CCW),
                                          rs(D3DRS_ZFUNC, D3DCMP_LESSEQUAL),
                                          rs(D3DRS_ZWRITEENABLE, 1),
                                          rs(D3DRS_ALPHAREF, 1),
                                          rs(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL),
                                          rs(D3DRS_ALPHATESTENABLE, 1),
                                          rs(D3DRS_ALPHABLENDENABLE, 1),
                                          rs(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA),
                                          rs(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA),
                                          "GetRenderState(" + std::to_string(D3DRS_TEXTUREFACTOR) + ")",
                                          rs(D3DRS_TEXTUREFACTOR, 0x7FFFFFFF),
                                          rs(D3DRS_LIGHTING, 1),
                                          rs(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL),
                                          tex(0, 0),
                                          tss(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE),
                                          tss(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1),
                                          tss(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1),
                                          tss(0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR),
                                          tss(1, D3DTSS_COLOROP, D3DTOP_DISABLE)};
  EXPECT_EQ(calls, expected);
}

TEST_F(MaterialTest, FactorsOutsideZeroToOneAreHeldToTheAlphaByte) {
  for (const auto& [factor, alpha] : {std::pair{2.0f, 0xFFu}, std::pair{-1.0f, 0u}, std::pair{std::nanf(""), 0u}}) {
    RenderSettings settings;
    settings.setAlphaSource(kAlphaFactor);
    settings.alphaFactor = factor;
    ASSERT_EQ(device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0x80123456), D3D_OK);
    stateCache().invalidateAll();
    ASSERT_TRUE(settings.apply(D3DFVF_XYZ));
    DWORD held = 0;
    ASSERT_EQ(device_->GetRenderState(D3DRS_TEXTUREFACTOR, &held), D3D_OK);
    EXPECT_EQ(held, (alpha << 24) | 0x00123456u) << factor; // the colour bytes stay
  }
}

TEST_F(MaterialTest, OpacityAloneSelectsTheFactorButNeitherTestsNorBlends) {
  Node material = list("Material", "Veil");
  material->addChild(floatLeaf("Opacity", 0.5f));
  material->addChild(texturesOf("Diffuse", "wood.bmp"));
  file_.materials().addChild(std::move(material));
  file_.children().addChild(meshNode(litTriangle("Veil")));
  RenderSettings& s = meshSettings();
  ASSERT_TRUE(s.stages[0].texture);
  EXPECT_FALSE(s.stages[0].texture->hasAlpha());
  EXPECT_FALSE(s.usesAlpha());
  EXPECT_FALSE(s.usesFactor(true, true));
  stateCache().invalidateAll();
  const std::size_t first = callCount();
  ASSERT_TRUE(s.apply(D3DFVF_XYZ | D3DFVF_NORMAL));
  const std::vector<std::string> states = statesSince(first);
  auto has = [&](const std::string& call) { return std::find(states.begin(), states.end(), call) != states.end(); };
  EXPECT_TRUE(has(rs(D3DRS_ALPHATESTENABLE, 0)));
  EXPECT_TRUE(has(rs(D3DRS_ALPHABLENDENABLE, 0)));
  EXPECT_EQ(log_->count("GetRenderState"), 0u);
  EXPECT_TRUE(has(tss(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1)));
  EXPECT_TRUE(has(tss(0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR)));
  EXPECT_TRUE(has(tss(0, D3DTSS_COLOROP, D3DTOP_MODULATE))); // lit: texture x diffuse
}

TEST_F(MaterialTest, AlphaUseWordsChooseOneSource) {
  struct Case {
    const char* words;
    DWORD op, arg1, arg2;
  };
  const Case cases[] = {
      {"factor texture diffuse", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_TFACTOR},
      {"FACTOR, Diffuse", D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTA_TFACTOR},
      {"diffuse texture", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE},
      {"diffuse", D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE},
      {"texture", D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE},
      {"nonsense", kAutomaticOp, D3DTA_TEXTURE, D3DTA_DIFFUSE},
  };
  for (const Case& c : cases) {
    RenderSettings settings;
    BufferDesc v, i;
    Node mesh = list("Mesh", "m");
    mesh->addChild(stringLeaf("AlphaUse", c.words));
    applyMeshOverrides(*mesh, settings, v, i, 1);
    EXPECT_EQ(settings.stages[0].alphaOp, c.op) << c.words;
    EXPECT_EQ(settings.stages[0].alphaArg1, c.arg1) << c.words;
    EXPECT_EQ(settings.stages[0].alphaArg2, c.arg2) << c.words;
  }
}

TEST_F(MaterialTest, OverrideKeysOfAMeshNode) {
  RenderSettings settings;
  MeshGeometry geometry(std::string(40 * 3, '\0'), 3, D3DFVF_XYZ | D3DFVF_NORMAL | 0x300, std::string(6, '\0'), 3, 2);
  BufferDesc v = BufferDesc::forVertices(geometry, false), i = BufferDesc::forIndices(geometry);
  Node mesh = list("Mesh", "m");
  mesh->addChild(stringLeaf("Usage", "dynamic ib_writeonly"));
  mesh->addChild(stringLeaf("Blend", "additive"));
  mesh->addChild(stringLeaf("MinFilter", "point"));
  mesh->addChild(stringLeaf("MagFilter", "anisotropic"));
  mesh->addChild(stringLeaf("MipFilter", "Point")); // words other than these keep their case
  mesh->addChild(stringLeaf("TexAddrU", "mirror"));
  mesh->addChild(stringLeaf("TexAddrV", "clamp"));
  mesh->addChild(stringLeaf("VertexAlign32", "1"));
  applyMeshOverrides(*mesh, settings, v, i, 3);
  EXPECT_EQ(v.usage, DWORD(D3DUSAGE_DYNAMIC));
  EXPECT_EQ(i.usage, DWORD(D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY));
  EXPECT_EQ(settings.blend, kBlendAdditive);
  EXPECT_EQ(settings.stages[0].minFilter, DWORD(D3DTEXF_POINT));
  EXPECT_EQ(settings.stages[0].magFilter, DWORD(D3DTEXF_ANISOTROPIC));
  EXPECT_EQ(settings.stages[0].mipFilter, DWORD(D3DTEXF_LINEAR));
  EXPECT_EQ(settings.stages[0].addressU, DWORD(D3DTADDRESS_MIRROR));
  EXPECT_EQ(settings.stages[0].addressV, DWORD(D3DTADDRESS_WRAP));
  EXPECT_EQ(v.stride, 64u);
  EXPECT_EQ(v.size, 3u * 64u);
}

TEST_F(MaterialTest, TheLitSwitchOfAMeshIsTheInteger1OrTheText1) {
  struct Case {
    const char* mesh;
    Node lit;
    bool expected;
  };
  Case cases[] = {
      {"Int1", intLeaf("Lit", 1), true},        {"Int0", intLeaf("Lit", 0), false},
      {"Int2", intLeaf("Lit", 2), false},       {"Text1", stringLeaf("Lit", "1"), true},
      {"Text0", stringLeaf("Lit", "0"), false}, {"TextYes", stringLeaf("Lit", "yes"), false},
      {"AList", list("Node", "Lit"), true},     {"Absent", nullptr, true},
  };
  for (Case& c : cases) {
    MeshRecipe recipe = litTriangle("");
    recipe.name = c.mesh;
    Node node = meshNode(recipe);
    if (c.lit) node->addChild(std::move(c.lit));
    file_.children().addChild(std::move(node));
  }
  ASSERT_TRUE(scene().load(file_.location(), ""));
  for (const Case& c : cases) {
    SceneNode* node = scene().root().findByName(c.mesh);
    ASSERT_TRUE(node && node->geometry()) << c.mesh;
    EXPECT_EQ(node->geometry()->settings().lit, c.expected) << c.mesh;
  }
}

TEST_F(MaterialTest, AdditiveBlendingWithoutAlphaStillBlends) {
  RenderSettings settings;
  settings.blend = kBlendAdditive;
  stateCache().invalidateAll();
  const std::size_t first = callCount();
  ASSERT_TRUE(settings.apply(D3DFVF_XYZ));
  const std::vector<std::string> states = statesSince(first);
  const std::vector<std::string> blending{
      rs(D3DRS_ALPHATESTENABLE, 0),      rs(D3DRS_ALPHABLENDENABLE, 1), rs(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA),
      rs(D3DRS_DESTBLEND, D3DBLEND_ONE), rs(D3DRS_LIGHTING, 0),         rs(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1)};
  EXPECT_TRUE(std::search(states.begin(), states.end(), blending.begin(), blending.end()) != states.end());
}

TEST_F(MaterialTest, TexturesWithAlphaAreDrawnWithTheirAlpha) {
  Node material = list("Material", "Leaf");
  material->addChild(texturesOf("Diffuse", "leaf.tga"));
  file_.materials().addChild(std::move(material));
  file_.children().addChild(meshNode(litTriangle("Leaf")));
  RenderSettings& s = meshSettings();
  ASSERT_TRUE(s.stages[0].texture);
  EXPECT_TRUE(s.usesAlpha());
  s.alphaFactor = 0.5f;
  stateCache().invalidateAll();
  const std::size_t first = callCount();
  ASSERT_TRUE(s.apply(D3DFVF_XYZ));
  const std::vector<std::string> states = statesSince(first);
  const std::vector<std::string> alpha{tss(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE), tss(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE),
                                       tss(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR)};
  EXPECT_TRUE(std::search(states.begin(), states.end(), alpha.begin(), alpha.end()) != states.end());
  // Unlit without vertex colours, the texture stands alone.
  EXPECT_NE(std::find(states.begin(), states.end(), tss(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1)), states.end());
}

TEST_F(MaterialTest, WithoutADeviceApplyFails) {
  RenderSettings settings;
  publishDevice(nullptr);
  EXPECT_FALSE(settings.apply(D3DFVF_XYZ));
  publishDevice(device_);
}

} // namespace
} // namespace engine
