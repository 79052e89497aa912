#include "engine/core/FloatColor.h"

namespace engine {

FloatColor FloatColor::fromBytes(int red, int green, int blue) {
  constexpr float kScale = 1.0f / 255.0f;
  return FloatColor(1.0f, static_cast<float>(red) * kScale, static_cast<float>(green) * kScale,
                    static_cast<float>(blue) * kScale);
}

FloatColor FloatColor::fromArgb(std::uint32_t argb) {
  constexpr float kScale = 1.0f / 255.0f;
  auto channel = [&](int shift) { return static_cast<float>((argb >> shift) & 0xFFu) * kScale; };
  return FloatColor(channel(24), channel(16), channel(8), channel(0));
}

std::uint32_t toColorChannel(float value) {
  const float scaled = value * 256.0f;
  // Negative and NaN values would make the integer conversion undefined: they pack as 0.
  if (!(scaled > 0.0f)) return 0;
  if (scaled >= 255.0f) return 255;
  return static_cast<std::uint32_t>(scaled);
}

D3DCOLOR toColor(const FloatColor& color) {
  return (toColorChannel(color.a) << 24) | (toColorChannel(color.r) << 16) | (toColorChannel(color.g) << 8) |
         toColorChannel(color.b);
}

D3DCOLORVALUE toColorValue(const FloatColor& color) { return D3DCOLORVALUE{color.r, color.g, color.b, color.a}; }

} // namespace engine
