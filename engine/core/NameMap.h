// The ordered name map: entries keyed by byte-string names, found through a balanced
// search tree with the comparison chosen per use, and kept in insertion order for walking
// (props and UDF trees keep the order of their files). Walking in key order is offered too.
#pragma once

#include <cstddef>
#include <iterator>
#include <list>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "engine/core/Strings.h"

namespace engine {

template <class T, class Less = NoCaseLess> class NameMap {
public:
  struct Entry {
    std::string name;
    T value;
  };
  using Entries = std::list<Entry>;
  using iterator = typename Entries::iterator;
  using const_iterator = typename Entries::const_iterator;

  NameMap() = default;
  NameMap(const NameMap& other) { *this = other; }
  NameMap(NameMap&&) noexcept = default;
  NameMap& operator=(NameMap&&) noexcept = default;
  NameMap& operator=(const NameMap& other) {
    if (this != &other) {
      clear();
      for (const Entry& e : other.entries_)
        insert(e.name, e.value);
    }
    return *this;
  }

  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  void clear() {
    index_.clear();
    entries_.clear();
  }

  // Insertion order.
  iterator begin() { return entries_.begin(); }
  iterator end() { return entries_.end(); }
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }

  T* find(std::string_view name) {
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : &it->second->value;
  }
  const T* find(std::string_view name) const {
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : &it->second->value;
  }
  bool contains(std::string_view name) const { return index_.find(name) != index_.end(); }

  // The stored spelling of a name (lookups may ignore case).
  const std::string* storedName(std::string_view name) const {
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : &it->second->name;
  }

  // Appends a new entry; an existing name keeps its entry and value. Answers the entry's
  // value and whether it was added.
  std::pair<T*, bool> insert(std::string_view name, T value) {
    auto found = index_.find(name);
    if (found != index_.end()) return {&found->second->value, false};
    entries_.push_back(Entry{std::string(name), std::move(value)});
    auto last = std::prev(entries_.end());
    index_.emplace(std::string_view(last->name), last);
    return {&last->value, true};
  }

  // Appends a new entry, or replaces the value of an existing name in place (its position
  // in the insertion order is kept).
  T& assign(std::string_view name, T value) {
    auto [slot, added] = insert(name, T{});
    *slot = std::move(value);
    (void)added;
    return *slot;
  }

  bool erase(std::string_view name) {
    auto found = index_.find(name);
    if (found == index_.end()) return false;
    auto entry = found->second;
    index_.erase(found);
    entries_.erase(entry);
    return true;
  }

  // Calls f(name, value) in the order of the comparison.
  template <class F> void forEachByKey(F f) const {
    for (const auto& [key, entry] : index_)
      f(entry->name, entry->value);
  }

  // A cursor over the insertion order that survives erasing other entries.
  class Cursor {
  public:
    explicit Cursor(NameMap& map) : map_(&map), it_(map.entries_.begin()) {}
    bool valid() const { return it_ != map_->entries_.end(); }
    void first() { it_ = map_->entries_.begin(); }
    void next() {
      if (valid()) ++it_;
    }
    const std::string& name() const { return it_->name; }
    T& value() const { return it_->value; }

  private:
    NameMap* map_;
    iterator it_;
  };

private:
  Entries entries_;
  std::map<std::string_view, iterator, Less> index_;
};

} // namespace engine
