#include "engine/gui/text/MarkupReader.h"

#include <optional>

namespace engine {
namespace {

constexpr std::u16string_view kRaw = u"RAW";

bool nameCharacter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-';
}
bool blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

struct Tag {
  bool closing = false;
  bool selfClosing = false;
  std::u16string name;
  std::map<std::u16string, std::u16string, WideNoCaseLess> attributes;
  std::size_t end = 0; // just past '>'
};

class TagScanner {
public:
  TagScanner(std::u16string_view text, std::size_t at) : text_(text), at_(at) {}

  // The tag starting at '<', or nothing when the text there is no well-formed tag.
  std::optional<Tag> scan() {
    Tag tag;
    ++at_; // '<'
    if (peek() == u'/') {
      tag.closing = true;
      ++at_;
    }
    tag.name = name();
    if (tag.name.empty()) return std::nullopt;
    for (;;) {
      skipBlanks();
      if (at_ >= text_.size()) return std::nullopt;
      const char16_t c = text_[at_];
      if (c == u'>') {
        tag.end = at_ + 1;
        return tag;
      }
      if (c == u'/' && at_ + 1 < text_.size() && text_[at_ + 1] == u'>' && !tag.closing) {
        tag.selfClosing = true;
        tag.end = at_ + 2;
        return tag;
      }
      std::u16string key = name();
      if (key.empty() || tag.closing) return std::nullopt;
      skipBlanks();
      std::u16string value;
      if (peek() == u'=') {
        ++at_;
        skipBlanks();
        if (!valueText(value)) return std::nullopt;
      }
      tag.attributes.emplace(std::move(key), std::move(value));
    }
  }

private:
  char16_t peek() const { return at_ < text_.size() ? text_[at_] : u'\0'; }
  void skipBlanks() {
    while (at_ < text_.size() && blank(text_[at_]))
      ++at_;
  }
  std::u16string name() {
    const std::size_t start = at_;
    while (at_ < text_.size() && nameCharacter(text_[at_]))
      ++at_;
    return std::u16string(text_.substr(start, at_ - start));
  }
  // "quoted", 'quoted' or a bare word up to a blank, '/' or '>'.
  bool valueText(std::u16string& value) {
    const char16_t quote = peek();
    if (quote == u'"' || quote == u'\'') {
      const std::size_t close = text_.find(quote, at_ + 1);
      if (close == std::u16string_view::npos) return false;
      value = text_.substr(at_ + 1, close - at_ - 1);
      at_ = close + 1;
      return true;
    }
    const std::size_t start = at_;
    while (at_ < text_.size() && !blank(text_[at_]) && text_[at_] != u'>' && text_[at_] != u'/')
      ++at_;
    value = text_.substr(start, at_ - start);
    return true;
  }

  std::u16string_view text_;
  std::size_t at_;
};

// The end of a RAW section's content: the next "</RAW>" in any letter case.
std::size_t rawEnd(std::u16string_view text, std::size_t from) {
  for (std::size_t at = text.find(u"</", from); at != std::u16string_view::npos; at = text.find(u"</", at + 1)) {
    if (text.size() - at >= 6 && equalsNoCase(text.substr(at + 2, 3), kRaw) && text[at + 5] == u'>') return at;
  }
  return text.size();
}

} // namespace

void readMarkup(std::u16string_view markup, TextNode& root) {
  TextNode* open = &root;
  int depth = 0;
  std::size_t at = 0;
  while (at < markup.size()) {
    const std::size_t lt = markup.find(u'<', at);
    if (lt == std::u16string_view::npos) {
      open->appendText(markup.substr(at));
      break;
    }
    open->appendText(markup.substr(at, lt - at));
    std::optional<Tag> tag = TagScanner(markup, lt).scan();
    if (!tag) {
      open->appendText(markup.substr(lt, 1));
      at = lt + 1;
      continue;
    }
    at = tag->end;
    if (tag->closing) {
      TextNode* closed = open;
      while (closed != &root && !closed->isTag(tag->name))
        closed = closed->parent;
      if (closed != &root) {
        for (TextNode* node = open; node != closed; node = node->parent)
          --depth;
        --depth;
        open = closed->parent;
      }
      continue;
    }
    if (depth >= kMaxMarkupDepth) continue;
    auto element = std::make_unique<TextNode>();
    element->tagName = std::move(tag->name);
    element->attributes = std::move(tag->attributes);
    TextNode* added = open->addChild(std::move(element));
    if (tag->selfClosing || added->isTag(u"IMG")) continue;
    if (added->isTag(kRaw)) {
      const std::size_t end = rawEnd(markup, at);
      added->appendText(markup.substr(at, end - at));
      at = end + (end < markup.size() ? 6 : 0);
      continue;
    }
    open = added;
    ++depth;
  }
}

} // namespace engine
