// The parsed form of a props file: a tree of named nodes, each a value (text), an object
// (named children) or an array (children "0", "1", ...). Values stay text; loaders convert
// them when they ask, look keys up ignoring case and keep their own defaults for keys a
// file leaves out.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "engine/core/NameMap.h"

namespace engine {

class PropsNode;

enum class PropsKind { Value = 0, Object = 1, Array = 2 };

// The number at the start of `text` (leading white space, optional sign, digits, fraction,
// exponent; no hexadecimal, infinity or NaN forms). Answers how many bytes it took, 0 when
// the text does not start with a number.
std::size_t parseDecimalPrefix(std::string_view text, double& value);

// One component taken off the front of a key path ("Styles[0].Size" gives "Styles", then
// "0", then "Size"). Intermediate components say what their node becomes: an array before
// '[', an object before '.'. The '.' and '[' looked for are the first ones of the text left,
// wherever they stand, brackets and quotes included (so a key of a quoted dot splits at it,
// as the shipped charset files have always been read).
struct PropsKeyComponent {
  std::string name;
  bool last = true;
  PropsKind kind = PropsKind::Value;
};
PropsKeyComponent takeKeyComponent(std::string_view& rest);

// Props keys compare ignoring ASCII case, as NoCaseLess does; this one is inline and skips
// the folding for equal bytes, since lookups dominate parsing and keys share long prefixes.
struct PropsKeyLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
      auto x = static_cast<unsigned char>(a[i]);
      auto y = static_cast<unsigned char>(b[i]);
      if (x == y) continue;
      if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + ('a' - 'A'));
      if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + ('a' - 'A'));
      if (x != y) return x < y;
    }
    return a.size() < b.size();
  }
};

// The children of a node, or the top-level keys of a tree: found by name ignoring case,
// walked in insertion order.
class PropsMap {
public:
  using Entries = NameMap<std::shared_ptr<PropsNode>, PropsKeyLess>;
  // Nodes hang deeper than this nowhere: deeper paths and copies are refused, so walking
  // or destroying a tree built from a hostile file cannot exhaust the stack.
  static constexpr int kMaxDepth = 128;

  PropsMap() = default;
  PropsMap(const PropsMap&) = delete;
  PropsMap& operator=(const PropsMap&) = delete;

  PropsNode* findChild(std::string_view name) const;
  // A key path such as "Styles[0].Size" or "Sizes[\"0\"]", looked up without creating.
  PropsNode* find(std::string_view keyPath) const;
  std::size_t count() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }

  // Insertion order; each entry has `name` and `value` (the node).
  Entries::const_iterator begin() const { return entries_.begin(); }
  Entries::const_iterator end() const { return entries_.end(); }
  // The cursor loaders advance entry by entry.
  Entries::Cursor cursor() { return Entries::Cursor(entries_); }

  // Typed lookups of a key path: the fallback when the key is missing, else the node's
  // conversion (which gives 0 for text that is not a number).
  double getFloat(std::string_view keyPath, double fallback) const;
  int getInt(std::string_view keyPath, int fallback) const;
  std::string getString(std::string_view keyPath, std::string_view fallback) const;

  // The child of that name, created (a new empty value, appended) when missing; null when
  // it would hang deeper than kMaxDepth. `depth` is the depth of this map's owner (0 for
  // a tree's root).
  std::shared_ptr<PropsNode> findOrAdd(std::string_view name, int depth);
  void clear() { entries_.clear(); }

private:
  friend class PropsNode;
  Entries entries_;
};

using PropsTree = PropsMap;

class PropsNode {
public:
  PropsNode(std::string_view name, int depth) : name_(name), depth_(depth) {}
  PropsNode(const PropsNode&) = delete;
  PropsNode& operator=(const PropsNode&) = delete;

  const std::string& name() const { return name_; }
  PropsKind kind() const { return kind_; }
  const std::string& value() const { return value_; }
  int nextIndex() const { return nextIndex_; }
  int depth() const { return depth_; }
  const PropsMap& children() const { return children_; }
  PropsMap& children() { return children_; }
  PropsNode* findChild(std::string_view name) const { return children_.findChild(name); }

  const std::string& asString() const { return value_; }
  // The number at the start of the value; 12px gives 12, text without a number 0.
  double asFloat() const;
  // The whole value as a number truncated toward zero (an empty value is 0); any other
  // text, or a number out of range, gives 0 with `ok` false.
  int asInt(bool* ok = nullptr) const;

  // Assignment, as the parser does it: children go first.
  void clearChildren();
  void setValue(std::string_view text);
  void setKind(PropsKind kind) { kind_ = kind; }
  // The next anonymous element name ("0", "1", ...), skipping names already taken.
  std::string takeNextIndex();
  // Takes the source's kind, next index, value and a deep copy of its children; keeps its
  // own name. False (nothing changed) when the copy would hang deeper than the limit.
  bool copyFrom(const PropsNode& source);
  // The nodes below this one.
  std::size_t descendantCount() const;

private:
  int height() const;
  void copyChildrenFrom(const PropsNode& source);

  PropsMap children_;
  PropsKind kind_ = PropsKind::Value;
  int nextIndex_ = 0;
  std::string name_;
  std::string value_;
  int depth_;
};

} // namespace engine
