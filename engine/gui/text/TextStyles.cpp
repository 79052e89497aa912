#include "engine/gui/text/TextStyles.h"

#include <algorithm>
#include <limits>

#include "engine/resources/fonts/FontManager.h"

namespace engine {
namespace {

// Spacing and image sizes stay within what a screen could show, so that sums over a long
// text cannot overflow.
constexpr std::int64_t kLargestSpacing = 4096;
constexpr std::int64_t kLargestImage = 4096;

int limitedNumber(std::u16string_view text, std::int64_t low, std::int64_t high) {
  return static_cast<int>(std::clamp(attributeNumber(text), low, high));
}

std::uint32_t colorNumber(std::u16string_view text) {
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(attributeNumber(text)) & 0xFFFFFFFFu);
}

void applyAttributes(TextNode& node) {
  TextStyle& style = node.style;
  if (const auto* size = node.attribute(u"Size")) style.size = static_cast<std::int32_t>(attributeNumber(*size));
  if (const auto* space = node.attribute(u"CharSpace"))
    style.charSpace = limitedNumber(*space, -kLargestSpacing, kLargestSpacing);
  if (const auto* rows = node.attribute(u"RowSpace"))
    style.rowSpace = limitedNumber(*rows, -kLargestSpacing, kLargestSpacing);
  if (const auto* font = node.attribute(u"FontName")) style.fontName = *font;
  if (node.isTag(u"B") || node.attribute(u"Bold")) style.flags |= kTextBold;
  if (node.isTag(u"I") || node.attribute(u"Italic")) style.flags |= kTextItalic;
  if (node.isTag(u"N") || node.attribute(u"Normal")) style.flags &= ~(kTextBold | kTextItalic);
  if (const auto* color = node.attribute(u"Color")) style.color = FloatColor::fromArgb(colorNumber(*color));
  if (const auto* background = node.attribute(u"BGColor"))
    style.bgColor = FloatColor::fromArgb(colorNumber(*background));
  node.floating = node.attribute(u"TextFloat") != nullptr;
  if (node.isTag(u"IMG")) {
    if (const auto* width = node.attribute(u"Width")) node.imageWidth = limitedNumber(*width, 0, kLargestImage);
    if (const auto* height = node.attribute(u"Height")) node.imageHeight = limitedNumber(*height, 0, kLargestImage);
  }
}

} // namespace

std::int64_t attributeNumber(std::u16string_view text) {
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t'))
    text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
    negative = text.front() == u'-';
    text.remove_prefix(1);
  }
  std::uint64_t value = 0;
  std::size_t digits = 0;
  for (; digits < text.size() && text[digits] >= u'0' && text[digits] <= u'9'; ++digits) {
    const std::uint64_t digit = text[digits] - u'0';
    if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return 0;
    value = value * 10 + digit;
  }
  if (digits == 0) return 0;
  std::size_t at = digits;
  if (at < text.size() && text[at] == u'.') {
    for (++at; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
    }
  }
  if (at != text.size() || value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return 0;
  const auto signedValue = static_cast<std::int64_t>(value);
  return negative ? -signedValue : signedValue;
}

void resolveCharsets(TextNode& run, const FontManager* fonts) {
  run.charsetRuns.clear();
  Charset* previous = nullptr;
  for (std::size_t i = 0; i < run.text.size(); ++i) {
    Charset* charset = fonts ? fonts->findCharset(run.style, run.text[i]) : nullptr;
    if (i == 0 || charset != previous) run.charsetRuns[i] = charset;
    previous = charset;
  }
}

void resolveStyles(TextNode& node, const TextStyle& base, const FontManager* fonts) {
  node.style = node.parent ? node.parent->style : base;
  if (node.isText) {
    resolveCharsets(node, fonts);
    return;
  }
  if (node.parent) applyAttributes(node);
  for (const auto& child : node.children)
    resolveStyles(*child, base, fonts);
}

} // namespace engine
