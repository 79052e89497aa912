#include "engine/data/udf/UdfReader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "engine/core/Log.h"
#include "engine/data/ByteBlock.h"
#include "engine/data/LittleEndian.h"
#include "engine/data/MemoryStream.h"

namespace engine {

namespace {

constexpr std::uint64_t kSizeCap = std::uint64_t(1) << 48;

// Walks bytes already in memory (an entry table); every read checks what is left.
class TableCursor {
public:
  explicit TableCursor(std::string_view bytes) : bytes_(bytes) {}
  bool u32(std::uint32_t& value) {
    if (bytes_.size() < 4) return false;
    value = readLe32(bytes_.data());
    bytes_.remove_prefix(4);
    return true;
  }
  bool byte(std::uint8_t& value) {
    if (bytes_.empty()) return false;
    value = static_cast<std::uint8_t>(bytes_[0]);
    bytes_.remove_prefix(1);
    return true;
  }
  bool string(std::string& value) {
    std::uint32_t length = 0;
    if (!u32(length) || length > bytes_.size()) return false;
    value.assign(bytes_.substr(0, length));
    bytes_.remove_prefix(length);
    return true;
  }

private:
  std::string_view bytes_;
};

std::string decimal(std::uint32_t value) { return std::to_string(value); }

} // namespace

bool UdfReader::Source::contains(std::int64_t at, std::int64_t length) const {
  return stream && length >= 0 && at >= begin && at <= end && length <= end - at;
}

namespace {
// Reads exactly `count` bytes at an absolute position of a source.
template <class SourceT> bool readAt(const SourceT& source, std::int64_t at, char* out, std::size_t count) {
  if (!source.contains(at, static_cast<std::int64_t>(count))) return false;
  if (count == 0) return true;
  if (!source.stream->seek(at, kSeekStart)) return false;
  return source.stream->read(out, count) != 0;
}

// Sequential reads of the file header.
template <class SourceT> class HeaderCursor {
public:
  HeaderCursor(const SourceT& source, std::int64_t at) : source_(source), at_(at) {}
  std::int64_t position() const { return at_; }
  bool u32(std::uint32_t& value) {
    char bytes[4];
    if (!readAt(source_, at_, bytes, 4)) return false;
    value = readLe32(bytes);
    at_ += 4;
    return true;
  }
  bool byte(std::uint8_t& value) {
    char c = 0;
    if (!readAt(source_, at_, &c, 1)) return false;
    value = static_cast<std::uint8_t>(c);
    at_ += 1;
    return true;
  }
  bool string(std::string& value) {
    std::uint32_t length = 0;
    if (!u32(length) || !source_.contains(at_, length)) return false;
    value.assign(length, '\0');
    if (!readAt(source_, at_, value.data(), length)) return false;
    at_ += length;
    return true;
  }

private:
  const SourceT& source_;
  std::int64_t at_;
};
} // namespace

UdfReader::~UdfReader() { close(); }

void UdfReader::close() {
  if (stream_) stream_->close();
  ownedStream_.reset();
  stream_ = nullptr;
  file_ = Source{};
  root_ = nullptr;
  offsets_.clear();
}

std::unique_ptr<UdfNode> UdfReader::open(std::unique_ptr<Stream> stream) {
  if (!stream) return nullptr;
  close();
  ownedStream_ = std::move(stream);
  return openStream(*ownedStream_);
}

std::unique_ptr<UdfNode> UdfReader::open(Stream& stream) {
  close();
  return openStream(stream);
}

std::unique_ptr<UdfNode> UdfReader::openStream(Stream& stream) {
  stream_ = &stream;
  types_.clear();
  typeSizes_.clear();

  const std::int64_t start = stream.tell();
  std::int64_t end = start;
  if (stream.seek(0, kSeekEnd)) end = stream.tell();
  stream.seek(start, kSeekStart);
  file_ = Source{&stream, start, end};

  HeaderCursor<Source> header(file_, start);
  std::uint32_t fileSize = 0;
  std::string magic;
  if (!header.u32(fileSize) || !header.string(magic) || magic != kUdfMagic) {
    logLine("Error: not a UDF file\n");
    close();
    return nullptr;
  }
  std::uint32_t typeCount = 0;
  bool ok = header.u32(typeCount);
  for (std::uint32_t i = 0; ok && i < typeCount; ++i) {
    UdfType type;
    std::uint32_t fieldCount = 0;
    ok = header.string(type.name) && header.u32(fieldCount);
    for (std::uint32_t f = 0; ok && f < fieldCount; ++f) {
      UdfField field;
      std::uint8_t isArray = 0;
      ok = header.string(field.name) && header.string(field.typeName) && header.byte(isArray);
      field.isArray = isArray != 0;
      if (ok && field.isArray) ok = header.u32(field.elementCount);
      if (ok) type.fields.push_back(std::move(field));
    }
    if (ok) types_.emplace(type.name, std::move(type));
  }
  std::uint32_t rootSize = 0;
  if (!ok || !header.u32(rootSize)) {
    logLine("Error: UDF file is truncated\n");
    close();
    return nullptr;
  }
  if (!sizeTypes()) {
    close();
    return nullptr;
  }
  // The root size counts its own four bytes; the root's block is the rest of the file.
  const std::int64_t rootOffset = header.position();
  if (rootSize < 4 + 8 || !file_.contains(rootOffset, static_cast<std::int64_t>(rootSize) - 4) ||
      rootOffset > std::numeric_limits<std::uint32_t>::max()) {
    logLine("Error: UDF file is truncated\n");
    close();
    return nullptr;
  }
  auto root = std::make_unique<UdfNode>("_roottype", "_root", kUdfList);
  root->source_ = this;
  root->offset_ = static_cast<std::uint32_t>(rootOffset);
  root->size_ = rootSize;
  root_ = root.get();
  return root;
}

bool UdfReader::sizeTypes() {
  std::map<std::string, int> state;
  for (const auto& [name, type] : types_) {
    if (!sizeType(name, 0, state)) {
      logLine("Error: UDF type " + name + " contains itself or nests too deeply\n");
      return false;
    }
  }
  return true;
}

// Depth-first, so that a type that (indirectly) contains itself, which could have no
// finite size, is caught instead of recursing without end.
bool UdfReader::sizeType(const std::string& name, int depth, std::map<std::string, int>& state) {
  auto found = types_.find(name);
  if (found == types_.end()) return true;
  int& mark = state[name];
  if (mark == 2) return true;
  if (mark == 1 || depth > kMaxTypeDepth) return false;
  mark = 1;
  std::uint64_t total = 0;
  for (const UdfField& field : found->second.fields) {
    if (!sizeType(field.typeName, depth + 1, state)) return false;
    const std::uint64_t one = typeSize(field.typeName);
    const std::uint64_t count = field.isArray ? field.elementCount : 1;
    total = std::min(kSizeCap, total + std::min(kSizeCap, one * count));
  }
  typeSizes_[name] = total;
  state[name] = 2;
  return true;
}

std::uint64_t UdfReader::typeSize(const std::string& typeName) const {
  if (const std::uint32_t builtin = builtinTypeSize(typeName)) return builtin;
  auto found = typeSizes_.find(typeName);
  return found == typeSizes_.end() ? 0 : found->second;
}

std::int64_t UdfReader::blockLength(const UdfNode& node) const {
  // Only the root's stored size counts the size field in front of its block.
  return &node == root_ ? static_cast<std::int64_t>(node.size_) - 4 : node.size_;
}

bool UdfReader::load(UdfNode& node, unsigned options) {
  if (!stream_ || (node.source_ != this)) {
    logLine("Error: UDF node " + node.name_ + " does not belong to an open reader\n");
    return false;
  }
  return loadNode(node, options, 0, file_, nullptr);
}

bool UdfReader::loadNode(UdfNode& node, unsigned options, int depth, const Source& source, const UdfNode* blockOwner) {
  if (depth > kMaxDepth) {
    logLine("Error: UDF tree nests too deeply\n");
    return false;
  }
  if (node.loading_) {
    logLine("Error: UDF node " + node.name_ + " contains itself\n");
    return false;
  }
  // Without this, nodes that share children (each table naming the next one twice, say)
  // would be walked once per path: twice as often at every level.
  if (node.completeFor_ == static_cast<long>(options)) return true;
  node.loading_ = true;
  struct Done {
    UdfNode& node;
    ~Done() { node.loading_ = false; }
  } done{node};

  const std::int64_t length = blockLength(node);
  const Source& from = source.contains(node.offset_, length) ? source : file_;
  if (!node.isList()) return loadLeaf(node, options, depth, from, blockOwner);

  // The node's block in memory: kept as its data, or read for this load only.
  std::string temporary;
  bool haveBlock = node.wholeBlock_;
  if ((options & kUdfLoadKeepBlock) && !node.dataLoaded_) {
    std::string block;
    if (!tryResize(block, static_cast<std::size_t>(std::max<std::int64_t>(length, 0))) ||
        !readAt(from, node.offset_, block.data(), block.size()))
      return fail(node, "cannot be read");
    node.setOwnedData(std::move(block));
    node.size_ = static_cast<std::uint32_t>(&node == root_ ? length + 4 : length);
    node.wholeBlock_ = haveBlock = true;
  } else if (!haveBlock && (options & kUdfLoadReadBlock)) {
    if (!tryResize(temporary, static_cast<std::size_t>(std::max<std::int64_t>(length, 0))) ||
        !readAt(from, node.offset_, temporary.data(), temporary.size()))
      return fail(node, "cannot be read");
    haveBlock = true;
  }
  const std::string_view block = node.wholeBlock_ ? node.data_ : std::string_view(temporary);
  MemoryStream memory;
  Source inMemory;
  if (haveBlock) {
    memory.openOver(block);
    memory.setBaseOffset(node.offset_);
    inMemory = Source{&memory, node.offset_, node.offset_ + static_cast<std::int64_t>(block.size())};
  }
  const Source& local = haveBlock ? inMemory : from;

  if (!node.childrenLoaded_ && !readTable(node, local)) return false;
  if (options & kUdfLoadNoRecursion) return true;

  unsigned childOptions = options;
  if (options & kUdfLoadOneLevel) childOptions = (childOptions & ~kUdfLoadOneLevel) | kUdfLoadNoRecursion;
  if (options & kUdfLoadKeepBlock) childOptions |= kUdfLoadFromParent;
  const bool fromBlock = haveBlock && ((options & kUdfLoadReadBlock) || (childOptions & kUdfLoadFromParent));
  const Source& childSource = fromBlock ? local : from;
  const UdfNode* owner = node.wholeBlock_ ? &node : nullptr;
  for (auto& entry : node.children_) {
    if (!loadNode(*entry.value, childOptions, depth + 1, childSource, owner)) return false;
  }
  if (!(options & kUdfLoadOneLevel)) node.completeFor_ = static_cast<long>(options);
  return true;
}

bool UdfReader::loadLeaf(UdfNode& node, unsigned options, int depth, const Source& from, const UdfNode* blockOwner) {
  if (!node.dataLoaded_) {
    const std::int64_t inOwner = blockOwner ? static_cast<std::int64_t>(node.offset_) - blockOwner->offset_ : -1;
    if ((options & kUdfLoadShareParent) && blockOwner && inOwner >= 0 &&
        inOwner + node.size_ <= static_cast<std::int64_t>(blockOwner->data_.size())) {
      node.setBorrowedData(blockOwner->data_.substr(static_cast<std::size_t>(inOwner), node.size_));
    } else {
      std::string bytes;
      if (!tryResize(bytes, node.size_) || !readAt(from, node.offset_, bytes.data(), bytes.size()))
        return fail(node, "cannot be read");
      node.setOwnedData(std::move(bytes));
    }
  }
  if (options & kUdfLoadExpandTypes) return expand(node, options, depth);
  return true;
}

bool UdfReader::fail(const UdfNode& node, const char* what) {
  logLine("Error: UDF node " + node.name_ + " " + what + "\n");
  return false;
}

bool UdfReader::readTable(UdfNode& node, const Source& source) {
  char head[8];
  if (!readAt(source, node.offset_, head, sizeof head)) return fail(node, "has no table");
  const std::uint32_t tableSize = readLe32(head);
  const std::uint32_t count = readLe32(head + 4);
  if (tableSize < 8 || tableSize > blockLength(node)) return fail(node, "has a damaged table");
  std::string table;
  if (!tryResize(table, tableSize) || !readAt(source, node.offset_, table.data(), table.size()))
    return fail(node, "has a damaged table");

  TableCursor cursor(std::string_view(table).substr(8));
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string name;
    std::string typeName;
    std::uint8_t flags = 0;
    std::uint32_t elements = 0;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    if (!cursor.string(name) || !cursor.string(typeName) || !cursor.byte(flags) ||
        ((flags & kUdfHasCount) && !cursor.u32(elements)) || !cursor.u32(offset) || !cursor.u32(size))
      return fail(node, "has a damaged table");
    if (!file_.contains(offset, size)) return fail(node, ("has an entry " + name + " outside the file").c_str());
    if (!addEntry(node, name, typeName, flags, elements, offset, size)) return false;
  }
  node.childrenLoaded_ = true;
  return true;
}

