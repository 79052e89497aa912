// Texture definition files through the texture store on the recording device: their keys,
// sub-textures at explicit rectangles and placed in the atlas (moving others within a
// budget), images drawn into the atlas, animations and their frame clock.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/core/Log.h"
#include "engine/data/MemoryStream.h"
#include "engine/data/props/PropsParser.h"
#include "engine/resources/textures/AtlasPlacement.h"
#include "engine/resources/textures/TextureAnimation.h"
#include "engine/resources/textures/TextureDefinition.h"
#include "engine/resources/textures/TextureManager.h"
#include "tests/render/PublishedRecordingDevice.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

namespace {

using namespace engine;

constexpr auto bmp = testsupport::solidBmp;

TextureDefinition definitionOf(std::string_view text) {
  MemoryStream stream;
  stream.openOver(text);
  PropsTree tree;
  EXPECT_TRUE(parseProps(stream, tree));
  return readTextureDefinition(tree);
}

TEST(TextureDefinitionKeys, DefaultsNamesAndColourKeys) {
  const TextureDefinition plain = definitionOf("Id = \"x\";");
  EXPECT_EQ(plain.width, D3DX_DEFAULT);
  EXPECT_EQ(plain.levels, 1u);
  EXPECT_EQ(plain.pool, D3DPOOL_MANAGED);
  EXPECT_EQ(plain.filter, D3DX_FILTER_LINEAR);
  EXPECT_EQ(plain.mipFilter, D3DX_FILTER_BOX);
  EXPECT_EQ(plain.sourceKind, 0u);
  EXPECT_FALSE(plain.delay);
  EXPECT_FALSE(plain.rect);

  const TextureDefinition full =
      definitionOf("FileName = \"a.png\"; Width = 64; Height = 32; Delay = 40; Usage = \"D3DUSAGE_DYNAMIC\";"
                   "Pool = \"D3DPOOL_SYSTEMMEM\"; Levels = 3; Format = \"D3DFMT_R5G6B5\";"
                   "ColorKey = array(255, 0, 255); Filter = \"D3DX_FILTER_SMOOTH\"; MipFilter = \"D3DX_FILTER_NONE\";");
  EXPECT_EQ(full.sourceKind, kSourceOwnedBytes);
  EXPECT_EQ(full.width, 64u);
  EXPECT_EQ(full.height, 32u);
  EXPECT_EQ(full.delay, 40u);
  EXPECT_EQ(full.usage, D3DUSAGE_DYNAMIC);
  EXPECT_EQ(full.pool, D3DPOOL_SYSTEMMEM);
  EXPECT_EQ(full.levels, 3u);
  EXPECT_EQ(full.format, D3DFMT_R5G6B5);
  EXPECT_EQ(full.colorKey, 0xFFFF00FFu);
  EXPECT_EQ(full.filter, D3DX_FILTER_LINEAR); // not one of the four names
  EXPECT_EQ(full.mipFilter, D3DX_FILTER_NONE);

  EXPECT_EQ(definitionOf("FileName = \"a\"; InitFlags = \"SAVE_NAME\";").sourceKind, kSourcePath);
  EXPECT_EQ(definitionOf("Width = 64;").width, D3DX_DEFAULT); // only both count
  EXPECT_EQ(definitionOf("ColorKey = 255;").colorKey, 255u);
}

TEST(TextureDefinitionKeys, RectanglesTakeEdgesOrSizes) {
  EXPECT_EQ(definitionOf("x1 = 4; y1 = 2; x2 = 30; y2 = 10;").rect, (TextureRect{4, 2, 30, 10}));
  EXPECT_EQ(definitionOf("x1 = 4; y1 = 2; w = 30; h = 10;").rect, (TextureRect{4, 2, 34, 12}));
  EXPECT_EQ(definitionOf("x1 = 4; y1 = 2; x2 = 30; h = 10;").rect, (TextureRect{4, 2, 30, 12}));
  EXPECT_FALSE(definitionOf("x1 = 4; y1 = 2; x2 = 30;").rect);
}

class TextureDefinitions : public rendertest::PublishedRecordingDevice {
protected:
  void TearDown() override {
    manager_.reset();
    PublishedRecordingDevice::TearDown();
  }
  TextureRef load(std::string_view name, std::string_view text) {
    TextureRequest request;
    request.location = FileLocation::disk(folder_.write(name, text).string());
    return manager_->get(request);
  }
  TextureRef sub(Texture& parent, std::string_view name, std::uint32_t flags = kMatchSubName) {
    TextureRequest request;
    request.flags = kStartFromTexture | flags;
    request.texture = &parent;
    request.subName = name;
    request.noCreate = true;
    return manager_->get(request);
  }
  static std::uint32_t texel(Texture& texture, int x, int y) {
    D3DLOCKED_RECT locked{};
    if (texture.d3dTexture()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) return 0;
    std::uint32_t value = 0;
    std::memcpy(&value, static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
    texture.d3dTexture()->UnlockRect(0);
    return value;
  }

  testsupport::TempDir folder_;
  std::unique_ptr<TextureManager> manager_ = std::make_unique<TextureManager>();
};

TEST_F(TextureDefinitions, SubTextureImagesAreDrawnIntoTheAtlasAndAgainAfterAReset) {
  folder_.write("ground.bmp", bmp(8, 4, 0x102030));
  folder_.write("gem.bmp", bmp(2, 2, 0xA0B0C0));
  TextureRef atlas = load("atlas.ts", "FileName = \"ground.bmp\"; Format = \"D3DFMT_A8R8G8B8\"; Delay = 70;"
                                      "Subs[0].Id = \"corner\"; Subs[0].x1 = 0; Subs[0].y1 = 0; Subs[0].w = 4;"
                                      "Subs[0].h = 4; Subs[0].Delay = 20;"
                                      "Subs[1].Id = \"gem\"; Subs[1].FileName = \"gem.bmp\";");
  ASSERT_TRUE(atlas);
  EXPECT_EQ(atlas->source(), kSourceOwnedBytes);
  EXPECT_EQ(atlas->filter(), D3DX_FILTER_LINEAR);
  ASSERT_EQ(atlas->subs().size(), 2u);
  TextureRef gem = sub(*atlas, "gem");
  ASSERT_TRUE(gem);
  // The first free spot of those that meet two corners: the parent's top-right corner.
  EXPECT_EQ(gem->rect(), (TextureRect{6, 0, 8, 2}));
  EXPECT_EQ(gem->delay(), 70u); // inherited
  EXPECT_EQ(sub(*atlas, "corner")->delay(), 20u);
  EXPECT_EQ(gem->d3dTexture(), atlas->d3dTexture());
  EXPECT_EQ(texel(*atlas, 6, 0), 0xFFA0B0C0u);
  EXPECT_EQ(texel(*atlas, 4, 0), 0xFF102030u);

  ASSERT_TRUE(manager_->invalidateDeviceObjects());
  ASSERT_TRUE(manager_->restoreDeviceObjects());
  EXPECT_EQ(texel(*atlas, 7, 1), 0xFFA0B0C0u);
  EXPECT_EQ(texel(*atlas, 0, 0), 0xFF102030u);
}

TEST_F(TextureDefinitions, PlacementMovesCoveredSubTexturesWithinItsBudget) {
  // "b" fits nowhere without covering "a"; "a" then moves to the free column beside it.
  TextureRef atlas =
      load("moves.ts", "Width = 4; Height = 4;"
                       "Subs[0].Id = \"a\"; Subs[0].x1 = 1; Subs[0].y1 = 1; Subs[0].w = 2; Subs[0].h = 2;"
                       "Subs[1].Id = \"b\"; Subs[1].Width = 2; Subs[1].Height = 4;");
  ASSERT_TRUE(atlas);
  EXPECT_EQ(atlas->source(), kSourceEmpty);
  ASSERT_EQ(atlas->subs().size(), 2u);
  EXPECT_EQ(atlas->subs()[0]->id(), "b");
  EXPECT_EQ(atlas->subs()[0]->rect(), (TextureRect{0, 0, 2, 4}));
  EXPECT_EQ(atlas->subs()[1]->id(), "a");
  EXPECT_EQ(atlas->subs()[1]->rect(), (TextureRect{2, 0, 4, 2}));
  for (const auto& placed : atlas->subs())
    EXPECT_EQ(placed->placement(), 0u);

  // Without a budget a move is refused; with one, a full atlas still refuses, and either way
  // nothing changes.
  auto tall = std::make_unique<Texture>();
  tall->setRect({0, 0, 2, 4});
  auto wide = std::make_unique<Texture>();
  wide->setRect({0, 0, 4, 2});
  // After the two above, "c" (2 x 2) still fits at the bottom right without moving anything.
  auto small = std::make_unique<Texture>();
  small->setRect({0, 0, 2, 2});
  AtlasPlacement placement(*atlas);
  EXPECT_TRUE(placement.place(small, 0));
  EXPECT_EQ(atlas->subs().back()->rect(), (TextureRect{2, 2, 4, 4}));
  EXPECT_FALSE(placement.place(tall, 0));
  EXPECT_FALSE(placement.place(wide, 3)); // nothing can move: the atlas is full
  ASSERT_TRUE(tall && wide);
  ASSERT_EQ(atlas->subs().size(), 3u);
  EXPECT_EQ(atlas->subs()[0]->rect(), (TextureRect{0, 0, 2, 4}));
  EXPECT_EQ(atlas->subs()[1]->rect(), (TextureRect{2, 0, 4, 2}));
  EXPECT_EQ(atlas->subs()[2]->rect(), (TextureRect{2, 2, 4, 4}));
}

TEST_F(TextureDefinitions, DefinitionsThatFailAreNotEntered) {
  LogCapture log;
  EXPECT_FALSE(load("full.ts", "Width = 4; Height = 2; Subs[0].Width = 2; Subs[0].Height = 2;"
                               "Subs[1].Width = 2; Subs[1].Height = 2; Subs[2].Id = \"third\"; Subs[2].Width = 2;"
                               "Subs[2].Height = 2;"));
  EXPECT_FALSE(load("noimage.ts", "FileName = \"missing.bmp\";"));
  EXPECT_FALSE(load("broken.ts", "include(\"broken.ts\");"));
  EXPECT_EQ(manager_->size(), 0u);
  EXPECT_TRUE(log.contains("Error: no room in the texture for the sub-texture 'third'\n"));
  EXPECT_TRUE(log.contains("Error: texture definition image missing.bmp not found\n"));
  EXPECT_TRUE(
      log.contains("Error: texture definition " + (folder_.path() / "broken.ts").string() + " cannot be read\n"));
}

class TextureAnimations : public TextureDefinitions {
protected:
  void SetUp() override {
    TextureDefinitions::SetUp();
    atlas_ = load("frames.ts", "Width = 4; Height = 4; Delay = 100;"
                               "Subs[0].Id = \"f1\"; Subs[0].x1 = 0; Subs[0].y1 = 0; Subs[0].x2 = 2; Subs[0].y2 = 2;"
                               "Subs[1].Id = \"f2\"; Subs[1].x1 = 2; Subs[1].y1 = 0; Subs[1].x2 = 4; Subs[1].y2 = 2;"
                               "Subs[1].Delay = 50;"
                               "Subs[2].Id = \"f3\"; Subs[2].x1 = 2; Subs[2].y1 = 2; Subs[2].x2 = 4; Subs[2].y2 = 4;"
                               "Animation.spin = array(\"f1\", \"f2\", \"f3\");"
                               "Animation.still = array(\"f1\");");
    ASSERT_TRUE(atlas_);
  }
  void TearDown() override {
    atlas_.reset();
    TextureDefinitions::TearDown();
  }
  TextureRef atlas_;
};

TEST_F(TextureAnimations, ARequestForAnAnimationGivesItsAnimatedImage) {
  TextureRef spin = sub(*atlas_, "spin");
  ASSERT_TRUE(spin);
  EXPECT_EQ(spin->animation(), "spin");
  EXPECT_EQ(spin->uvRect(), UvRect{});
  EXPECT_EQ(sub(*atlas_, "spin").get(), spin.get());
  EXPECT_EQ(sub(*atlas_, "Spin"), TextureRef{}); // animation names are case-sensitive
  EXPECT_TRUE(sub(*atlas_, "f2")->animation().empty());
  EXPECT_EQ(atlas_->subs().size(), 3u);
}

TEST_F(TextureAnimations, FramesFollowTheirDelaysAndWrapAround) {
  TextureRef spin = sub(*atlas_, "spin");
  TextureAnimationState state{"spin", "f1", 1000};
  auto frameAt = [&](std::int64_t now) {
    advanceAnimation(*spin, state, now);
    return state.frame;
  };
  EXPECT_EQ(frameAt(1000), "f1");
  EXPECT_EQ(frameAt(1001), "f2"); // f1 stayed 100 ms: until 1100
  EXPECT_EQ(frameAt(1150), "f3"); // f2 stays 50 ms
  EXPECT_EQ(frameAt(1200), "f1"); // after the last id the first follows
  EXPECT_EQ(state.deadlineMs, 1250);

  // The transform maps the whole texture onto the frame on screen.
  const D3DXMATRIX f1 = animationTransform(*spin, state, 1200);
  EXPECT_FLOAT_EQ(f1._11, 0.5f);
  EXPECT_FLOAT_EQ(f1._22, 0.5f);
  EXPECT_FLOAT_EQ(f1._31, 0.0f);
  state = {"spin", "f3", 0};
  const D3DXMATRIX third = animationTransform(*spin, state, 0);
  EXPECT_FLOAT_EQ(third._31, 0.5f);
  EXPECT_FLOAT_EQ(third._32, 0.5f);

  // A long pause lands where stepping frame by frame would.
  TextureAnimationState stepped{"spin", "f1", 0};
  const std::vector<std::string> ids{"f1", "f2", "f3"};
  const std::int64_t delays[] = {100, 50, 100};
  std::size_t index = 0;
  const std::int64_t later = 1234567;
  while (later > stepped.deadlineMs) {
    stepped.deadlineMs += delays[index];
    index = (index + 1) % 3;
  }
  TextureAnimationState jumped{"spin", "f1", 0};
  advanceAnimation(*spin, jumped, later);
  EXPECT_EQ(jumped.frame, ids[index]);
  EXPECT_EQ(jumped.deadlineMs, stepped.deadlineMs);

  // Unknown animations and frames keep the identity.
  TextureAnimationState unknown{"spin", "f9", 0};
  EXPECT_EQ(animationTransform(*spin, unknown, 5000), D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));
  EXPECT_EQ(unknown.frame, "f9");
}

TEST_F(TextureAnimations, FramesWithoutDelayDoNotStallTheClock) {
  TextureRef zero = load("zero.ts", "Width = 2; Height = 2; Delay = 0;"
                                    "Subs[0].Id = \"a\"; Subs[0].x1 = 0; Subs[0].y1 = 0; Subs[0].w = 1; Subs[0].h = 1;"
                                    "Subs[1].Id = \"b\"; Subs[1].x1 = 1; Subs[1].y1 = 0; Subs[1].w = 1; Subs[1].h = 1;"
                                    "Animation.blink = array(\"a\", \"b\");");
  ASSERT_TRUE(zero);
  TextureAnimationState state{"blink", "a", 0};
  EXPECT_TRUE(advanceAnimation(*zero, state, 1'000'000'000));
  EXPECT_EQ(state.deadlineMs, 1'000'000'000);
}

} // namespace
