// Line layout of a text document: its characters and images in document order, measured
// word by word with the bitmap fonts and broken into lines at newlines, at floats and (with
// word wrap) where a word does not fit.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/gui/GuiRect.h"
#include "engine/gui/text/TextNode.h"

namespace engine {

class FontManager;

// One character of a run, or one image element, in document order.
struct TextItem {
  const TextNode* node = nullptr; // the run, or the "IMG" element
  std::size_t index = 0;          // the character's index in its run
  char16_t ch = 0;
  Charset* charset = nullptr;
  bool image = false;
  bool floating = false; // inside an element marked "TextFloat"
};

// The document's items in document order, into `items` (emptied first; a view lays its text
// out at every draw, so the vector's room is kept).
void flattenDocument(const TextNode& root, std::vector<TextItem>& items);

// A glyph's size scaled by its style (truncated) and how far it moves the pen (its width plus
// the style's character spacing). A character no charset holds is empty and moves nothing.
struct ItemMetrics {
  int width = 0;
  int height = 0;
  int advance = 0;
};
ItemMetrics itemMetrics(const TextItem& item);

enum class LineEnd { EndOfText, Newline, Wrap, Float };

struct TextLine {
  std::size_t begin = 0; // items [begin, end)
  std::size_t end = 0;
  GuiRect rect; // in the view's client area
  LineEnd reason = LineEnd::EndOfText;
};

struct TextLayoutResult {
  std::vector<TextLine> lines;
  int width = 0; // the widest line's right end
  int height = 0;
};

// Lays the items out inside `viewWidth` into `result` (its lines' room is kept). Without
// `wrap`, lines break only at newlines and floats. `fonts` gives the height of lines that
// hold nothing.
void layoutText(const std::vector<TextItem>& items, int viewWidth, bool wrap, const FontManager* fonts,
                TextLayoutResult& result);

} // namespace engine
