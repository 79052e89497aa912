// The markup of text views over 16-bit text: literal characters, opening tags with
// attributes, closing tags, self-closing tags, and "<RAW>" sections whose content is taken
// literally. Markup that is not a well-formed tag is text.
#pragma once

#include <string_view>

#include "engine/gui/text/TextNode.h"

namespace engine {

// Elements nest no deeper than this; tags that would open deeper ones are dropped (their
// text stays), so a hostile document cannot exhaust the stack of the passes over the tree.
constexpr int kMaxMarkupDepth = 64;

// Parses `markup` into children of `root`. A closing tag ends the nearest open element of
// its name (one that matches nothing is dropped); elements still open at the end close
// there. "IMG" never holds children.
void readMarkup(std::u16string_view markup, TextNode& root);

} // namespace engine
