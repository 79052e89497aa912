// props: a props file's tree as text, one node a line.
#include <cstdio>

#include "engine/core/Log.h"
#include "engine/data/FileSearchPaths.h"
#include "engine/data/props/PropsParser.h"
#include "tools/tickwood-media/MediaTool.h"

namespace tools {

namespace {

const char* kindName(engine::PropsKind kind) {
  switch (kind) {
  case engine::PropsKind::Object:
    return "object";
  case engine::PropsKind::Array:
    return "array";
  case engine::PropsKind::Value:
    break;
  }
  return "value";
}

void printNodes(const engine::PropsMap& map, int depth, std::ostream& out) {
  for (const auto& entry : map) {
    const engine::PropsNode& node = *entry.value;
    out << std::string(static_cast<std::size_t>(depth) * 2, ' ') << entry.name << " " << kindName(node.kind());
    if (node.kind() == engine::PropsKind::Value) out << " = \"" << escapedValue(node.value()) << "\"";
    out << "\n";
    printNodes(node.children(), depth + 1, out);
  }
}

} // namespace

std::string escapedValue(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char code[8];
      std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned char>(c));
      out += code;
    } else {
      out += c;
    }
  }
  return out;
}

int printProps(const std::string& path, std::ostream& out, std::ostream& err) {
  const engine::FileLocation file(path);
  engine::FileSearchPaths paths;
  paths.add(file.directory()); // includes are found beside the file
  engine::LogCapture log;
  engine::PropsTree tree;
  if (!engine::parsePropsFile(file, tree, &paths)) {
    err << "tickwood-media: " << path << ": " << lastReason(log.lines(), "cannot read the props file") << "\n";
    return 1;
  }
  printNodes(tree, 0, out);
  return 0;
}

} // namespace tools