bool UdfReader::addEntry(UdfNode& node, const std::string& name, const std::string& typeName, std::uint8_t flags,
                         std::uint32_t count, std::uint32_t offset, std::uint32_t size) {
  // A name met twice in one table: the first entry stands.
  if (node.children_.contains(name)) return true;
  const bool link = (flags & kUdfLink) != 0;
  UdfNode* child = nullptr;
  if (size != 0) {
    auto seen = offsets_.find(offset);
    if (seen != offsets_.end()) child = seen->second;
  }
  if (child) {
    // A block met again is the same node: links share it. One that is being loaded
    // right now is an ancestor, and taking it as a child would never end.
    if (child->loading_) return fail(*child, "contains itself");
    if (!link && !child->parent_ && child != root_) child->parent_ = &node;
    node.insertChild(name, child, link);
    return true;
  }
  auto created = std::make_unique<UdfNode>(typeName, name, static_cast<std::uint8_t>(flags & ~kUdfLink));
  created->source_ = this;
  created->elementCount_ = count;
  created->offset_ = offset;
  created->size_ = size;
  if (!link) created->parent_ = &node;
  child = created.get();
  root_->owned_.push_back(std::move(created));
  if (size != 0) offsets_.emplace(offset, child);
  node.insertChild(name, child, link);
  return true;
}

