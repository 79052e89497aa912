// How a piece of text looks: its font size and flags (which choose the charsets), its
// scale, spacing and colours. A value type, copied freely.
#pragma once

#include <cstdint>
#include <string>

#include "engine/core/FloatColor.h"

namespace engine {

constexpr std::uint32_t kTextBold = 1;
constexpr std::uint32_t kTextItalic = 2;

struct TextStyle {
  std::int32_t size = 14;  // nominal height in pixels
  std::uint32_t flags = 0; // kTextBold, kTextItalic
  // The factor layout multiplies every glyph size by. Whoever draws sets it; 1.0 until then
  // so that a style nobody scaled still lays out at the font's own size.
  float scale = 1.0f;
  std::int32_t charSpace = 0; // extra pixels after each character
  std::int32_t rowSpace = 0;  // extra pixels between rows
  FloatColor color{1.0f, 1.0f, 1.0f, 1.0f};
  FloatColor bgColor{1.0f, 0.0f, 0.0f, 0.0f};
  std::u16string fontName;

  // Styles that name the same font: size, flags and font name.
  bool operator==(const TextStyle& other) const {
    return size == other.size && flags == other.flags && fontName == other.fontName;
  }
};

} // namespace engine
