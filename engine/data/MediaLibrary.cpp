#include "engine/data/MediaLibrary.h"

#include "engine/data/archive/MemFileArchive.h"

namespace engine {
namespace {

constexpr const char* kMediaFolder = "Media";

} // namespace

MediaLibrary::MediaLibrary() { mount(nullptr); }

MediaLibrary::~MediaLibrary() = default;

bool MediaLibrary::mountLinkedArchive(int resourceId) {
  mount(nullptr);
  linked_.reset();
  if (!resourcePresent(resourceId)) return false;
  auto archive = std::make_unique<MemFileArchive>();
  if (!archive->open(FileLocation::resource(resourceId))) return false;
  linked_ = std::move(archive);
  mount(linked_.get());
  return true;
}

void MediaLibrary::mount(Archive* archive) {
  archive_ = archive;
  searchPaths_ = FileSearchPaths();
  searchPaths_.add(FileLocation::disk(kMediaFolder));
  if (archive_) searchPaths_.add(FileLocation::inArchive(*archive_, kMediaFolder));
}

FileLocation MediaLibrary::locate(std::string_view name) const {
  return FileLocation::diskOrArchive(archive_, joinedPath(kMediaFolder, normalizedFileName(name)));
}

bool MediaLibrary::find(std::string_view name, FileLocation& location) const {
  FileLocation candidate = locate(name);
  // An archive answers that every name exists; only opening the entry tells.
  if (!FileLocation(candidate).openStream(kStreamRead)) return false;
  location = candidate;
  return true;
}

} // namespace engine
