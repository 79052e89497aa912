// One node of a UDF tree: a list of named children or a leaf of raw bytes, both with a
// type name that tells consumers what they hold. Trees are read by UdfReader and written
// by UdfWriter; a writer's tree is built with makeList/makeLeaf and addChild/addLink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/NameMap.h"

namespace engine {

class UdfReader;

// Flag bits of a node and of its entry in its parent's table.
constexpr std::uint8_t kUdfHasCount = 1; // an element count follows
constexpr std::uint8_t kUdfLink = 2;     // the child is owned elsewhere
constexpr std::uint8_t kUdfList = 4;     // the child is a list node

class UdfNode {
public:
  UdfNode(std::string_view typeName, std::string_view name, std::uint8_t flags = 0);
  ~UdfNode();
  UdfNode(const UdfNode&) = delete;
  UdfNode& operator=(const UdfNode&) = delete;

  // A leaf over `size` bytes: copied, or pointed at (they must outlive the node).
  static std::unique_ptr<UdfNode> makeLeaf(std::string_view typeName, std::string_view name, const void* data,
                                           std::size_t size, bool copy = true);
  static std::unique_ptr<UdfNode> makeList(std::string_view typeName, std::string_view name);

  // Adds a child this node owns, under the child's name; null (and the child dropped)
  // when the name is taken. Makes this node a list.
  UdfNode* addChild(std::unique_ptr<UdfNode> child);
  // Adds a child owned elsewhere; it is written once, where it is owned, and referenced
  // from here by offset. False when the name is taken.
  bool addLink(UdfNode& child);
  void setElementCount(std::uint32_t count);

  UdfNode* parent() const { return parent_; }
  UdfReader* source() const { return source_; }
  const std::string& name() const { return name_; }
  const std::string& typeName() const { return typeName_; }
  std::uint8_t flags() const { return flags_; }
  bool isList() const { return (flags_ & kUdfList) != 0; }
  bool hasElementCount() const { return (flags_ & kUdfHasCount) != 0; }
  std::uint32_t elementCount() const { return elementCount_; }
  std::uint32_t offset() const { return offset_; }
  std::uint32_t size() const { return size_; }

  const char* data() const { return data_.data(); }
  std::size_t dataSize() const { return data_.size(); }
  std::string_view bytes() const { return data_; }
  std::string dataString() const { return std::string(data_); }
  bool dataLoaded() const { return dataLoaded_; }
  bool dataBorrowed() const { return dataLoaded_ && !data_.empty() && data_.data() != ownedData_.data(); }
  bool childrenLoaded() const { return childrenLoaded_; }

  // Children by exact (case-sensitive) name, in file order.
  const NameMap<UdfNode*, CaseLess>& children() const { return children_; }
  std::size_t childCount() const { return children_.size(); }
  UdfNode* findChild(std::string_view name) const;
  bool isLink(std::string_view childName) const { return links_.count(childName) != 0; }
  // Copies min(length, child's data size) bytes of a child's data; false when the child
  // is missing or has no data.
  bool copyChildData(std::string_view name, void* buffer, std::size_t length) const;

private:
  friend class UdfReader;
  friend class UdfWriter;

  void setOwnedData(std::string bytes);
  void setBorrowedData(std::string_view bytes);
  bool insertChild(std::string_view name, UdfNode* child, bool link);

  UdfNode* parent_ = nullptr;
  UdfReader* source_ = nullptr;
  std::string name_;
  std::string typeName_;
  std::uint8_t flags_ = 0;
  std::uint32_t elementCount_ = 0;
  std::uint32_t offset_ = 0;
  std::uint32_t size_ = 0;
  std::string ownedData_;
  std::string_view data_;
  bool dataLoaded_ = false;
  bool childrenLoaded_ = false;
  bool wholeBlock_ = false; // data_ holds the node's whole block (tables included)
  bool loading_ = false;    // on the path of the load in progress
  // The options of a finished full load of this node and everything below it (-1: none):
  // a node shared by several entries is then not walked again with them.
  long completeFor_ = -1;
  NameMap<UdfNode*, CaseLess> children_;
  std::set<std::string, std::less<>> links_;
  // Nodes this node owns: its own children when built for writing or expanded by type;
  // every node of the tree for the root of a tree a reader made.
  std::vector<std::unique_ptr<UdfNode>> owned_;
};

} // namespace engine
