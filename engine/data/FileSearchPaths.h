// How a bare file name is found: first relative to the current directory, then in each
// disk directory, then in each archive directory, in the order they were added. A Media
// folder next to the program therefore overrides the embedded archive file by file.
#pragma once

#include <vector>

#include "engine/data/FileLocation.h"

namespace engine {

class FileSearchPaths {
public:
  // Appends a directory to the disk list (when it has the disk bit) and to the archive
  // list (when it has the archive bit and an archive), unless it is there already.
  void add(const FileLocation& directory);
  // Adds every directory of `other`, disk list first, by the same rule.
  void merge(const FileSearchPaths& other);

  // Rewrites `location` to the first place that has the file; false (location unchanged)
  // when none has it.
  bool resolve(FileLocation& location) const;
  // As resolve; when nothing here has it, a disk file given by its absolute path names that
  // file itself (the search treats a leading '/' as the root of the media, "/clock.udf").
  bool resolveOrAbsolute(FileLocation& location) const;

  const std::vector<FileLocation>& diskDirectories() const { return disk_; }
  const std::vector<FileLocation>& archiveDirectories() const { return archives_; }

private:
  std::vector<FileLocation> disk_;
  std::vector<FileLocation> archives_;
};

// "/clock.udf" and "\\clock.udf" name "clock.udf": leading '/' then leading '\' go.
std::string normalizedFileName(std::string_view name);
// A directory path and a file name joined with '/', trailing separators of the directory
// dropped.
std::string joinedPath(std::string_view directory, std::string_view name);

} // namespace engine
