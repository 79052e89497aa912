#include "engine/data/udf/UdfWriter.h"

#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "engine/core/Log.h"
#include "engine/data/DiskFileStream.h"
#include "engine/data/LittleEndian.h"
#include "engine/data/MemoryStream.h"
#include "engine/data/udf/UdfReader.h"

namespace engine {

namespace {

void putString(std::string& out, std::string_view text) {
  appendLe32(out, static_cast<std::uint32_t>(text.size()));
  out += text;
}

// One save: the stream, where it stands, and what is left to patch once every block is
// in place.
class UdfWriteJob {
public:
  explicit UdfWriteJob(Stream& out) : out_(out) {}

  bool run(const std::vector<const UdfNode*>& nodes, const std::vector<UdfType>* types) {
    std::vector<Child> top;
    for (const UdfNode* node : nodes) {
      if (node) top.push_back({node->name(), node, false});
    }
    return runTop(top, types);
  }

  bool runTree(const UdfNode& root, const std::vector<UdfType>* types) { return runTop(childrenOf(root), types); }

private:
  struct Child {
    std::string_view name;
    const UdfNode* node;
    bool link;
  };

  bool runTop(const std::vector<Child>& top, const std::vector<UdfType>* types) {
    std::string header;
    appendLe32(header, 0); // file size, patched
    putString(header, kUdfMagic);
    appendLe32(header, types ? static_cast<std::uint32_t>(types->size()) : 0);
    if (types) {
      for (const UdfType& type : *types) {
        putString(header, type.name);
        appendLe32(header, static_cast<std::uint32_t>(type.fields.size()));
        for (const UdfField& field : type.fields) {
          putString(header, field.name);
          putString(header, field.typeName);
          header += static_cast<char>(field.isArray ? 1 : 0);
          if (field.isArray) appendLe32(header, field.elementCount);
        }
      }
    }
    const std::int64_t rootSizeAt = static_cast<std::int64_t>(header.size());
    appendLe32(header, 0); // root size, patched
    if (!emit(header)) return false;

    if (!writeList(top, 0)) return false;

    const std::int64_t end = position_;
    if (end > std::numeric_limits<std::uint32_t>::max()) return false;
    bool ok = true;
    for (const Placeholder& placeholder : placeholders_) {
      auto written = written_.find(placeholder.node);
      if (written == written_.end()) {
        logLine("Error: UDF link " + placeholder.node->name() + " names a node outside the saved tree\n");
        ok = false;
        continue;
      }
      std::string entry;
      appendLe32(entry, written->second.offset);
      appendLe32(entry, written->second.size);
      ok = patch(placeholder.at, entry) && ok;
    }
    for (const TableSize& table : tableSizes_) {
      std::string size;
      appendLe32(size, table.size);
      ok = patch(table.at, size) && ok;
    }
    std::string rootSize;
    appendLe32(rootSize, static_cast<std::uint32_t>(end - rootSizeAt));
    ok = patch(rootSizeAt, rootSize) && ok;
    std::string fileSize;
    appendLe32(fileSize, static_cast<std::uint32_t>(end));
    ok = patch(0, fileSize) && ok;
    return ok;
  }

  struct Block {
    std::uint32_t offset;
    std::uint32_t size;
  };
  struct Placeholder {
    std::int64_t at;
    const UdfNode* node;
  };
  struct TableSize {
    std::int64_t at;
    std::uint32_t size;
  };

  bool emit(std::string_view bytes) {
    if (bytes.empty()) return true;
    if (out_.write(bytes.data(), bytes.size()) == 0) return false;
    position_ += static_cast<std::int64_t>(bytes.size());
    return position_ <= std::numeric_limits<std::uint32_t>::max();
  }

  bool patch(std::int64_t at, std::string_view bytes) {
    return out_.seek(at, kSeekStart) && out_.write(bytes.data(), bytes.size()) != 0;
  }

