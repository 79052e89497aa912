// Writes UDF files. A node written once is referenced by offset wherever it appears
// again, so links cost one table entry each.
#pragma once

#include <string>
#include <vector>

#include "engine/data/Stream.h"
#include "engine/data/udf/UdfNode.h"
#include "engine/data/udf/UdfType.h"

namespace engine {

class UdfWriter {
public:
  // Writes the top-level nodes (the children of the file's root) and the type
  // definitions to a file. With `buildInMemoryFirst` the file is assembled in memory and
  // written with one write. False when the file cannot be written, a patch fails, or a
  // link names a node that is not in the saved tree (its entry could not be filled in).
  static bool save(const std::string& path, const std::vector<const UdfNode*>& nodes,
                   const std::vector<UdfType>* types = nullptr, bool buildInMemoryFirst = false);
  // The same into a stream opened for writing, from its start.
  static bool write(Stream& out, const std::vector<const UdfNode*>& nodes, const std::vector<UdfType>* types = nullptr);
  // The children of `root` as the file's top level, under their names in `root` and with
  // their link marks (how a loaded tree is saved again).
  static bool writeTree(Stream& out, const UdfNode& root, const std::vector<UdfType>* types = nullptr);
  static bool saveTree(const std::string& path, const UdfNode& root, const std::vector<UdfType>* types = nullptr,
                       bool buildInMemoryFirst = false);
};

} // namespace engine
