// Colours as four floats (alpha, red, green, blue; 0.0 to 1.0) and their packing into a
// D3DCOLOR.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9types.h"

namespace engine {

struct FloatColor {
  float a = 1.0f;
  float r = 0.0f;
  float g = 0.0f;
  float b = 0.0f;

  FloatColor() = default;
  FloatColor(float alpha, float red, float green, float blue) : a(alpha), r(red), g(green), b(blue) {}

  // Three 0-255 channels; alpha is 1.0.
  static FloatColor fromBytes(int red, int green, int blue);
  // A 0xAARRGGBB value.
  static FloatColor fromArgb(std::uint32_t argb);

  bool operator==(const FloatColor&) const = default;
};

// Each channel times 256, truncated, capped at 255 (and at 0 for negative values).
D3DCOLOR toColor(const FloatColor& color);
// One channel as toColor packs it.
std::uint32_t toColorChannel(float value);

D3DCOLORVALUE toColorValue(const FloatColor& color);

} // namespace engine
