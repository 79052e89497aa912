#include "engine/gui/text/TextNode.h"

namespace engine {
namespace {

char16_t foldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c; }

} // namespace

bool WideNoCaseLess::operator()(std::u16string_view a, std::u16string_view b) const {
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    const char16_t x = foldAscii(a[i]), y = foldAscii(b[i]);
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

bool equalsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (foldAscii(a[i]) != foldAscii(b[i])) return false;
  return true;
}

const std::u16string* TextNode::attribute(std::u16string_view name) const {
  auto found = attributes.find(std::u16string(name));
  return found == attributes.end() ? nullptr : &found->second;
}

Charset* TextNode::charsetAt(std::size_t index) const {
  auto run = charsetRuns.upper_bound(index);
  if (run == charsetRuns.begin()) return nullptr;
  return std::prev(run)->second;
}

TextNode* TextNode::addChild(std::unique_ptr<TextNode> child) {
  child->parent = this;
  children.push_back(std::move(child));
  return children.back().get();
}

void TextNode::appendText(std::u16string_view characters) {
  if (characters.empty()) return;
  if (!children.empty() && children.back()->isText) {
    children.back()->text += characters;
    return;
  }
  auto run = std::make_unique<TextNode>();
  run->isText = true;
  run->text = characters;
  addChild(std::move(run));
}

} // namespace engine
