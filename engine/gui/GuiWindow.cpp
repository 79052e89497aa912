#include "engine/gui/GuiWindow.h"

#include <algorithm>

#include "engine/gui/GuiManager.h"
#include "engine/gui/GuiRouting.h"

namespace engine {

GuiWindow::GuiWindow(std::string name) : name_(std::move(name)) {}

GuiWindow::~GuiWindow() {
  if (manager_) manager_->forget(this);
  // Children go first: their frames may be anchored to this one's.
  children_.clear();
}

bool GuiWindow::draw(GuiDrawContext&) { return true; }

void GuiWindow::onInputEvent(const InputEvent&) {}

GuiRect GuiWindow::clientRect(std::string_view) const { return {0, 0, rect().width, rect().height}; }

GuiWindow* GuiWindow::addChild(std::unique_ptr<GuiWindow> child) {
  if (!child) return nullptr;
  child->parent_ = this;
  children_.push_back(std::move(child));
  GuiWindow* added = children_.back().get();
  added->attachTo(manager_);
  return added;
}

std::unique_ptr<GuiWindow> GuiWindow::removeChild(GuiWindow* child) {
  auto found = std::find_if(children_.begin(), children_.end(), [&](const auto& c) { return c.get() == child; });
  if (found == children_.end()) return nullptr;
  std::unique_ptr<GuiWindow> removed = std::move(*found);
  children_.erase(found);
  removed->attachTo(nullptr);
  removed->parent_ = nullptr;
  return removed;
}

GuiWindow* GuiWindow::findChild(std::string_view name) const {
  for (const auto& child : children_)
    if (equalsNoCase(child->name_, name)) return child.get();
  return nullptr;
}

void GuiWindow::attachTo(GuiManager* manager) {
  if (manager_ == manager) return;
  if (manager_) manager_->forget(this);
  manager_ = manager;
  for (const auto& child : children_)
    child->attachTo(manager);
  attached();
}

void GuiWindow::setSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight) {
  minSize_ = {0, 0, minWidth, minHeight};
  maxSize_ = {0, 0, maxWidth, maxHeight};
}

void GuiWindow::collectClips(std::vector<std::pair<GuiWindow*, GuiRect>>& out) const {
  for (const auto& child : children_) {
    GuiRect clip;
    if (!child->clipRect(clip)) clip = {};
    out.emplace_back(child.get(), clip);
    child->collectClips(out);
  }
}

GuiRect GuiWindow::limited(const GuiRect& rect) const {
  GuiRect next = rect;
  next.width = std::max(std::min(next.width, maxSize_.width), minSize_.width);
  next.height = std::max(std::min(next.height, maxSize_.height), minSize_.height);
  return next;
}

void GuiWindow::setRect(const GuiRect& requested) {
  const GuiRect next = limited(requested);
  std::vector<std::pair<GuiWindow*, GuiRect>> clipsBefore;
  collectClips(clipsBefore);
  const GuiRect before = frame_.rect();
  frame_.storeRect(next);
  frame_.notifyDependents(before);
  for (const auto& [descendant, clipBefore] : clipsBefore) {
    GuiRect clip;
    if (!descendant->clipRect(clip)) clip = {};
    if (!(clip == clipBefore)) descendant->queueDraw(true);
  }
  queueDraw(true);
}

GuiRect GuiWindow::screenRect() const {
  GuiRect screen = rect();
  if (parent_) {
    const GuiRect parentScreen = parent_->screenRect();
    const GuiRect client = parent_->clientRect();
    screen.x += parentScreen.x + client.x;
    screen.y += parentScreen.y + client.y;
  }
  return screen;
}

bool GuiWindow::clipRect(GuiRect& out) const {
  GuiRect clip = screenRect();
  if (parent_) {
    GuiRect parentClip;
    if (!parent_->clipRect(parentClip) || !intersectRects(clip, parentClip, clip)) {
      out = {};
      return false;
    }
  }
  out = clip;
  return true;
}

GuiRect GuiWindow::parentClientArea() const {
  if (parent_) {
    const GuiRect client = parent_->clientRect();
    return {0, 0, client.width, client.height};
  }
  if (manager_) return {0, 0, manager_->screenWidth(), manager_->screenHeight()};
  return rect();
}

int GuiWindow::layer() const {
  int others = 0;
  const GuiWindow* top = this;
  for (; top->parent_; top = top->parent_)
    others += top->depthIndex_;
  return top->depthIndex_ - others;
}

float GuiWindow::layerDepth(int layer) const { return manager_ ? manager_->layerDepth(layer) : 0.0f; }

void GuiWindow::show(bool shown) {
  shown_ = shown;
  if (!shown) queueDraw(false, true);
}

void GuiWindow::enable(bool enabled) {
  enabled_ = enabled;
  if (!enabled) queueDraw(false, true);
}

void GuiWindow::queueDraw(bool queue, bool recursive) {
  if (manager_) {
    if (!queue)
      manager_->unqueue(this);
    else if (enabled_ && shown_ && !drawnByParent())
      manager_->enqueue(this);
  }
  if (recursive)
    for (const auto& child : children_)
      child->queueDraw(queue, true);
}

void GuiWindow::onPointerNotice(PointerNotice notice) {
  if (notice == PointerNotice::Leave)
    states_.erase(std::string(kFocusedState));
  else if (notice != PointerNotice::None)
    states_.emplace(kFocusedState);
}

void GuiWindow::deliver(const InputEvent& event, PointerNotice notice) {
  if (manager_) manager_->noteDelivered(this);
  onPointerNotice(notice);
  if (event.isButton())
    routeButton(children_, event);
  else if (event.kind == InputEventKind::PointerMoved)
    routeMove(children_, event);
  onInputEvent(event);
}

} // namespace engine
