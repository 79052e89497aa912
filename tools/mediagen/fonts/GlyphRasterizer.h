// Renders single characters of a TrueType font with FreeType into 8-bit coverage maps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools::fonts {

struct Glyph {
  int left = 0;  // ink's left edge relative to the pen, pixels
  int top = 0;   // ink's top edge above the baseline, pixels
  int width = 0; // ink size in pixels
  int rows = 0;
  int advance = 0;                    // pen advance, whole pixels
  std::vector<std::uint8_t> coverage; // width x rows, 0 ... 255
  std::uint8_t at(int x, int y) const {
    return x < 0 || y < 0 || x >= width || y >= rows ? 0 : coverage[static_cast<std::size_t>(y) * width + x];
  }
};

class GlyphRasterizer {
public:
  GlyphRasterizer();
  ~GlyphRasterizer();
  GlyphRasterizer(const GlyphRasterizer&) = delete;
  GlyphRasterizer& operator=(const GlyphRasterizer&) = delete;

  bool open(const std::string& path, std::string& error);
  bool setPixelSize(int pixels);
  int ascender() const;  // pixels above the baseline the font asks for
  int descender() const; // pixels below the baseline (positive)
  // False when the font has no glyph for `code` or FreeType fails.
  bool render(char32_t code, Glyph& glyph);

private:
  struct State;
  State* state_;
};

} // namespace tools::fonts
