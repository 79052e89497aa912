// Where a file lives: a disk path, an entry of an opened archive, a resource linked into
// the program, or a block of memory. Loaders build a location, resolve it through the
// search paths and then open a stream on it or read it whole.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/data/ByteBlock.h"
#include "engine/data/Stream.h"

namespace engine {

class Archive;

// Bits of `FileLocation::flags`. Before resolution several may be set (disk or archive);
// resolution leaves the one that was found.
constexpr std::uint32_t kLocationDisk = 1;
constexpr std::uint32_t kLocationArchive = 2;
constexpr std::uint32_t kLocationResource = 4;
constexpr std::uint32_t kLocationMemory = 8;

// The resource type of the embedded media archive (and of any resource a location names).
constexpr const char* kMemFileResourceType = "MemFile";

struct FileLocation {
  std::uint32_t flags = 0;
  std::string path;
  std::int32_t resourceId = 0;
  Archive* archive = nullptr;
  const void* blockData = nullptr;
  std::uint32_t blockSize = 0;
  // A memory block or resource may be handed to readers without copying.
  bool shareBlock = true;

  FileLocation() = default;
  // A disk file.
  explicit FileLocation(std::string_view diskPath) : flags(kLocationDisk), path(diskPath) {}

  static FileLocation disk(std::string_view path) { return FileLocation(path); }
  static FileLocation inArchive(Archive& archive, std::string_view path);
  static FileLocation diskOrArchive(Archive* archive, std::string_view path);
  static FileLocation resource(int id);
  static FileLocation memory(const void* data, std::uint32_t size, bool share = true);

  // Whether `other` names the same file as far as this location's disk and archive bits
  // say (the test that keeps search lists free of duplicates; it is not symmetric).
  bool sameAs(const FileLocation& other) const;

  // A new stream (owned by the caller) or null. The flags are narrowed to the kind of
  // location that was opened.
  std::unique_ptr<Stream> openStream(int mode);
  // The whole file. With `mayBorrow` set a resource or shared memory block is pointed at
  // instead of copied; on return `mayBorrow` tells whether that happened.
  bool readAll(ByteBlock& out, bool& mayBorrow);
  // The folder of this location's path, as a location of the same kind.
  FileLocation directory() const;
};

// A strict weak ordering of locations (the key order of caches keyed by file): locations
// of other kinds first, then archive entries by archive and path, then disk files by path;
// paths ignore case.
struct FileLocationLess {
  bool operator()(const FileLocation& a, const FileLocation& b) const;
};

// The resource of the program's own module with this id and type "MemFile".
bool resourcePresent(int id);
// Its bytes, or (null, 0) and false when it is missing or cannot be loaded.
bool loadResource(int id, const void*& data, std::uint32_t& size);

// Whether the C runtime opens this path for reading (folders do not count as files).
bool diskFileReadable(const std::string& path);

} // namespace engine
