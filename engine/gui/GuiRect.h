// Rectangles of the GUI in pixels: x, y, width, height.
#pragma once

namespace engine {

struct GuiRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  int right() const { return x + width; }
  int bottom() const { return y + height; }
  bool contains(float px, float py) const {
    return px >= static_cast<float>(x) && py >= static_cast<float>(y) && px < static_cast<float>(right()) &&
           py < static_cast<float>(bottom());
  }
  bool operator==(const GuiRect&) const = default;
};

// The common part of two rectangles; false (and `out` untouched) when they do not overlap.
// Rectangles that only touch overlap in an empty rectangle.
inline bool intersectRects(const GuiRect& a, const GuiRect& b, GuiRect& out) {
  const int left = a.x > b.x ? a.x : b.x;
  const int top = a.y > b.y ? a.y : b.y;
  const int right = a.right() < b.right() ? a.right() : b.right();
  const int bottom = a.bottom() < b.bottom() ? a.bottom() : b.bottom();
  if (right < left || bottom < top) return false;
  out = {left, top, right - left, bottom - top};
  return true;
}

} // namespace engine
