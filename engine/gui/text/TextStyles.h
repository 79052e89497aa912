// Style resolution of a text document: each node takes its parent's style and changes it
// by its tag and attributes; each run of characters learns which charset draws each stretch.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/gui/text/TextNode.h"

namespace engine {

class FontManager;

// An attribute number: a decimal numeral with an optional sign and fraction (the fraction is
// dropped). Anything else, or a number beyond 64 bits, reads as 0.
std::int64_t attributeNumber(std::u16string_view text);

// Resolves `node` and everything below it; the root takes `base`. Without a font manager
// no charset holds any character.
void resolveStyles(TextNode& node, const TextStyle& base, const FontManager* fonts);
// Rebuilds the charset runs of one run of characters from its style.
void resolveCharsets(TextNode& run, const FontManager* fonts);

} // namespace engine
