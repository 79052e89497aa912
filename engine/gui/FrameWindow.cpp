#include "engine/gui/FrameWindow.h"

#include "engine/gui/GuiManager.h"
#include "engine/gui/GuiProps.h"

namespace engine {
namespace {

bool grabsLeft(HitRegion r) { return r == HitRegion::TopLeft || r == HitRegion::Left || r == HitRegion::BottomLeft; }
bool grabsRight(HitRegion r) {
  return r == HitRegion::TopRight || r == HitRegion::Right || r == HitRegion::BottomRight;
}
bool grabsTop(HitRegion r) { return r == HitRegion::TopLeft || r == HitRegion::Top || r == HitRegion::TopRight; }
bool grabsBottom(HitRegion r) {
  return r == HitRegion::BottomLeft || r == HitRegion::Bottom || r == HitRegion::BottomRight;
}

void showCursor(HitRegion region) { SetCursor(LoadCursorA(nullptr, FrameWindow::cursorOf(region))); }

} // namespace

FrameWindow::FrameWindow(std::string name) : GuiWindow(std::move(name)) {}

LPCSTR FrameWindow::cursorOf(HitRegion region) {
  switch (region) {
  case HitRegion::TopLeft:
  case HitRegion::BottomRight:
    return IDC_SIZENWSE;
  case HitRegion::Top:
  case HitRegion::Bottom:
    return IDC_SIZENS;
  case HitRegion::TopRight:
  case HitRegion::BottomLeft:
    return IDC_SIZENESW;
  case HitRegion::Right:
  case HitRegion::Left:
    return IDC_SIZEWE;
  default:
    return IDC_ARROW;
  }
}

void FrameWindow::load(GuiProps& props) {
  const PropsNode* resizable = props.take("Resizable");
  const PropsNode* movable = props.take("Movable");
  resizable_ = resizable && resizable->asInt() != 0;
  movable_ = movable && movable->asInt() != 0;
  GuiWindow::load(props);
}

HitRegion FrameWindow::hitTest(float x, float y) const {
  const GuiRect r = screenRect();
  if (!r.contains(x, y)) return HitRegion::None;
  const auto border = static_cast<float>(kBorderHandle);
  const bool left = x < static_cast<float>(r.x) + border;
  const bool right = x >= static_cast<float>(r.right()) - border;
  const bool top = y < static_cast<float>(r.y) + border;
  const bool bottom = y >= static_cast<float>(r.bottom()) - border;
  if (top && left) return HitRegion::TopLeft;
  if (top && right) return HitRegion::TopRight;
  if (bottom && right) return HitRegion::BottomRight;
  if (bottom && left) return HitRegion::BottomLeft;
  if (top) return HitRegion::Top;
  if (right) return HitRegion::Right;
  if (bottom) return HitRegion::Bottom;
  if (left) return HitRegion::Left;
  return HitRegion::Body;
}

void FrameWindow::onInputEvent(const InputEvent& event) {
  switch (event.kind) {
  case InputEventKind::PointerMoved:
    if (moving_ || resizing_)
      drag(event);
    else
      showCursor(hitTest(event.pointer.x, event.pointer.y));
    break;
  case InputEventKind::LeftButtonPressed:
    startDrag(event);
    break;
  case InputEventKind::LeftButtonReleased:
    endDrag();
    break;
  default:
    break;
  }
}

void FrameWindow::startDrag(const InputEvent& event) {
  hitRegion_ = hitTest(event.pointer.x, event.pointer.y);
  if (hitRegion_ == HitRegion::Body && movable_)
    moving_ = true;
  else if (hitRegion_ != HitRegion::None && hitRegion_ != HitRegion::Body && resizable_)
    resizing_ = true;
  else
    return;
  grabX_ = event.pointer.x;
  grabY_ = event.pointer.y;
  grabRect_ = rect();
  // The pointer may leave the frame while it is dragged faster than it follows.
  if (manager()) manager()->capture(this);
}

void FrameWindow::endDrag() {
  if (!moving_ && !resizing_) return;
  moving_ = resizing_ = false;
  if (manager()) manager()->releaseCapture(this);
}

void FrameWindow::drag(const InputEvent& event) {
  const float dx = event.pointer.x - grabX_;
  const float dy = event.pointer.y - grabY_;
  if (moving_) {
    setRect(
        {grabRect_.x + static_cast<int>(dx), grabRect_.y + static_cast<int>(dy), grabRect_.width, grabRect_.height});
  } else {
    setRect(resized(dx, dy));
    showCursor(hitRegion_);
  }
  queueDraw(true);
}

GuiRect FrameWindow::resized(float dx, float dy) const {
  const HitRegion region = hitRegion_;
  int width = grabRect_.width;
  int height = grabRect_.height;
  if (grabsLeft(region)) width -= static_cast<int>(dx);
  if (grabsRight(region)) width += static_cast<int>(dx);
  if (grabsTop(region)) height -= static_cast<int>(dy);
  if (grabsBottom(region)) height += static_cast<int>(dy);
  const bool horizontal = grabsLeft(region) || grabsRight(region);
  const bool vertical = grabsTop(region) || grabsBottom(region);
  if (keepAspect_ && aspect_ > 0.0f) {
    bool heightFollows = horizontal && !vertical;
    if (horizontal && vertical)
      heightFollows = height != 0 && static_cast<float>(width) / static_cast<float>(height) > aspect_;
    if (heightFollows)
      height = static_cast<int>(static_cast<float>(width) / aspect_);
    else
      width = static_cast<int>(aspect_ * static_cast<float>(height));
  }
  GuiRect next = limited({grabRect_.x, grabRect_.y, width, height});
  // The edges that were not grabbed stay where they were.
  if (grabsLeft(region)) next.x = grabRect_.right() - next.width;
  if (grabsTop(region)) next.y = grabRect_.bottom() - next.height;
  return next;
}

} // namespace engine
