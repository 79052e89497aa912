#include "engine/data/FileSearchPaths.h"

#include <algorithm>

#include "engine/core/Strings.h"
#include "engine/data/Archive.h"

namespace engine {

namespace {
// Location equality only looks at the bits of its left side; a folder is listed already
// when either side finds the other the same (a disk folder added again with the archive
// bit as well is the same disk folder).
bool listed(const std::vector<FileLocation>& list, const FileLocation& location) {
  return std::any_of(list.begin(), list.end(),
                     [&](const FileLocation& e) { return location.sameAs(e) || e.sameAs(location); });
}
} // namespace

void FileSearchPaths::add(const FileLocation& directory) {
  if ((directory.flags & kLocationDisk) && !listed(disk_, directory)) disk_.push_back(directory);
  if ((directory.flags & kLocationArchive) && directory.archive && !listed(archives_, directory))
    archives_.push_back(directory);
}

void FileSearchPaths::merge(const FileSearchPaths& other) {
  // Copies first: merging a list into itself must not walk a vector that grows.
  const std::vector<FileLocation> disk = other.disk_;
  const std::vector<FileLocation> archives = other.archives_;
  for (const FileLocation& entry : disk)
    add(entry);
  for (const FileLocation& entry : archives)
    add(entry);
}

std::string normalizedFileName(std::string_view name) { return std::string(trimLeading(trimLeading(name, '/'), '\\')); }

std::string joinedPath(std::string_view directory, std::string_view name) {
  std::string joined(trimTrailing(trimTrailing(directory, '\\'), '/'));
  joined += '/';
  joined += name;
  return joined;
}

bool FileSearchPaths::resolve(FileLocation& location) const {
  if (location.flags & kLocationMemory) {
    location.flags = kLocationMemory;
    return true;
  }
  if ((location.flags & kLocationResource) && resourcePresent(location.resourceId)) {
    location.flags = kLocationResource;
    return true;
  }
  const std::string name = normalizedFileName(location.path);
  if (location.flags & kLocationDisk) {
    if (diskFileReadable(name)) {
      location.flags = kLocationDisk;
      location.path = name;
      return true;
    }
    for (const FileLocation& folder : disk_) {
      std::string candidate = joinedPath(folder.path, name);
      if (diskFileReadable(candidate)) {
        location.flags = kLocationDisk;
        location.path = std::move(candidate);
        return true;
      }
    }
  }
  if (location.flags & kLocationArchive) {
    if (location.archive && location.archive->exists(name)) {
      location.flags = kLocationArchive;
      location.path = name;
      return true;
    }
    for (const FileLocation& folder : archives_) {
      std::string candidate = joinedPath(folder.path, name);
      if (folder.archive && folder.archive->exists(candidate)) {
        location.flags = kLocationArchive;
        location.archive = folder.archive;
        location.path = std::move(candidate);
        return true;
      }
    }
  }
  return false;
}

bool FileSearchPaths::resolveOrAbsolute(FileLocation& location) const {
  if (resolve(location)) return true;
  if ((location.flags & kLocationDisk) && !location.path.empty() && location.path[0] == '/' &&
      diskFileReadable(location.path)) {
    location.flags = kLocationDisk;
    return true;
  }
  return false;
}

} // namespace engine
