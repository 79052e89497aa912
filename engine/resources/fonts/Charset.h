// One charset file: a texture laid out as a grid of character cells, the range of character
// codes it covers, each character's advance width and, optionally, explicit pixel
// rectangles per character. Text layout asks it for a glyph's size and texture rectangle.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Result.h"
#include "engine/data/FileSearchPaths.h"
#include "engine/data/props/PropsNode.h"
#include "engine/resources/textures/TextureRef.h"

namespace engine {

class TextureManager;

struct GlyphSize {
  int width = 0;
  int height = 0;
  bool operator==(const GlyphSize&) const = default;
};

// Normalised texture coordinates.
struct GlyphRect {
  float left = 0.0f;
  float top = 0.0f;
  float right = 0.0f;
  float bottom = 0.0f;
  bool operator==(const GlyphRect&) const = default;
};

class Charset {
public:
  // Characters are 16-bit codes: a file that claims others is refused.
  static constexpr int kLastCode = 0xFFFF;

  // Reads the file at `location` (found through `searchContext` when one is given, which must
  // then have it) and requests its image from `textures`. Fails for a file that cannot be
  // read, a range that ends before it starts, and an image that cannot be made (then no
  // glyph geometry is computed).
  Result load(const FileLocation& location, const FileSearchPaths* searchContext, TextureManager& textures);

  // The advance width and cell height in pixels; a character outside the range has the cell
  // width.
  GlyphSize glyphSize(char16_t ch) const;
  // The texture rectangle; zeros without a texture or for a character outside the range.
  GlyphRect glyphRect(char16_t ch) const;
  // The rectangle shrunk by pixel amounts on each side (a glyph cut by a clip rectangle).
  GlyphRect glyphRectInset(char16_t ch, float left, float top, float right, float bottom) const;
  bool covers(char16_t ch) const { return ch >= startChar_ && ch <= endChar_; }

  Texture* texture() const { return texture_.get(); }
  int startChar() const { return startChar_; }
  int endChar() const { return endChar_; }
  int charsPerLine() const { return charsPerLine_; }
  int charWidth() const { return charWidth_; }
  int charHeight() const { return charHeight_; }
  D3DFORMAT format() const { return format_; }
  D3DCOLOR colorKey() const { return colorKey_; }

private:
  bool readKeys(const PropsTree& tree, const std::string& path);
  void readSizes(const PropsNode& sizes);
  bool loadTexture(const FileSearchPaths& context, TextureManager& textures);
  void computeGrid();
  void readRects(const PropsNode& rects);
  // The slot of a character code, or -1 when the code is outside the range.
  int slot(long code) const;

  int startChar_ = 0;
  int endChar_ = 256;
  int charsPerLine_ = 0;
  int charWidth_ = 14;
  int charHeight_ = 14;
  D3DFORMAT format_ = D3DFMT_A8R8G8B8;
  D3DCOLOR colorKey_ = 0;
  std::string imageName_;
  TextureRef texture_;
  float imageWidth_ = 0.0f;
  float imageHeight_ = 0.0f;
  std::vector<std::uint8_t> widths_; // one per character from startChar
  std::vector<GlyphRect> rects_;
};

} // namespace engine