  static std::vector<Child> childrenOf(const UdfNode& node) {
    std::vector<Child> children;
    for (const auto& entry : node.children())
      children.push_back({entry.name, entry.value, node.isLink(entry.name)});
    return children;
  }

  bool writeList(const std::vector<Child>& children, int depth) {
    if (depth > UdfReader::kMaxDepth) {
      logLine("Error: UDF tree nests too deeply to be written\n");
      return false;
    }
    const std::int64_t start = position_;
    std::string table;
    appendLe32(table, 0); // table size, patched
    appendLe32(table, static_cast<std::uint32_t>(children.size()));
    for (const Child& child : children) {
      const UdfNode& node = *child.node;
      putString(table, child.name);
      putString(table, node.typeName());
      std::uint8_t flags = node.flags() & ~kUdfLink;
      if (child.link) flags |= kUdfLink;
      table += static_cast<char>(flags);
      if (flags & kUdfHasCount) appendLe32(table, node.elementCount());
      auto written = written_.find(&node);
      if (written != written_.end()) {
        appendLe32(table, written->second.offset);
        appendLe32(table, written->second.size);
      } else {
        placeholders_.push_back({start + static_cast<std::int64_t>(table.size()), &node});
        table += "DataArea";
      }
    }
    tableSizes_.push_back({start, static_cast<std::uint32_t>(table.size())});
    if (!emit(table)) return false;
    for (const Child& child : children) {
      if (!child.link && !written_.count(child.node) && !writeNode(*child.node, depth + 1)) return false;
    }
    return true;
  }

  bool writeNode(const UdfNode& node, int depth) {
    // A node inside its own block could only be written by writing it forever.
    if (!inProgress_.insert(&node).second) {
      logLine("Error: UDF node " + node.name() + " contains itself\n");
      return false;
    }
    const std::int64_t start = position_;
    const bool ok = node.isList() ? writeList(childrenOf(node), depth) : emit(node.bytes());
    inProgress_.erase(&node);
    if (!ok) return false;
    written_[&node] = Block{static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(position_ - start)};
    return true;
  }

  Stream& out_;
  std::int64_t position_ = 0;
  std::unordered_map<const UdfNode*, Block> written_;
  std::unordered_set<const UdfNode*> inProgress_;
  std::vector<Placeholder> placeholders_;
  std::vector<TableSize> tableSizes_;
};

} // namespace

bool UdfWriter::write(Stream& out, const std::vector<const UdfNode*>& nodes, const std::vector<UdfType>* types) {
  return UdfWriteJob(out).run(nodes, types);
}

bool UdfWriter::writeTree(Stream& out, const UdfNode& root, const std::vector<UdfType>* types) {
  return UdfWriteJob(out).runTree(root, types);
}

namespace {
template <class Write> bool saveWith(const std::string& path, bool buildInMemoryFirst, Write write) {
  if (buildInMemoryFirst) {
    MemoryStream memory;
    memory.open(path, kStreamWrite);
    if (!write(memory)) return false;
    const std::string bytes = memory.contents();
    DiskFileStream file;
    if (!file.open(path, kStreamWrite)) return false;
    const bool written = file.write(bytes.data(), bytes.size()) != 0;
    return file.close() && written;
  }
  DiskFileStream file;
  if (!file.open(path, kStreamWrite)) return false;
  const bool ok = write(file);
  return file.close() && ok;
}
} // namespace

bool UdfWriter::save(const std::string& path, const std::vector<const UdfNode*>& nodes,
                     const std::vector<UdfType>* types, bool buildInMemoryFirst) {
  return saveWith(path, buildInMemoryFirst, [&](Stream& out) { return write(out, nodes, types); });
}

bool UdfWriter::saveTree(const std::string& path, const UdfNode& root, const std::vector<UdfType>* types,
                         bool buildInMemoryFirst) {
  return saveWith(path, buildInMemoryFirst, [&](Stream& out) { return writeTree(out, root, types); });
}

} // namespace engine
