// udf: a UDF file's tree as text, one node a line.
#include <cstdio>

#include "engine/core/Log.h"
#include "engine/data/DiskFileStream.h"
#include "engine/data/archive/RarFormat.h"
#include "engine/data/udf/UdfReader.h"
#include "tools/tickwood-media/MediaTool.h"

namespace tools {

namespace {

// Nodes shared by several entries are printed under each; a file built to share them at
// every level would print without end, so the listing stops here.
constexpr std::size_t kMaxLines = 1000000;

bool printChildren(const engine::UdfNode& node, int depth, std::size_t& lines, std::ostream& out) {
  for (const auto& entry : node.children()) {
    if (++lines > kMaxLines) return false;
    const engine::UdfNode& child = *entry.value;
    const bool link = node.isLink(entry.name);
    char flags[8];
    std::snprintf(flags, sizeof flags, "0x%02x", child.flags());
    out << std::string(static_cast<std::size_t>(depth) * 2, ' ') << entry.name << " : " << child.typeName()
        << " flags=" << flags;
    if (child.hasElementCount()) out << " count=" << child.elementCount();
    out << " size=" << child.size();
    if (!child.isList() && child.dataSize() > 0) {
      char crc[16];
      std::snprintf(crc, sizeof crc, "%08x", engine::crc32Of(child.bytes()));
      out << " crc=" << crc;
    }
    if (link) out << " link";
    out << "\n";
    if (!link && !printChildren(child, depth + 1, lines, out)) return false;
  }
  return true;
}

} // namespace

int printUdf(const std::string& path, std::ostream& out, std::ostream& err) {
  auto stream = std::make_unique<engine::DiskFileStream>();
  if (!stream->open(path, engine::kStreamRead)) {
    err << "tickwood-media: cannot read " << path << "\n";
    return 1;
  }
  engine::LogCapture log;
  engine::UdfReader reader;
  auto root = reader.open(std::move(stream));
  if (!root || !reader.load(*root, 0)) {
    err << "tickwood-media: " << path << ": " << lastReason(log.lines(), "cannot load the UDF file") << "\n";
    return 1;
  }
  std::size_t lines = 0;
  if (!printChildren(*root, 0, lines, out)) {
    err << "tickwood-media: " << path << ": the tree has more than " << kMaxLines << " nodes to print\n";
    return 1;
  }
  return 0;
}

} // namespace tools
