// Tiles and tiled frames on the recording device: textures by region or rectangle, tile
// anchors, states and their tiles, and the quads tiles draw.
#include <gtest/gtest.h>

#include "engine/gui/GuiProps.h"
#include "engine/gui/TiledFrame.h"
#include "engine/resources/textures/TextureManager.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/render/PublishedRecordingDevice.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

namespace {

using namespace engine;

class TiledFrames : public rendertest::PublishedRecordingDevice {
protected:
  void SetUp() override {
    PublishedRecordingDevice::SetUp();
    folder_.write("skin.bmp", testsupport::solidBmp(64, 32, 0x000000));
    folder_.write("skin.ts", "FileName = \"skin.bmp\";"
                             "Subs[0].Id = \"knob\"; Subs[0].x1 = 32; Subs[0].y1 = 0; Subs[0].w = 16; Subs[0].h = 16;");
    textures_.searchPaths().add(FileLocation::disk(folder_.path().string()));
    publishTextureManager(&textures_);
    gui_.setScreenSize(400, 300);
    frame_ = static_cast<TiledFrame*>(gui_.addWindow(std::make_unique<TiledFrame>("frame")));
    frame_->show(true);
    frame_->setRect({20, 10, 100, 50});
  }
  void TearDown() override {
    gui_.removeWindow(frame_);
    publishTextureManager(nullptr);
    PublishedRecordingDevice::TearDown();
  }
  void load(std::string_view text) {
    auto tree = guitest::props(text);
    GuiProps props(*tree);
    frame_->load(props);
  }

