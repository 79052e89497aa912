#include "engine/gui/text/TextLayout.h"

#include <algorithm>

#include "engine/resources/fonts/FontManager.h"

namespace engine {
namespace {

void flatten(const TextNode& node, bool floating, std::vector<TextItem>& out) {
  floating = floating || node.floating;
  if (node.isText) {
    for (std::size_t i = 0; i < node.text.size(); ++i)
      out.push_back({&node, i, node.text[i], node.charsetAt(i), false, floating});
    return;
  }
  if (node.isTag(u"IMG")) {
    out.push_back({&node, 0, 0, nullptr, true, floating});
    return;
  }
  for (const auto& child : node.children)
    flatten(*child, floating, out);
}

enum class WordKind { Word, Overflow, Break, End };

struct Word {
  WordKind kind = WordKind::Word;
  std::size_t end = 0; // the item after the word
  int width = 0;
  int height = 0;
  std::size_t count = 0;
  bool floating = false;
};

// One word from `at`, no wider than `limit` unless a single glyph is.
Word measureWord(const std::vector<TextItem>& items, std::size_t at, int limit) {
  Word word;
  word.end = at;
  if (at >= items.size()) {
    word.kind = WordKind::End;
    return word;
  }
  word.floating = items[at].floating;
  if (items[at].image) {
    word.width = items[at].node->imageWidth;
    word.height = items[at].node->imageHeight;
    word.count = 1;
    word.end = at + 1;
    return word;
  }
  for (std::size_t i = at; i < items.size(); ++i) {
    const TextItem& item = items[i];
    if (item.image || item.floating != word.floating) break;
    if (item.ch == u'\n') {
      if (word.count == 0) {
        word.kind = WordKind::Break;
        word.end = i + 1;
      }
      break;
    }
    const ItemMetrics metrics = itemMetrics(item);
    const bool blank = item.ch == u' ' || item.ch == u'\t';
    if (blank && word.count > 0) break;
    if (!blank && word.width + metrics.width > limit) {
      if (word.count > 0) break;
      // A glyph wider than the whole room still goes somewhere: alone, on its own.
      word.kind = WordKind::Overflow;
      word.width = metrics.width;
      word.height = metrics.height;
      word.count = 1;
      word.end = i + 1;
      break;
    }
    word.width += metrics.advance;
    word.height = std::max(word.height, metrics.height);
    ++word.count;
    word.end = i + 1;
    if (blank) break;
  }
  return word;
}

// The height of a line that holds nothing: the space of the style where it stands,
// unscaled, or the cell of the first charset when there is no text at all.
int emptyLineHeight(const std::vector<TextItem>& items, std::size_t at, const FontManager* fonts) {
  if (!fonts) return 0;
  if (items.empty()) {
    const Charset* first = fonts->firstCharset();
    return first ? first->charHeight() : 0;
  }
  const TextItem& item = items[std::min(at, items.size() - 1)];
  const Charset* space = fonts->findCharset(item.node->style, u' ');
  return space ? space->glyphSize(u' ').height : 0;
}

} // namespace

void flattenDocument(const TextNode& root, std::vector<TextItem>& items) {
  items.clear();
  flatten(root, false, items);
}

ItemMetrics itemMetrics(const TextItem& item) {
  if (item.image) return {item.node->imageWidth, item.node->imageHeight, item.node->imageWidth};
  if (!item.charset) return {};
  const TextStyle& style = item.node->style;
  const GlyphSize glyph = item.charset->glyphSize(item.ch);
  ItemMetrics metrics;
  metrics.width = static_cast<int>(style.scale * static_cast<float>(glyph.width));
  metrics.height = static_cast<int>(style.scale * static_cast<float>(glyph.height));
  metrics.advance = metrics.width + style.charSpace;
  return metrics;
}

void layoutText(const std::vector<TextItem>& items, int viewWidth, bool wrap, const FontManager* fonts,
                TextLayoutResult& result) {
  result.lines.clear();
  result.width = 0;
  result.height = 0;
  std::size_t at = 0;
  int top = 0;
  int floatWidth = 0;
  int floatBottom = 0;
  for (;;) {
    if (floatWidth > 0 && top >= floatBottom) floatWidth = 0;
    TextLine line;
    line.begin = at;
    line.rect = {floatWidth, top, 0, 0};
    int remaining = viewWidth - floatWidth;
    bool first = true;
    for (;;) {
      const Word word = measureWord(items, at, first ? viewWidth : viewWidth - floatWidth);
      first = false;
      if (word.kind == WordKind::End) {
        line.reason = LineEnd::EndOfText;
        break;
      }
      // A word may end past the room its glyphs were measured in (its spacing counts after
      // the test). On a line that holds nothing, wrapping helps only where a float narrows
      // the line; anywhere else the next line would be the same, for ever.
      const bool holds = line.rect.width > 0 || (word.count > 1 && floatWidth > 0);
      if (word.kind != WordKind::Break && wrap && word.width > remaining && holds) {
        line.reason = LineEnd::Wrap;
        break;
      }
      if (word.kind == WordKind::Break) {
        at = word.end;
        line.reason = LineEnd::Newline;
        break;
      }
      if (word.floating) {
        if (line.rect.width > 0) {
          line.reason = LineEnd::Float;
          break;
        }
        floatWidth = word.width;
        floatBottom = top + word.height;
      } else {
        line.rect.height = std::max(line.rect.height, word.height);
      }
      line.rect.width += word.width;
      at = word.end;
      remaining = viewWidth - line.rect.width;
    }
    line.end = at;
    if (line.rect.width == 0) line.rect.height = emptyLineHeight(items, line.begin, fonts);
    // A line left empty by a float goes straight below it rather than a space's height at a
    // time (a tall image would make that millions of lines).
    if (line.end == line.begin && line.reason == LineEnd::Wrap)
      line.rect.height = std::max(floatBottom - top, 1);
    else if (line.rect.height == 0)
      line.rect.height = std::max(floatBottom - top, 0);
    const int rowSpace = line.begin < items.size() ? items[line.begin].node->style.rowSpace : 0;
    result.lines.push_back(line);
    result.width = std::max(result.width, line.rect.right());
    result.height = std::max(result.height, line.rect.bottom());
    if (line.reason == LineEnd::EndOfText) break;
    const int next = top + line.rect.height + rowSpace;
    // A line that took nothing and did not move down would come back the same for ever:
    // the float it could not pass ends here.
    if (line.end == line.begin && next <= top) floatWidth = 0;
    top = next;
  }
}

} // namespace engine
