// Where a window sits inside its parent's client area: its rectangle, and anchors that tie
// its edges and size to edges of the parent or of sibling windows. When a frame moves or
// changes size, the frames anchored to it are laid out again.
#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "engine/gui/GuiRect.h"

namespace engine {

class GuiWindow;

// Anchor slots; also the alignments (which edge of the reference an anchor follows).
enum AnchorId : int {
  kAnchorX1 = 0, // left edge
  kAnchorY1 = 1, // top edge
  kAnchorX2 = 2, // right edge
  kAnchorY2 = 3, // bottom edge
  kAnchorW1 = 4, // start of the width measure
  kAnchorH1 = 5,
  kAnchorW2 = 6, // end of the width measure
  kAnchorH2 = 7,
};
constexpr int kAnchorCount = 8;

// "X1" ... "H2" (any letter case); -1 for any other name.
int anchorIdFromName(std::string_view name);

// A base in pixels and a weight that takes a share of the free room.
struct LayoutOffset {
  float b = 0.0f;
  float k = 0.0f;
};
struct SizeRule {
  int b = 0;
  float k = 1.0f;
};

class LayoutFrame;

struct Anchor {
  LayoutFrame* reference = nullptr; // none: the axis keeps the window's own edge
  bool parentClient = false;        // the reference is the parent's client area
  int align = kAnchorX1;
  LayoutOffset offset;
};

class LayoutFrame {
public:
  explicit LayoutFrame(GuiWindow& window) : window_(window) {}
  // Forgets every frame anchored to this one, and leaves the frames this one follows.
  ~LayoutFrame();
  LayoutFrame(const LayoutFrame&) = delete;
  LayoutFrame& operator=(const LayoutFrame&) = delete;

  GuiWindow& window() const { return window_; }
  const GuiRect& rect() const { return rect_; }
  void storeRect(const GuiRect& rect) { rect_ = rect; }

  SizeRule widthRule;
  SizeRule heightRule;

  const Anchor& anchor(int id) const { return anchors_[static_cast<std::size_t>(id)]; }
  // Ties slot `id` to an edge of `reference` (null: no reference). `parentClient` says that
  // the reference is the parent's frame and its client area is meant.
  void setAnchor(int id, LayoutFrame* reference, bool parentClient, int align, LayoutOffset offset);
  // Offsets back to 0, size weights back to 1, no references.
  void resetLayout();

  // Computes the rectangle from the anchors and gives it to the window.
  void layout() { layoutAxes(true, true); }
  void layoutAxes(bool horizontal, bool vertical);
  // After the rectangle changed from `before`: lays out every frame anchored to this one on
  // the axes that moved.
  void notifyDependents(const GuiRect& before);

  const std::vector<LayoutFrame*>& dependents() const { return dependents_; }

private:
  struct AxisResult {
    int position;
    int size;
  };
  AxisResult layoutAxis(bool horizontal) const;
  // The coordinate of the edge an anchor follows, in the coordinates of this frame's rect.
  float referenceEdge(const Anchor& anchor) const;
  void follow(LayoutFrame* reference);
  void unfollow(LayoutFrame* reference);

  GuiWindow& window_;
  GuiRect rect_;
  std::array<Anchor, kAnchorCount> anchors_{};
  std::vector<LayoutFrame*> dependents_;
  bool laying_ = false; // a cycle of anchors stops here instead of recursing forever
};

} // namespace engine