  testsupport::TempDir folder_;
  TextureManager textures_;
  GuiManager gui_;
  TiledFrame* frame_ = nullptr;
};

TEST_F(TiledFrames, TilesTakeTexturesByRegionOrRectangleAndAnchorToEachOther) {
  load("Tiles.edge.texture = \"skin.bmp\"; Tiles.edge.texrect.x1 = 0; Tiles.edge.texrect.y1 = 0;"
       "Tiles.edge.texrect.w = 8; Tiles.edge.texrect.h = 32; Tiles.edge.width = 8;"
       "Tiles.edge.anchors.X1.tile = \"body\"; Tiles.edge.anchors.X1.align = \"X2\";"
       "Tiles.edge.anchors.Y1.tile = \"PARENT\"; Tiles.edge.anchors.Y1.align = \"Y1\";"
       "Tiles.edge.anchors.Y2.tile = \"PARENT\"; Tiles.edge.anchors.Y2.align = \"Y2\";"
       "Tiles.body.texture = \"skin.ts:knob\"; Tiles.body.texrect.x1 = 1; Tiles.body.texrect.x2 = 2;"
       "Tiles.body.tiledx = 3; Tiles.body.width = 40; Tiles.body.height = 20;"
       "Tiles.missing.texture = \"nowhere.bmp\";");
  TileWindow* body = frame_->tile("body");
  TileWindow* edge = frame_->tile("edge");
  ASSERT_TRUE(body && edge);
  // A region name wins over a rectangle.
  ASSERT_NE(body->texture(), nullptr);
  EXPECT_EQ(body->texture()->id(), "knob");
  EXPECT_EQ(body->texture()->rect(), (TextureRect{32, 0, 48, 16}));
  EXPECT_TRUE(body->tiledX());
  EXPECT_FALSE(body->tiledY());
  // "w" and "h" of a texture rectangle are its right and bottom edges.
  ASSERT_NE(edge->texture(), nullptr);
  EXPECT_EQ(edge->texture()->rect(), (TextureRect{0, 0, 8, 32}));
  EXPECT_EQ(frame_->tile("missing")->texture(), nullptr);
  // "edge" was read before "body" was defined: it follows it once it is.
  EXPECT_EQ(edge->rect(), (GuiRect{40, 0, 8, 50}));
  frame_->setRect({20, 10, 100, 80});
  EXPECT_EQ(edge->rect().height, 80);
  // No "States": one default state shows every tile.
  EXPECT_EQ(frame_->currentState(), "default");
  EXPECT_EQ(frame_->tilesOf("default")->size(), 3u);
  // Tiles are drawn by their frame only.
  EXPECT_FALSE(body->drawQueued());
  EXPECT_TRUE(frame_->drawQueued());
}

TEST_F(TiledFrames, StatesCombineSimpleStatesAndChooseTheTilesDrawn) {
  load("Tiles.plain.texture = \"skin.bmp\"; Tiles.plain.width = 10; Tiles.plain.height = 10;"
       "Tiles.lit.texture = \"skin.bmp\"; Tiles.lit.width = 10; Tiles.lit.height = 10;"
       "States.default.tiles = array(\"plain\");"
       "States.focused_pressed.tiles = array(\"lit\", \"plain\");"
       "States.focused.tiles = array(\"lit\");");
  EXPECT_EQ(*frame_->simpleStatesOf("focused_pressed"), (std::set<std::string, NoCaseLess>{"focused", "pressed"}));
  EXPECT_EQ(frame_->currentState(), "default");

  gui_.onInputEvent(guitest::pointerEvent(InputEventKind::PointerMoved, 30, 20, 0, 0));
  EXPECT_EQ(frame_->currentState(), "focused");
  frame_->states().emplace("Pressed");
  EXPECT_EQ(frame_->currentState(), "focused_pressed");
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  log_->clear();
  EXPECT_TRUE(gui_.draw(0));
  EXPECT_EQ(calls("DrawPrimitiveUP"), 2u);
  device_->EndScene();
  // Still queued: the frame is drawn again next frame.
  EXPECT_TRUE(frame_->drawQueued());
}

TEST_F(TiledFrames, TileQuadsAreClippedWithTheirTextureCoordinates) {
  load("Tiles.knob.texture = \"skin.ts:knob\"; Tiles.knob.width = 40; Tiles.knob.height = 16;"
       "Tiles.strip.texture = \"skin.bmp\"; Tiles.strip.width = 128; Tiles.strip.height = 32; Tiles.strip.tiledx = 1;");
  TileWindow* knob = frame_->tile("knob");
  // The frame cuts the knob's right half: the texture rectangle keeps its left half.
  knob->setRect({80, 0, 40, 16});
  TileVertex quad[6];
  ASSERT_TRUE(knob->vertices(quad));
  EXPECT_FLOAT_EQ(quad[0].x, 99.5f);
  EXPECT_FLOAT_EQ(quad[4].x, 119.5f);
  EXPECT_FLOAT_EQ(quad[0].y, 9.5f);
  EXPECT_FLOAT_EQ(quad[0].u, 0.5f);
  EXPECT_FLOAT_EQ(quad[4].u, 0.625f);
  EXPECT_FLOAT_EQ(quad[4].v, 0.5f);
  EXPECT_FLOAT_EQ(quad[0].z, gui_.layerDepth(knob->layer()));

  // A repeated axis runs the coordinates past 1: twice the texture's width.
  TileWindow* strip = frame_->tile("strip");
  strip->setRect({0, 0, 128, 32});
  ASSERT_TRUE(strip->vertices(quad));
  EXPECT_FLOAT_EQ(quad[0].u, 0.0f);
  EXPECT_FLOAT_EQ(quad[4].u, 100.0f / 64.0f); // clipped at the frame's right edge
  knob->setRect({200, 0, 40, 16});
  EXPECT_FALSE(knob->vertices(quad));

  const D3DMATRIX projection = pixelProjection(400, 300);
  EXPECT_FLOAT_EQ(projection._11, 1.0f / 200.0f);
  EXPECT_FLOAT_EQ(projection._22, -1.0f / 150.0f);
  EXPECT_FLOAT_EQ(projection._41, -1.0f);
  EXPECT_FLOAT_EQ(projection._42, 1.0f);
}

} // namespace
