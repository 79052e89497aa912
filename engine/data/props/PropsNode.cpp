#include "engine/data/props/PropsNode.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "engine/core/Strings.h"

namespace engine {

namespace {
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A bracketed component stands for the text between its '[' and the next unescaped ']'.
std::string componentName(std::string_view text) {
  text = trimBlanks(text);
  if (!text.empty() && text[0] == '[') {
    std::size_t close = 1;
    while (close < text.size() && !(text[close] == ']' && text[close - 1] != '\\'))
      ++close;
    text = text.substr(1, close - 1);
  }
  return std::string(trimBlanks(text));
}
} // namespace

std::size_t parseDecimalPrefix(std::string_view text, double& value) {
  value = 0;
  std::size_t at = 0;
  while (at < text.size() && isSpace(text[at]))
    ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  const bool startsNumber =
      at < text.size() && (isDigit(text[at]) || (text[at] == '.' && at + 1 < text.size() && isDigit(text[at + 1])));
  if (!startsNumber) return 0;
  double parsed = 0;
  const char* first = text.data() + at;
  const auto [end, error] = std::from_chars(first, text.data() + text.size(), parsed, std::chars_format::general);
  if (error == std::errc::invalid_argument) return 0;
  if (error == std::errc::result_out_of_range) {
    // Too large becomes infinite, too small zero, as the C runtime's conversion does.
    const std::string_view number(first, static_cast<std::size_t>(end - first));
    const std::size_t e = number.find_first_of("eE");
    const bool tiny = e != std::string_view::npos && e + 1 < number.size() && number[e + 1] == '-';
    parsed = tiny ? 0.0 : std::numeric_limits<double>::infinity();
  }
  value = negative ? -parsed : parsed;
  return static_cast<std::size_t>(end - text.data());
}

PropsKeyComponent takeKeyComponent(std::string_view& rest) {
  const std::size_t dot = rest.find('.');
  const std::size_t bracket = (!rest.empty() && rest[0] == '[') ? rest.find('[', 1) : rest.find('[');
  PropsKeyComponent component;
  if (dot == std::string_view::npos && bracket == std::string_view::npos) {
    component.name = componentName(rest);
    rest = {};
  } else if (bracket != std::string_view::npos && (dot == std::string_view::npos || bracket < dot)) {
    component.name = componentName(rest.substr(0, bracket));
    component.last = false;
    component.kind = PropsKind::Array;
    rest.remove_prefix(bracket);
  } else {
    component.name = componentName(rest.substr(0, dot));
    component.last = false;
    component.kind = PropsKind::Object;
    rest.remove_prefix(dot + 1);
  }
  return component;
}

PropsNode* PropsMap::findChild(std::string_view name) const {
  const std::shared_ptr<PropsNode>* found = entries_.find(name);
  return found ? found->get() : nullptr;
}

PropsNode* PropsMap::find(std::string_view keyPath) const {
  const PropsMap* map = this;
  std::string_view rest = keyPath;
  for (;;) {
    const PropsKeyComponent component = takeKeyComponent(rest);
    PropsNode* node = map->findChild(component.name);
    if (!node || component.last) return node;
    map = &node->children();
  }
}

double PropsMap::getFloat(std::string_view keyPath, double fallback) const {
  const PropsNode* node = find(keyPath);
  return node ? node->asFloat() : fallback;
}

int PropsMap::getInt(std::string_view keyPath, int fallback) const {
  const PropsNode* node = find(keyPath);
  return node ? node->asInt() : fallback;
}

std::string PropsMap::getString(std::string_view keyPath, std::string_view fallback) const {
  const PropsNode* node = find(keyPath);
  return node ? node->asString() : std::string(fallback);
}

std::shared_ptr<PropsNode> PropsMap::findOrAdd(std::string_view name, int depth) {
  auto [slot, added] = entries_.insert(name, nullptr);
  if (added) {
    if (depth + 1 > kMaxDepth) {
      entries_.erase(name);
      return nullptr;
    }
    *slot = std::make_shared<PropsNode>(name, depth + 1);
  }
  return *slot;
}

double PropsNode::asFloat() const {
  double value = 0;
  parseDecimalPrefix(value_, value);
  return value;
}

int PropsNode::asInt(bool* ok) const {
  if (ok) *ok = true;
  if (value_.empty()) return 0;
  double value = 0;
  const std::size_t used = parseDecimalPrefix(value_, value);
  const double truncated = std::trunc(value);
  if (used == 0 || used != value_.size() || !(truncated >= std::numeric_limits<int>::min()) ||
      !(truncated <= std::numeric_limits<int>::max())) {
    if (ok) *ok = false;
    return 0;
  }
  return static_cast<int>(truncated);
}

void PropsNode::clearChildren() {
  children_.clear();
  nextIndex_ = 0;
}

void PropsNode::setValue(std::string_view text) {
  value_ = std::string(text);
  kind_ = PropsKind::Value;
}

std::string PropsNode::takeNextIndex() {
  std::string name;
  do {
    name = std::to_string(nextIndex_++);
  } while (children_.findChild(name));
  return name;
}

std::size_t PropsNode::descendantCount() const {
  std::size_t total = 0;
  for (const auto& entry : children_)
    total += 1 + entry.value->descendantCount();
  return total;
}

int PropsNode::height() const {
  int tallest = 0;
  for (const auto& entry : children_)
    tallest = std::max(tallest, 1 + entry.value->height());
  return tallest;
}

void PropsNode::copyChildrenFrom(const PropsNode& source) {
  for (const auto& entry : source.children_) {
    auto copy = std::make_shared<PropsNode>(entry.value->name_, depth_ + 1);
    copy->kind_ = entry.value->kind_;
    copy->nextIndex_ = entry.value->nextIndex_;
    copy->value_ = entry.value->value_;
    copy->copyChildrenFrom(*entry.value);
    children_.entries_.insert(entry.name, std::move(copy));
  }
}

bool PropsNode::copyFrom(const PropsNode& source) {
  if (depth_ + source.height() > PropsMap::kMaxDepth) return false;
  // Through a snapshot: the source may be this node or hang below it.
  PropsNode snapshot(source.name_, depth_);
  snapshot.copyChildrenFrom(source);
  const PropsKind kind = source.kind_;
  const int nextIndex = source.nextIndex_;
  const std::string value = source.value_;
  children_.entries_ = std::move(snapshot.children_.entries_);
  kind_ = kind;
  nextIndex_ = nextIndex;
  value_ = value;
  return true;
}

} // namespace engine
