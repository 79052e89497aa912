#include "engine/data/FileLocation.h"

#include <functional>
#include <tuple>

#include "engine/core/Log.h"
#include "engine/core/Strings.h"
#include "engine/data/Archive.h"
#include "engine/data/DiskFileStream.h"
#include "engine/data/MemoryStream.h"
#include "platform/win32/resources.h"

namespace engine {

FileLocation FileLocation::inArchive(Archive& archive, std::string_view path) {
  FileLocation location;
  location.flags = kLocationArchive;
  location.path = std::string(path);
  location.archive = &archive;
  return location;
}

FileLocation FileLocation::diskOrArchive(Archive* archive, std::string_view path) {
  FileLocation location(path);
  location.flags = kLocationDisk | kLocationArchive;
  location.archive = archive;
  return location;
}

FileLocation FileLocation::resource(int id) {
  FileLocation location;
  location.flags = kLocationResource;
  location.resourceId = id;
  return location;
}

FileLocation FileLocation::memory(const void* data, std::uint32_t size, bool share) {
  FileLocation location;
  location.flags = kLocationMemory;
  location.blockData = data;
  location.blockSize = size;
  location.shareBlock = share;
  return location;
}

bool FileLocation::sameAs(const FileLocation& other) const {
  if ((flags & kLocationDisk) && !((other.flags & kLocationDisk) && path == other.path)) return false;
  if ((flags & kLocationArchive) &&
      !((other.flags & kLocationArchive) && archive == other.archive && path == other.path))
    return false;
  return true;
}

namespace {
int rankOf(const FileLocation& location) {
  if (location.flags & kLocationDisk) return 2;
  if (location.flags & kLocationArchive) return 1;
  return 0;
}
} // namespace

bool FileLocationLess::operator()(const FileLocation& a, const FileLocation& b) const {
  const int rankA = rankOf(a);
  const int rankB = rankOf(b);
  if (rankA != rankB) return rankA < rankB;
  if (rankA == 2) return compareNoCase(a.path, b.path) < 0;
  if (rankA == 1) {
    if (a.archive != b.archive) return std::less<const Archive*>()(a.archive, b.archive);
    return compareNoCase(a.path, b.path) < 0;
  }
  // Resources and memory blocks: distinct ids and blocks are distinct files.
  const auto key = [](const FileLocation& l) {
    return std::make_tuple(l.flags & (kLocationResource | kLocationMemory), l.resourceId,
                           reinterpret_cast<std::uintptr_t>(l.blockData), l.blockSize);
  };
  return key(a) < key(b);
}

bool resourcePresent(int id) {
  return FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(static_cast<WORD>(id)), kMemFileResourceType) !=
         nullptr;
}

bool loadResource(int id, const void*& data, std::uint32_t& size) {
  data = nullptr;
  size = 0;
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(static_cast<WORD>(id)), kMemFileResourceType);
  if (!found) return false;
  HGLOBAL loaded = LoadResource(module, found);
  if (!loaded) return false;
  const void* bytes = LockResource(loaded);
  if (!bytes) return false;
  data = bytes;
  size = SizeofResource(module, found);
  return true;
}

bool diskFileReadable(const std::string& path) {
  // Exactly the test of opening the file, so that a path found here also opens later.
  DiskFileStream probe;
  return probe.open(path, kStreamRead);
}

std::unique_ptr<Stream> FileLocation::openStream(int mode) {
  if (flags & (kLocationResource | kLocationMemory)) {
    auto stream = std::make_unique<MemoryStream>();
    stream->open("", mode);
    const void* data = nullptr;
    std::uint32_t size = 0;
    bool fromResource = false;
    if (flags & kLocationResource) {
      if (loadResource(resourceId, data, size)) {
        flags = kLocationResource;
        fromResource = true;
      } else {
        stream.reset();
      }
    } else {
      data = blockData;
      size = blockSize;
      flags = kLocationMemory;
    }
    if (stream) {
      const std::string_view bytes = size ? std::string_view(static_cast<const char*>(data), size) : std::string_view{};
      if (mode & kStreamWrite) {
        stream->loadChunks(bytes);
      } else if (shareBlock || fromResource) {
        stream->borrowBuffer(data, size);
      } else {
        stream->setBuffer(std::string(bytes));
      }
      return stream;
    }
  }
  if (flags & kLocationDisk) {
    auto stream = std::make_unique<DiskFileStream>();
    if (stream->open(path, mode)) {
      flags = kLocationDisk;
      return stream;
    }
  }
  if ((flags & kLocationArchive) && archive) {
    flags = kLocationArchive;
    return archive->openFile(path, mode);
  }
  return nullptr;
}

bool FileLocation::readAll(ByteBlock& out, bool& mayBorrow) {
  if (flags & kLocationResource) {
    const void* data = nullptr;
    std::uint32_t size = 0;
    if (loadResource(resourceId, data, size)) {
      if (mayBorrow) {
        out.borrow(data, size);
      } else {
        out.own(std::string(static_cast<const char*>(data), size));
      }
      return true;
    }
  }
  if (flags & kLocationMemory) {
    if (mayBorrow && shareBlock) {
      out.borrow(blockData, blockSize);
    } else {
      mayBorrow = false;
      out.own(blockSize ? std::string(static_cast<const char*>(blockData), blockSize) : std::string());
    }
    return true;
  }
  std::unique_ptr<Stream> stream = openStream(kStreamRead);
  if (!stream) return false;
  mayBorrow = false;
  const std::int64_t size = stream->size();
  std::string bytes;
  if (!tryResize(bytes, static_cast<std::size_t>(size > 0 ? size : 0))) {
    logLine("Error: no memory for the " + std::to_string(size) + " bytes of " + path + "\n");
    return false;
  }
  // A short read is a failure: half a file must not pass for the whole of it.
  const bool complete = bytes.empty() || stream->read(bytes.data(), bytes.size()) != 0;
  stream->close();
  if (!complete) return false;
  out.own(std::move(bytes));
  return true;
}

FileLocation FileLocation::directory() const {
  FileLocation folder = *this;
  folder.path = std::string(directoryPart(path));
  if (folder.path.empty()) folder.flags &= ~kLocationDisk;
  if (!archive) folder.flags &= ~kLocationArchive;
  return folder;
}

} // namespace engine
