#include "engine/data/udf/UdfNode.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/data/udf/UdfType.h"

namespace engine {

std::uint32_t builtinTypeSize(std::string_view typeName) {
  if (typeName == "int" || typeName == "real") return 4;
  if (typeName == "char" || typeName == "byte") return 1;
  return 0;
}

UdfNode::UdfNode(std::string_view typeName, std::string_view name, std::uint8_t flags)
    : name_(name), typeName_(typeName), flags_(flags) {}

UdfNode::~UdfNode() = default;

std::unique_ptr<UdfNode> UdfNode::makeLeaf(std::string_view typeName, std::string_view name, const void* data,
                                           std::size_t size, bool copy) {
  auto node = std::make_unique<UdfNode>(typeName, name);
  const std::string_view bytes = size ? std::string_view(static_cast<const char*>(data), size) : std::string_view{};
  if (copy) {
    node->setOwnedData(std::string(bytes));
  } else {
    node->setBorrowedData(bytes);
  }
  return node;
}

std::unique_ptr<UdfNode> UdfNode::makeList(std::string_view typeName, std::string_view name) {
  auto node = std::make_unique<UdfNode>(typeName, name, kUdfList);
  node->childrenLoaded_ = true;
  return node;
}

bool UdfNode::insertChild(std::string_view name, UdfNode* child, bool link) {
  if (!children_.insert(name, child).second) return false;
  if (link) links_.emplace(name);
  flags_ |= kUdfList;
  childrenLoaded_ = true;
  return true;
}

UdfNode* UdfNode::addChild(std::unique_ptr<UdfNode> child) {
  if (!child || !insertChild(child->name_, child.get(), false)) return nullptr;
  child->parent_ = this;
  owned_.push_back(std::move(child));
  return owned_.back().get();
}

bool UdfNode::addLink(UdfNode& child) { return insertChild(child.name_, &child, true); }

void UdfNode::setElementCount(std::uint32_t count) {
  elementCount_ = count;
  flags_ |= kUdfHasCount;
}

void UdfNode::setOwnedData(std::string bytes) {
  ownedData_ = std::move(bytes);
  data_ = ownedData_;
  size_ = static_cast<std::uint32_t>(ownedData_.size());
  dataLoaded_ = true;
}

void UdfNode::setBorrowedData(std::string_view bytes) {
  ownedData_.clear();
  data_ = bytes;
  size_ = static_cast<std::uint32_t>(bytes.size());
  dataLoaded_ = true;
}

UdfNode* UdfNode::findChild(std::string_view name) const {
  UdfNode* const* found = children_.find(name);
  return found ? *found : nullptr;
}

bool UdfNode::copyChildData(std::string_view name, void* buffer, std::size_t length) const {
  const UdfNode* child = findChild(name);
  if (!child || child->data_.empty()) return false;
  const std::size_t count = std::min(length, child->data_.size());
  if (count) std::memcpy(buffer, child->data_.data(), count);
  return true;
}

} // namespace engine
