#include "platform/dialogs/DialogTemplate.h"

#include <cstdint>

namespace dialogs {
namespace {

// a * b / c rounded half away from zero, in 64 bits so no product overflows.
int mulDiv(int a, int b, int c) {
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  const std::int64_t half = c / 2;
  return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

} // namespace

int averageCharWidth(int widthOfAlphabet) { return (widthOfAlphabet / 26 + 1) / 2; }

int horizontalPixels(int dialogUnits, const FontMetrics& font) { return mulDiv(dialogUnits, font.averageWidth, 4); }

int verticalPixels(int dialogUnits, const FontMetrics& font) { return mulDiv(dialogUnits, font.height, 8); }

RECT toPixels(const DialogRect& rect, const FontMetrics& font) {
  const int left = horizontalPixels(rect.x, font);
  const int top = verticalPixels(rect.y, font);
  return RECT{left, top, left + horizontalPixels(rect.width, font), top + verticalPixels(rect.height, font)};
}

} // namespace dialogs
