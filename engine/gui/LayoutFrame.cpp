#include "engine/gui/LayoutFrame.h"

#include <algorithm>

#include "engine/core/Strings.h"
#include "engine/gui/GuiWindow.h"

namespace engine {
namespace {

constexpr std::array<std::string_view, kAnchorCount> kAnchorNames{"X1", "Y1", "X2", "Y2", "W1", "H1", "W2", "H2"};

bool horizontalAnchor(int id) { return id == kAnchorX1 || id == kAnchorX2 || id == kAnchorW1 || id == kAnchorW2; }

} // namespace

int anchorIdFromName(std::string_view name) {
  for (int id = 0; id < kAnchorCount; ++id)
    if (equalsNoCase(name, kAnchorNames[static_cast<std::size_t>(id)])) return id;
  return -1;
}

LayoutFrame::~LayoutFrame() {
  for (LayoutFrame* dependent : dependents_)
    for (Anchor& anchor : dependent->anchors_)
      if (anchor.reference == this) anchor.reference = nullptr;
  for (Anchor& anchor : anchors_)
    if (anchor.reference) std::erase(anchor.reference->dependents_, this);
}

void LayoutFrame::follow(LayoutFrame* reference) {
  auto& list = reference->dependents_;
  if (std::find(list.begin(), list.end(), this) == list.end()) list.push_back(this);
}

void LayoutFrame::unfollow(LayoutFrame* reference) {
  for (const Anchor& anchor : anchors_)
    if (anchor.reference == reference) return; // another slot still follows it
  std::erase(reference->dependents_, this);
}

void LayoutFrame::setAnchor(int id, LayoutFrame* reference, bool parentClient, int align, LayoutOffset offset) {
  if (id < 0 || id >= kAnchorCount) return;
  Anchor& slot = anchors_[static_cast<std::size_t>(id)];
  LayoutFrame* previous = slot.reference;
  slot = Anchor{reference, parentClient && reference, std::clamp(align, 0, kAnchorCount - 1), offset};
  if (previous && previous != reference) unfollow(previous);
  if (reference && reference != this) follow(reference);
}

void LayoutFrame::resetLayout() {
  for (int id = 0; id < kAnchorCount; ++id)
    setAnchor(id, nullptr, false, id, {});
  widthRule = {};
  heightRule = {};
}

float LayoutFrame::referenceEdge(const Anchor& anchor) const {
  const GuiRect area = anchor.parentClient ? window_.parentClientArea() : anchor.reference->rect();
  switch (anchor.align) {
  case kAnchorX1:
  case kAnchorW1:
    return static_cast<float>(area.x);
  case kAnchorX2:
  case kAnchorW2:
    return static_cast<float>(area.right());
  case kAnchorY1:
  case kAnchorH1:
    return static_cast<float>(area.y);
  default:
    return static_cast<float>(area.bottom());
  }
}

LayoutFrame::AxisResult LayoutFrame::layoutAxis(bool horizontal) const {
  const Anchor& start = anchor(horizontal ? kAnchorX1 : kAnchorY1);
  const Anchor& end = anchor(horizontal ? kAnchorX2 : kAnchorY2);
  const Anchor& measureFrom = anchor(horizontal ? kAnchorW1 : kAnchorH1);
  const Anchor& measureTo = anchor(horizontal ? kAnchorW2 : kAnchorH2);
  const SizeRule& rule = horizontal ? widthRule : heightRule;
  const float ownStart = static_cast<float>(horizontal ? rect_.x : rect_.y);
  const float ownEnd = static_cast<float>(horizontal ? rect_.right() : rect_.bottom());

  const float left = start.reference ? referenceEdge(start) : ownStart;
  const float right = end.reference ? referenceEdge(end) : ownEnd;
  float size = static_cast<float>(rule.b);
  float sizeWeight = rule.k;
  if (measureFrom.reference && measureTo.reference) {
    size = (referenceEdge(measureTo) - referenceEdge(measureFrom)) * measureFrom.offset.k + measureFrom.offset.b;
    sizeWeight = 0.0f;
  }
  // Offsets move an edge from the edge it follows: +10 on the start edge and -10 on the end
  // edge both point inwards.
  const float startOffset = start.offset.b;
  const float endOffset = end.offset.b;
  float x = left + startOffset;
  float far = 0.0f;
  if (sizeWeight != 0.0f) {
    const float free = (right + endOffset) - x - size;
    const float weights = sizeWeight + end.offset.k + start.offset.k;
    if (weights != 0.0f) {
      size += free * sizeWeight / weights;
      x += free * start.offset.k / weights;
    }
    far = x + size;
  } else if (start.reference || !end.reference) {
    // Placed by its start edge, or by no anchor at all: the start stays where it is.
    far = x + size;
  } else {
    // The end anchor alone places the window.
    far = right + endOffset;
    x = far - size;
  }
  return {static_cast<int>(x), static_cast<int>(far - x)};
}

void LayoutFrame::layoutAxes(bool horizontal, bool vertical) {
  if (laying_) return;
  laying_ = true;
  GuiRect next = rect_;
  if (horizontal) {
    const AxisResult axis = layoutAxis(true);
    next.x = axis.position;
    next.width = axis.size;
  }
  if (vertical) {
    const AxisResult axis = layoutAxis(false);
    next.y = axis.position;
    next.height = axis.size;
  }
  window_.setRect(next);
  laying_ = false;
}

void LayoutFrame::notifyDependents(const GuiRect& before) {
  const bool movedX = before.x != rect_.x || before.width != rect_.width;
  const bool movedY = before.y != rect_.y || before.height != rect_.height;
  if (!movedX && !movedY) return;
  // A copy: laying out a dependent may change who depends on whom.
  const std::vector<LayoutFrame*> dependents = dependents_;
  for (LayoutFrame* dependent : dependents) {
    bool horizontal = false;
    bool vertical = false;
    for (int id = 0; id < kAnchorCount; ++id) {
      if (dependent->anchor(id).reference != this) continue;
      if (horizontalAnchor(id))
        horizontal = horizontal || movedX;
      else
        vertical = vertical || movedY;
    }
    if (horizontal || vertical) dependent->layoutAxes(horizontal, vertical);
  }
}

} // namespace engine
