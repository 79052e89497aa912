// One node of a text view's document: an element opened by a tag (with its attributes and
// children) or a run of characters. Style resolution fills each node's style and, for a
// run, which charset draws each stretch of it.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/resources/fonts/TextStyle.h"

namespace engine {

class Charset;
class FrameWindow;

// Tag and attribute names compare ignoring ASCII case.
struct WideNoCaseLess {
  bool operator()(std::u16string_view a, std::u16string_view b) const;
};
bool equalsNoCase(std::u16string_view a, std::u16string_view b);

struct TextNode {
  std::u16string tagName; // "root" for the top node of the text
  std::map<std::u16string, std::u16string, WideNoCaseLess> attributes;
  TextNode* parent = nullptr;
  std::vector<std::unique_ptr<TextNode>> children;
  bool isText = false;
  std::u16string text;
  // From each character index on, up to the next entry, the charset that draws it (null:
  // no charset holds those characters).
  std::map<std::size_t, Charset*> charsetRuns;
  TextStyle style;
  bool floating = false;
  // An "IMG" element: the window that shows the image, and its size.
  FrameWindow* image = nullptr;
  int imageWidth = 20;
  int imageHeight = 20;

  bool isTag(std::u16string_view name) const { return !isText && equalsNoCase(tagName, name); }
  const std::u16string* attribute(std::u16string_view name) const;
  // The charset of character `index` of a run.
  Charset* charsetAt(std::size_t index) const;
  TextNode* addChild(std::unique_ptr<TextNode> child);
  // A run of characters as the last child (merged into a run that is last already).
  void appendText(std::u16string_view characters);
};

} // namespace engine
