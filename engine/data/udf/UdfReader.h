// Reads UDF files: the header and type definitions on open, then the tree node by node
// on load. Every offset and size read from the file is checked against the file's bytes,
// so a damaged file fails its load instead of reading or allocating beyond what it holds.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "engine/data/Stream.h"
#include "engine/data/udf/UdfNode.h"
#include "engine/data/udf/UdfType.h"

namespace engine {

// Load options (0, the full copying recursive load, is what every loader uses).
constexpr unsigned kUdfLoadNoRecursion = 1;   // this node only (with 8: expand arrays of built-ins)
constexpr unsigned kUdfLoadPointIntoData = 2; // typed expansion slices point into the node's data
constexpr unsigned kUdfLoadOneLevel = 4;      // this node and its children
constexpr unsigned kUdfLoadExpandTypes = 8;   // split leaves into fields by their type
constexpr unsigned kUdfLoadReadBlock = 16;    // read the node's block with one read, parse it in memory
constexpr unsigned kUdfLoadFromParent = 32;   // parse from the parent's block when it is in memory
constexpr unsigned kUdfLoadKeepBlock = 64;    // every list keeps its whole block as its data
constexpr unsigned kUdfLoadShareParent = 128; // leaf data points into the parent's block

constexpr const char* kUdfMagic = "UDF Binary 1.0";

class UdfReader {
public:
  // Deeper trees are refused: hostile files must not exhaust the stack.
  static constexpr int kMaxDepth = 256;
  // Structure types may nest this deep.
  static constexpr int kMaxTypeDepth = 16;

  UdfReader() = default;
  ~UdfReader();
  UdfReader(const UdfReader&) = delete;
  UdfReader& operator=(const UdfReader&) = delete;

  // Reads the header from a stream positioned at the start of the file and answers the
  // root (owned by the caller; it owns every node the reader adds to its tree), or null
  // for a file that is not UDF or is damaged. The reader keeps the stream until close;
  // one it is given is also destroyed then.
  std::unique_ptr<UdfNode> open(Stream& stream);
  std::unique_ptr<UdfNode> open(std::unique_ptr<Stream> stream);
  void close();

  // Reads a node of this reader's tree: its table or data, and (by default) all below it.
  bool load(UdfNode& node, unsigned options = 0);

  const std::map<std::string, UdfType>& types() const { return types_; }
  std::uint64_t typeSize(const std::string& typeName) const;

private:
  struct Source {
    Stream* stream = nullptr;
    std::int64_t begin = 0;
    std::int64_t end = 0;
    bool contains(std::int64_t at, std::int64_t length) const;
  };

  std::unique_ptr<UdfNode> openStream(Stream& stream);
  bool sizeTypes();
  bool sizeType(const std::string& name, int depth, std::map<std::string, int>& state);
  bool loadNode(UdfNode& node, unsigned options, int depth, const Source& source, const UdfNode* blockOwner);
  bool loadLeaf(UdfNode& node, unsigned options, int depth, const Source& from, const UdfNode* blockOwner);
  static bool fail(const UdfNode& node, const char* what);
  bool readTable(UdfNode& node, const Source& source);
  bool addEntry(UdfNode& node, const std::string& name, const std::string& typeName, std::uint8_t flags,
                std::uint32_t count, std::uint32_t offset, std::uint32_t size);
  bool expand(UdfNode& node, unsigned options, int depth);
  std::int64_t blockLength(const UdfNode& node) const;

  Stream* stream_ = nullptr;
  std::unique_ptr<Stream> ownedStream_;
  Source file_;
  UdfNode* root_ = nullptr;
  std::map<std::string, UdfType> types_;
  std::map<std::string, std::uint64_t> typeSizes_;
  // Block offset -> node: entries at an offset seen before share that node (links).
  std::unordered_map<std::uint32_t, UdfNode*> offsets_;
};

} // namespace engine
