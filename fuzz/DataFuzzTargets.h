// What the data-layer fuzzers do with one input, shared with the unit test that replays
// the committed corpora. Each run must neither crash nor read outside the input, and the
// checks below abort on a broken invariant.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Log.h"
#include "engine/data/MemoryStream.h"
#include "engine/data/archive/MemFileArchive.h"
#include "engine/data/archive/RarFormat.h"
#include "engine/data/props/PropsParser.h"
#include "engine/data/udf/UdfReader.h"
#include "engine/data/udf/UdfWriter.h"

namespace fuzztargets {

inline void require(bool condition) {
  if (!condition) std::abort();
}

// The archive walk: list the blocks, then open the listed names and a name from the input.
inline void runArchive(const std::uint8_t* data, std::size_t size) {
  engine::LogCapture quiet;
  engine::MemFileArchive archive;
  require(archive.open(engine::FileLocation::memory(data, static_cast<std::uint32_t>(size))));
  std::vector<engine::ArchiveEntry> entries;
  archive.list(entries);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < entries.size() && i < 8; ++i)
    names.push_back(entries[i].name);
  names.emplace_back(reinterpret_cast<const char*>(data), size < 16 ? size : 16);
  for (const std::string& name : names) {
    auto stream = archive.openFile(name, engine::kStreamRead);
    if (!stream) continue;
    // An entry opens only with its CRC right, so its bytes are exactly what it claims.
    const auto& memory = static_cast<engine::MemoryStream&>(*stream);
    bool found = false;
    for (const engine::ArchiveEntry& entry : entries) {
      if (engine::foldArchiveName(entry.name) == engine::foldArchiveName(name)) {
        require(memory.buffer().size() == entry.unpackedSize && engine::crc32Of(memory.buffer()) == entry.fileCrc);
        found = true;
        break;
      }
    }
    require(found);
    auto writable = archive.openFile(name, engine::kStreamRead | engine::kStreamWrite);
    require(writable && writable->size() == stream->size());
  }
}

inline void touchProps(const engine::PropsMap& map, int depth) {
  require(depth <= engine::PropsMap::kMaxDepth);
  for (const auto& entry : map) {
    const engine::PropsNode& node = *entry.value;
    require(node.depth() == depth + 1);
    bool ok = false;
    const int number = node.asInt(&ok);
    require(ok || number == 0);
    (void)node.asFloat();
    touchProps(node.children(), depth + 1);
  }
}

// The props parser, then a walk and the lookups loaders make.
inline void runProps(const std::uint8_t* data, std::size_t size) {
  engine::LogCapture quiet;
  engine::MemoryStream stream;
  stream.openOver(std::string_view(reinterpret_cast<const char*>(data), size));
  engine::PropsTree tree;
  engine::parseProps(stream, tree);
  touchProps(tree, 0);
  const std::string_view text(reinterpret_cast<const char*>(data), size < 32 ? size : 32);
  (void)tree.getFloat(text, 0.0);
  (void)tree.getInt("Styles[0].Size", 0);
  (void)tree.getString("Sizes[\"0\"]", "");
}

struct UdfDump {
  std::string text;
  std::size_t lines = 0;
};

inline void dumpUdf(const engine::UdfNode& node, UdfDump& dump) {
  for (const auto& entry : node.children()) {
    if (++dump.lines > 5000) return; // shared nodes can make a small file a huge tree
    const engine::UdfNode& child = *entry.value;
    const bool link = node.isLink(entry.name);
    dump.text += entry.name + "|" + child.typeName() + "|" + std::to_string(child.flags()) + "|" +
                 std::to_string(child.hasElementCount() ? child.elementCount() : 0) + "|" + (link ? "L" : "") + "|" +
                 std::string(child.isList() ? std::string_view{} : child.bytes()) + "\n";
    if (!link) dumpUdf(child, dump);
  }
}

// The UDF reader; a tree that loads must write out and read back as the same tree.
inline void runUdf(const std::uint8_t* data, std::size_t size) {
  engine::LogCapture quiet;
  engine::MemoryStream stream;
  stream.openOver(std::string_view(reinterpret_cast<const char*>(data), size));
  engine::UdfReader reader;
  auto root = reader.open(stream);
  if (!root || !reader.load(*root, 0)) return;
  UdfDump original;
  dumpUdf(*root, original);

  std::vector<engine::UdfType> types;
  for (const auto& [name, type] : reader.types())
    types.push_back(type);
  engine::MemoryStream out;
  out.open("", engine::kStreamWrite);
  if (!engine::UdfWriter::writeTree(out, *root, &types)) return; // e.g. a link to a node no table owns
  const std::string bytes = out.contents();

  engine::MemoryStream again;
  again.openOver(bytes);
  engine::UdfReader rereader;
  auto reread = rereader.open(again);
  require(reread && rereader.load(*reread, 0));
  UdfDump copy;
  dumpUdf(*reread, copy);
  require(copy.text == original.text);

  // The other load options read the same bytes.
  engine::UdfReader optioned;
  stream.seek(0, engine::kSeekStart);
  if (auto other = optioned.open(stream)) optioned.load(*other, data[size / 2] | 0u);
}

} // namespace fuzztargets