bool UdfReader::expand(UdfNode& node, unsigned options, int depth) {
  if (depth > kMaxDepth) return fail(node, "nests too deeply");
  if (node.isList()) return true;
  const std::uint32_t builtin = builtinTypeSize(node.typeName_);
  const bool arrayOfBuiltins = (options & kUdfLoadNoRecursion) && node.hasElementCount();
  if (builtin && !arrayOfBuiltins) return true;
  auto type = types_.find(node.typeName_);
  if (!builtin && type == types_.end()) return fail(node, ("has the unknown type " + node.typeName_).c_str());

  struct Slice {
    std::string name;
    std::string typeName;
    std::uint64_t length;
    bool hasCount;
    std::uint32_t count;
  };
  std::vector<Slice> slices;
  std::uint64_t total = 0;
  if (node.hasElementCount()) {
    const std::uint64_t element = builtin ? builtin : typeSize(node.typeName_);
    // A type without size would make any number of empty elements out of no bytes.
    if (element == 0 && node.elementCount_ > 0) return fail(node, "has elements of no size");
    if (element != 0 && node.elementCount_ > node.data_.size() / element)
      return fail(node, "is too short for its elements");
    for (std::uint32_t i = 0; i < node.elementCount_; ++i)
      slices.push_back({decimal(i), node.typeName_, element, false, 0});
  } else {
    for (const UdfField& field : type->second.fields) {
      const std::uint64_t length = typeSize(field.typeName) * (field.isArray ? field.elementCount : 1);
      total = std::min(kSizeCap, total + length);
      slices.push_back({field.name, field.typeName, length, field.isArray, field.elementCount});
    }
    if (total > node.data_.size()) return fail(node, "is too short for its fields");
  }

  node.flags_ |= kUdfList;
  node.childrenLoaded_ = true;
  std::uint64_t at = 0;
  std::vector<UdfNode*> added;
  for (const Slice& slice : slices) {
    auto child = std::make_unique<UdfNode>(slice.typeName, slice.name);
    child->source_ = this;
    child->offset_ = static_cast<std::uint32_t>(node.offset_ + at);
    const std::string_view bytes =
        node.data_.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(slice.length));
    if (options & kUdfLoadPointIntoData) {
      child->setBorrowedData(bytes);
    } else {
      child->setOwnedData(std::string(bytes));
    }
    if (slice.hasCount) child->setElementCount(slice.count);
    at += slice.length;
    if (UdfNode* kept = node.addChild(std::move(child))) added.push_back(kept);
  }
  if (options & kUdfLoadOneLevel) return true;
  for (UdfNode* child : added) {
    if (!expand(*child, options, depth + 1)) return false;
  }
  return true;
}

} // namespace engine
