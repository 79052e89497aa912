// The program's media: every file it reads by a media name ("/clock.udf", "c1.cam") comes
// from a "Media" folder in the working directory when that folder has it, else from the
// media archive linked into the program. The saver and the viewer each hold one.
#pragma once

#include <memory>
#include <string_view>

#include "engine/data/Archive.h"
#include "engine/data/FileLocation.h"
#include "engine/data/FileSearchPaths.h"

namespace engine {

// The resource (type "MemFile") the media archive is linked into the program as.
constexpr int kMediaArchiveResource = 147;

class MediaLibrary {
public:
  MediaLibrary();
  MediaLibrary(const MediaLibrary&) = delete;
  MediaLibrary& operator=(const MediaLibrary&) = delete;
  ~MediaLibrary();

  // Opens the archive linked as resource `resourceId`; false (and no archive) when the
  // program has none or it cannot be read. The "Media" folder works either way.
  bool mountLinkedArchive(int resourceId = kMediaArchiveResource);
  // Serves the archive entries from `archive`, which the caller keeps alive (null: none).
  void mount(Archive* archive);
  Archive* archive() const { return archive_; }

  // Where the media file `name` is ("/" or "\" in front of it or not): "Media/<name>" on
  // disk, else that entry of the archive. Nothing is opened; opening the location decides.
  FileLocation locate(std::string_view name) const;
  // The same, for a file that can be opened: false when neither place has it.
  bool find(std::string_view name, FileLocation& location) const;
  // The two "Media" folders, for loaders that search bare names (the texture store).
  const FileSearchPaths& searchPaths() const { return searchPaths_; }

private:
  std::unique_ptr<Archive> linked_;
  Archive* archive_ = nullptr;
  FileSearchPaths searchPaths_;
};

} // namespace engine
