// The window tree without a device: anchors and the two-axis layout, change propagation,
// size limits, clip rectangles, layers, the draw queue and loading windows from props.
#include <gtest/gtest.h>

#include "engine/gui/GuiProps.h"
#include "tests/gui/GuiTestSupport.h"

namespace {

using namespace engine;
using guitest::props;

class GuiLayout : public ::testing::Test {
protected:
  void SetUp() override {
    gui_.setScreenSize(1024, 768);
    root_ = gui_.addWindow(std::make_unique<GuiWindow>("root"));
    root_->show(true);
    root_->setRect({0, 0, 200, 100});
  }
  GuiWindow* child(GuiWindow* parent, const std::string& name) {
    GuiWindow* added = parent->addChild(std::make_unique<GuiWindow>(name));
    added->show(true);
    return added;
  }

  GuiManager gui_;
  GuiWindow* root_ = nullptr;
};

TEST_F(GuiLayout, AnchorsToBothParentEdgesStretchTheWindowBetweenThem) {
  GuiWindow* inner = child(root_, "inner");
  LayoutFrame& frame = inner->frame();
  frame.setAnchor(kAnchorX1, &root_->frame(), true, kAnchorX1, {10.0f, 0.0f});
  frame.setAnchor(kAnchorX2, &root_->frame(), true, kAnchorX2, {-10.0f, 0.0f});
  frame.widthRule = {0, 1.0f};
  frame.layout();
  EXPECT_EQ(inner->rect().x, 10);
  EXPECT_EQ(inner->rect().width, 180);

  // The parent's new width reaches the window through the anchors.
  root_->setRect({0, 0, 300, 100});
  EXPECT_EQ(inner->rect().width, 280);

  // The end anchor alone places a fixed size against the right edge.
  GuiWindow* badge = child(root_, "badge");
  badge->frame().setAnchor(kAnchorX2, &root_->frame(), true, kAnchorX2, {-5.0f, 0.0f});
  badge->frame().widthRule = {40, 0.0f};
  badge->frame().layout();
  EXPECT_EQ(badge->rect().x, 255);
  EXPECT_EQ(badge->rect().width, 40);

  // Free room shared by weights: half to the size, half before the window.
  GuiWindow* centred = child(root_, "centred");
  centred->frame().setAnchor(kAnchorX1, &root_->frame(), true, kAnchorX1, {0.0f, 1.0f});
  centred->frame().setAnchor(kAnchorX2, &root_->frame(), true, kAnchorX2, {0.0f, 0.0f});
  centred->frame().widthRule = {100, 1.0f};
  centred->frame().layout();
  EXPECT_EQ(centred->rect().x, 100);
  EXPECT_EQ(centred->rect().width, 200);
}

TEST_F(GuiLayout, SiblingsFollowTheEdgesTheyAreAnchoredToAndCyclesEnd) {
  GuiWindow* left = child(root_, "left");
  GuiWindow* right = child(root_, "right");
  left->setRect({0, 0, 50, 20});
  right->frame().setAnchor(kAnchorX1, &left->frame(), false, kAnchorX2, {5.0f, 0.0f});
  right->frame().setAnchor(kAnchorY1, &left->frame(), false, kAnchorY2, {});
  right->frame().widthRule = {30, 0.0f};
  right->frame().heightRule = {10, 0.0f};
  right->frame().layout();
  EXPECT_EQ(right->rect(), (GuiRect{55, 20, 30, 10}));
  left->setRect({10, 0, 60, 20});
  EXPECT_EQ(right->rect(), (GuiRect{75, 20, 30, 10}));
  // A change on the other axis alone leaves the horizontal position as it was.
  left->setRect({10, 5, 60, 20});
  EXPECT_EQ(right->rect(), (GuiRect{75, 25, 30, 10}));

  // Anchored to each other: laying out ends instead of recursing for ever.
  left->frame().setAnchor(kAnchorX1, &right->frame(), false, kAnchorX2, {});
  left->frame().layout();
  EXPECT_EQ(left->rect().x, 105);

  // A sibling that goes away leaves no reference behind.
  root_->removeChild(right);
  EXPECT_EQ(left->frame().anchor(kAnchorX1).reference, nullptr);
  left->setRect({0, 0, 10, 10});
}

TEST_F(GuiLayout, SizeLimitsApplyTheUpperThenTheLower) {
  GuiWindow* limited = child(root_, "limited");
  limited->setSizeLimits(100, 0, 300, 1000);
  limited->setRect({0, 0, 500, 10});
  EXPECT_EQ(limited->rect().width, 300);
  limited->setSizeLimits(400, 0, 300, 1000);
  limited->setRect({0, 0, 500, 10});
  EXPECT_EQ(limited->rect().width, 400);
}

TEST_F(GuiLayout, ClipRectanglesAndLayers) {
  GuiWindow* panel = child(root_, "panel");
  panel->setRect({150, 50, 100, 100});
  GuiWindow* button = child(panel, "button");
  button->setRect({10, 10, 20, 20});
  GuiRect clip;
  ASSERT_TRUE(panel->clipRect(clip));
  EXPECT_EQ(clip, (GuiRect{150, 50, 50, 50}));
  ASSERT_TRUE(button->clipRect(clip));
  EXPECT_EQ(clip, (GuiRect{160, 60, 20, 20}));
  button->setRect({60, 10, 20, 20});
  EXPECT_FALSE(button->clipRect(clip));

  // Layers: the top-level window's index less every other one on the chain.
  root_->setDepthIndex(10);
  panel->setDepthIndex(2);
  button->setDepthIndex(3);
  EXPECT_EQ(root_->layer(), 10);
  EXPECT_EQ(panel->layer(), 8);
  EXPECT_EQ(button->layer(), 5);
  // Smaller layers lie in front (smaller z), inside 0..1.
  EXPECT_LT(gui_.layerDepth(button->layer() - 1), gui_.layerDepth(button->layer()));
  EXPECT_LT(gui_.layerDepth(5), gui_.layerDepth(10));
  EXPECT_GT(gui_.layerDepth(-100), 0.0f);
  EXPECT_LT(gui_.layerDepth(5000), 1.0001f);
  const float d = GuiManager::layerDistance(3);
  EXPECT_FLOAT_EQ(gui_.layerDepth(3),
                  GuiManager::kFar / (GuiManager::kFar - GuiManager::kNear) * (d - GuiManager::kNear) / d);
}

TEST_F(GuiLayout, OnlyShownWindowsAreQueuedAndAChildWithAnUnchangedClipIsNotRequeued) {
  GuiWindow* hidden = root_->addChild(std::make_unique<GuiWindow>("hidden"));
  hidden->queueDraw(true);
  EXPECT_FALSE(hidden->drawQueued());

  GuiWindow* panel = child(root_, "panel");
  panel->setRect({10, 10, 50, 50});
  GuiWindow* label = child(panel, "label");
  label->setRect({5, 5, 20, 20});
  EXPECT_TRUE(label->drawQueued());
  label->queueDraw(false);
  // The panel grows in the larger root: the label's clip rectangle stays, so it stays out.
  panel->setRect({10, 10, 80, 60});
  EXPECT_FALSE(label->drawQueued());
  EXPECT_TRUE(panel->drawQueued());
  // The panel moves: the label moves with it and comes back into the queue.
  panel->setRect({20, 10, 80, 60});
  EXPECT_TRUE(label->drawQueued());

  // Hiding takes the window and its children out; the queue holds each window once.
  panel->queueDraw(true);
  EXPECT_EQ(std::count(gui_.queue().begin(), gui_.queue().end(), panel), 1);
  panel->show(false);
  EXPECT_FALSE(panel->drawQueued());
  EXPECT_FALSE(label->drawQueued());
  panel->queueDraw(true);
  EXPECT_FALSE(panel->drawQueued());

  // A destroyed window leaves the queue.
  root_->removeChild(label->parent());
  EXPECT_EQ(std::find(gui_.queue().begin(), gui_.queue().end(), label), gui_.queue().end());
}

TEST_F(GuiLayout, WindowsLoadTheirFrameChildLayoutsStylesAndProperties) {
  GuiWindow* title = child(root_, "title");
  GuiWindow* body = child(root_, "body");
  gui_.addStyle("dark", nullptr);
  // "body" is anchored below "title", which is only loaded after it.
  auto tree = props("WindowFrame.x1 = 5; WindowFrame.y1 = 6; WindowFrame.x2 = 300; WindowFrame.h = 200;"
                    "Windows.body.anchors.Y1.window = \"title\"; Windows.body.anchors.Y1.align = \"Y2\";"
                    "Windows.body.anchors.Y1.offset = 4;"
                    "Windows.body.anchors.X1.window = \"Parent\"; Windows.body.anchors.X1.align = \"X1\";"
                    "Windows.body.anchors.X2.window = \"Parent\"; Windows.body.anchors.X2.align = \"X2\";"
                    "Windows.body.height = 50;"
                    "Windows.title.width = 120; Windows.title.height = 30;"
                    "Windows.ghost.width = 10;"
                    "Styles = array(\"dark\", \"missing\"); Colour = \"blue\"; Speed = 3;");
  GuiProps keys(*tree);
  root_->load(keys);
  EXPECT_EQ(root_->rect(), (GuiRect{5, 6, 300, 200}));
  EXPECT_EQ(title->rect().height, 30);
  EXPECT_EQ(body->rect(), (GuiRect{0, 34, 300, 50}));
  ASSERT_EQ(root_->styles().size(), 1u);
  EXPECT_EQ(root_->styles()[0]->name, "dark");
  ASSERT_EQ(root_->properties().size(), 2u);
  EXPECT_EQ(root_->properties().at("colour")->asString(), "blue");
  EXPECT_EQ(root_->properties().count("Windows"), 0u);

  // The title grows: the body follows its bottom edge.
  title->setRect({0, 0, 120, 40});
  EXPECT_EQ(body->rect().y, 44);
}

} // namespace
