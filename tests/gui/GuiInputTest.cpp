// Input routing through the window tree: which windows hear a button or a pointer movement,
// in which order, with which notices; the pointer capture; dragging and resizing frames.
#include <gtest/gtest.h>

#include "engine/gui/FrameWindow.h"
#include "engine/gui/GuiProps.h"
#include "tests/gui/GuiTestSupport.h"

namespace {

using namespace engine;
using guitest::JournalWindow;
using guitest::pointerEvent;
using Journal = std::vector<std::string>;

class GuiInput : public ::testing::Test {
protected:
  GuiWindow* add(GuiWindow* parent, const std::string& name, GuiRect rect) {
    auto window = std::make_unique<JournalWindow>(name, journal_);
    GuiWindow* added = parent ? parent->addChild(std::move(window)) : gui_.addWindow(std::move(window));
    added->show(true);
    added->setRect(rect);
    return added;
  }
  void button(InputEventKind kind, float x, float y) { gui_.onInputEvent(pointerEvent(kind, x, y, x, y)); }
  void move(float fromX, float fromY, float toX, float toY) {
    gui_.onInputEvent(pointerEvent(InputEventKind::PointerMoved, toX, toY, fromX, fromY));
  }

  GuiManager gui_;
  Journal journal_;
};

TEST_F(GuiInput, AButtonGoesToTheFirstWindowUnderThePointerThroughItsChildren) {
  GuiWindow* a = add(nullptr, "A", {0, 0, 100, 100});
  add(nullptr, "B", {50, 0, 100, 100});
  add(a, "a1", {0, 0, 50, 50});
  add(a, "a2", {0, 0, 50, 50}); // under a1: never reached while a1 takes the button
  button(InputEventKind::LeftButtonPressed, 60, 10);
  EXPECT_EQ(journal_, (Journal{"A:event0"}));
  journal_.clear();
  button(InputEventKind::RightButtonPressed, 10, 10);
  EXPECT_EQ(journal_, (Journal{"a1:event3", "A:event3"}));
  journal_.clear();
  button(InputEventKind::LeftButtonReleased, 120, 10);
  EXPECT_EQ(journal_, (Journal{"B:event1"}));
  journal_.clear();

  // Hidden or disabled windows hear nothing; keys are not the GUI's.
  a->enable(false);
  button(InputEventKind::LeftButtonPressed, 60, 10);
  EXPECT_EQ(journal_, (Journal{"B:event0"}));
  journal_.clear();
  gui_.onInputEvent({InputEventKind::KeyPressed, {60, 10}, {60, 10}, {}, 30});
  gui_.onInputEvent({InputEventKind::Character, {60, 10}, {60, 10}, {}, 'a'});
  EXPECT_TRUE(journal_.empty());
}

TEST_F(GuiInput, PointerMovementsBringLeaveEnterAndMoveNotices) {
  GuiWindow* a = add(nullptr, "A", {0, 0, 100, 100});
  GuiWindow* b = add(nullptr, "B", {100, 0, 100, 100});
  add(a, "a1", {0, 0, 50, 50});
  move(10, 10, 120, 10);
  EXPECT_EQ(journal_, (Journal{"A:leave", "a1:leave", "a1:event6", "A:event6", "B:enter", "B:event6"}));
  EXPECT_TRUE(b->states().count("focused"));
  EXPECT_FALSE(a->states().count("focused"));
  journal_.clear();
  move(120, 10, 130, 20);
  EXPECT_EQ(journal_, (Journal{"B:move", "B:event6"}));
  journal_.clear();

  // Of windows that all hold both positions, only the first hears the move.
  add(nullptr, "C", {300, 300, 50, 50});
  add(nullptr, "D", {300, 300, 50, 50});
  move(310, 310, 320, 320);
  EXPECT_EQ(journal_, (Journal{"C:move", "C:event6"}));
}

TEST_F(GuiInput, TheWindowHoldingThePointerHearsWhatPassesElsewhere) {
  add(nullptr, "A", {0, 0, 100, 100});
  GuiWindow* b = add(nullptr, "B", {200, 0, 100, 100});
  gui_.capture(b);
  button(InputEventKind::LeftButtonReleased, 10, 10);
  EXPECT_EQ(journal_, (Journal{"A:event1", "B:event1"}));
  journal_.clear();
  move(250, 10, 260, 10); // delivered once, not twice
  EXPECT_EQ(journal_, (Journal{"B:move", "B:event6"}));
  journal_.clear();
  gui_.removeWindow(b);
  EXPECT_EQ(gui_.captured(), nullptr);
}

class FrameDragging : public GuiInput {
protected:
  void SetUp() override {
    frame_ = static_cast<FrameWindow*>(gui_.addWindow(std::make_unique<FrameWindow>("frame")));
    frame_->show(true);
    frame_->setRect({100, 100, 200, 100});
  }
  void drag(float fromX, float fromY, float toX, float toY) {
    button(InputEventKind::LeftButtonPressed, fromX, fromY);
    move(fromX, fromY, toX, toY);
    button(InputEventKind::LeftButtonReleased, toX, toY);
  }
  FrameWindow* frame_ = nullptr;
};

TEST_F(FrameDragging, TheBodyMovesTheFrameAndBordersResizeIt) {
  EXPECT_EQ(frame_->hitTest(150, 150), HitRegion::Body);
  EXPECT_EQ(frame_->hitTest(101, 101), HitRegion::TopLeft);
  EXPECT_EQ(frame_->hitTest(299, 150), HitRegion::Right);
  EXPECT_EQ(frame_->hitTest(150, 199), HitRegion::Bottom);
  EXPECT_EQ(frame_->hitTest(50, 50), HitRegion::None);

  drag(150, 150, 170, 140);
  EXPECT_EQ(frame_->rect(), (GuiRect{120, 90, 200, 100}));
  EXPECT_FALSE(frame_->moving());
  EXPECT_EQ(gui_.captured(), nullptr);

  // The left border keeps the right edge; the limits hold.
  frame_->setSizeLimits(50, 50, 400, 400);
  drag(121, 140, 271, 140);
  EXPECT_EQ(frame_->rect(), (GuiRect{270, 90, 50, 100}));
  EXPECT_EQ(SetCursor(nullptr), LoadCursorA(nullptr, IDC_SIZEWE));
}

TEST_F(FrameDragging, AKeptAspectDecidesTheOtherSide) {
  frame_->setKeepAspect(true, 2.0f);
  // The right edge: the height follows the width.
  drag(299, 150, 339, 150);
  EXPECT_EQ(frame_->rect(), (GuiRect{100, 100, 240, 120}));
  // The bottom edge: the width follows the height.
  drag(150, 219, 150, 229);
  EXPECT_EQ(frame_->rect(), (GuiRect{100, 100, 260, 130}));
  // A corner dragged wider than the aspect: the height follows the width; the top-left
  // corner moves, the bottom-right one stays.
  drag(101, 101, 61, 91);
  EXPECT_EQ(frame_->rect(), (GuiRect{60, 80, 300, 150}));
  // ...and taller than the aspect: the width follows the height.
  drag(359, 229, 359, 279);
  EXPECT_EQ(frame_->rect(), (GuiRect{60, 80, 400, 200}));
}

TEST_F(FrameDragging, AFrameLoadedWithoutMovableStaysPut) {
  auto keys = guitest::props("Resizable = 1;");
  GuiProps props(*keys);
  frame_->load(props);
  EXPECT_FALSE(frame_->movable());
  EXPECT_TRUE(frame_->resizable());
  drag(150, 150, 170, 170);
  EXPECT_EQ(frame_->rect(), (GuiRect{100, 100, 200, 100}));
  FrameWindow fresh;
  EXPECT_TRUE(fresh.movable());
}

} // namespace
