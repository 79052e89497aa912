#include "engine/data/archive/MemFileArchive.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "engine/core/Log.h"
#include "engine/core/Strings.h"
#include "engine/data/LittleEndian.h"
#include "engine/data/MemoryStream.h"
#include "engine/data/archive/RarFormat.h"

namespace engine {

bool ArchiveEntry::isDirectory() const { return (headFlags & rar::kDictionaryMask) == rar::kDirectory; }

std::string foldArchiveName(std::string_view name) {
  std::string folded(name.substr(0, std::min(name.size(), rar::kMaxCompared)));
  for (char& c : folded)
    c = isPathSeparator(c) ? '_' : asciiUpper(c);
  return folded;
}

namespace {

enum class WalkEnd { Finished, Stopped, NotAnArchive, Damaged };

// Walks the blocks of the archive and hands every file block to `visit`, which answers
// whether to stop. Every read is checked against the archive's bytes.
WalkEnd walkArchive(std::string_view bytes, std::uint16_t& mainFlags,
                    const std::function<bool(const ArchiveEntry&)>& visit) {
  mainFlags = 0;
  if (bytes.size() < rar::kMarkSize || std::memcmp(bytes.data(), rar::kMark, rar::kMarkSize) != 0)
    return WalkEnd::NotAnArchive;
  if (bytes.size() < rar::kMarkSize + rar::kMainHeadSize) return WalkEnd::NotAnArchive;
  mainFlags = readLe16(bytes.data() + rar::kMarkSize + 3);
  const std::uint16_t mainSize = readLe16(bytes.data() + rar::kMarkSize + 5);
  std::uint64_t at = rar::kMarkSize + std::max<std::size_t>(mainSize, rar::kMainHeadSize);

  bool afterFile = false;
  while (at + rar::kFileHeadFixedSize <= bytes.size()) {
    const auto start = static_cast<std::size_t>(at);
    const std::uint8_t type = static_cast<std::uint8_t>(bytes[start + 2]);
    const std::uint16_t flags = readLe16(bytes.data() + start + 3);
    const std::uint16_t headSize = readLe16(bytes.data() + start + 5);
    if (headSize < rar::kBaseHeadSize) break;
    const std::uint32_t addSize = (flags & rar::kLongBlock) ? readLe32(bytes.data() + start + 7) : 0;
    const std::uint64_t end = at + headSize + addSize;
    if (end <= at) break;
    // An old-style sub-block right after a file block ends the archive's files.
    if (type == rar::kOldSubBlock && afterFile) break;

    if (type == rar::kFileHead) {
      ArchiveEntry entry;
      entry.headFlags = flags;
      entry.packedSize = readLe32(bytes.data() + start + 7);
      entry.unpackedSize = readLe32(bytes.data() + start + 11);
      entry.hostOs = static_cast<std::uint8_t>(bytes[start + 15]);
      entry.fileCrc = readLe32(bytes.data() + start + 16);
      entry.fileTime = readLe32(bytes.data() + start + 20);
      entry.unpackVersion = static_cast<std::uint8_t>(bytes[start + 24]);
      entry.method = static_cast<std::uint8_t>(bytes[start + 25]);
      const std::uint16_t nameSize = readLe16(bytes.data() + start + 26);
      entry.attributes = readLe32(bytes.data() + start + 28);
      const std::size_t nameAt = start + rar::kFileHeadFixedSize;
      if (nameSize > bytes.size() - nameAt) return WalkEnd::Damaged;
      entry.name = std::string(bytes.substr(nameAt, std::min<std::size_t>(nameSize, rar::kMaxNameLength)));
      entry.dataOffset = nameAt + nameSize;
      if (visit(entry)) return WalkEnd::Stopped;
    }
    afterFile = type == rar::kFileHead;
    at = end;
  }
  return WalkEnd::Finished;
}

bool decodable(const ArchiveEntry& entry) {
  return entry.unpackVersion >= rar::kMinUnpackVersion && entry.unpackVersion <= rar::kMaxUnpackVersion &&
         entry.method == rar::kMethodStore;
}

// The entry's bytes, or false with a log line saying why not.
bool unpack(std::string_view archive, const ArchiveEntry& entry, std::string& out) {
  if (entry.unpackVersion < rar::kMinUnpackVersion || entry.unpackVersion > rar::kMaxUnpackVersion) {
    logLine("Error: archive entry " + entry.name + " needs unpack version " + std::to_string(entry.unpackVersion) +
            "\n");
    return false;
  }
  if (entry.method != rar::kMethodStore) {
    logLine("Error: archive entry " + entry.name + " is compressed; only stored entries can be read\n");
    return false;
  }
  // A stored entry holds its bytes as they are; one that claims more bytes than it stores
  // is damaged (and must not make us allocate what the archive cannot hold).
  if (entry.unpackedSize > entry.packedSize || entry.unpackedSize > archive.size() ||
      entry.dataOffset + entry.unpackedSize > archive.size()) {
    logLine("Error: archive entry " + entry.name + " runs past the end of the archive\n");
    return false;
  }
  if (!tryResize(out, entry.unpackedSize)) {
    logLine("Error: no memory for archive entry " + entry.name + "\n");
    return false;
  }
  archive.copy(out.data(), entry.unpackedSize, static_cast<std::size_t>(entry.dataOffset));
  if (crc32Of(out) != entry.fileCrc) {
    logLine("Error: archive entry " + entry.name + " fails its CRC check\n");
    out.clear();
    return false;
  }
  return true;
}

} // namespace

MemFileArchive::~MemFileArchive() { close(); }

bool MemFileArchive::open(const FileLocation& location) {
  close();
  FileLocation source = location;
  bool mayBorrow = true;
  ByteBlock block;
  if (!source.readAll(block, mayBorrow)) return false;
  data_ = std::move(block);
  return true;
}

void MemFileArchive::close() {
  if (!data_.borrowed()) data_.clear();
}

bool MemFileArchive::exists(std::string_view) { return true; }

bool MemFileArchive::extract(std::string_view name, std::string& out) const {
  out.clear();
  const std::string wanted = foldArchiveName(name);
  bool matched = false;
  bool extracted = false;
  bool solidBroken = false;
  std::uint16_t mainFlags = 0;
  const WalkEnd end = walkArchive(data_.view(), mainFlags, [&](const ArchiveEntry& entry) {
    const bool solid = (mainFlags & rar::kSolidArchive) != 0;
    if (foldArchiveName(entry.name) != wanted) {
      // In a solid archive each entry continues the decoder state of the ones before it,
      // so an entry that cannot be decoded spoils every later one.
      if (solid && !decodable(entry)) solidBroken = true;
      return false;
    }
    matched = true;
    if (solidBroken) {
      logLine("Error: archive entry " + entry.name + " follows an entry that cannot be decoded\n");
      return true;
    }
    extracted = unpack(data_.view(), entry, out);
    return true;
  });
  if (end == WalkEnd::NotAnArchive) logLine("Error: not a RAR archive\n");
  if (!matched && end == WalkEnd::Damaged) logLine("Error: archive is damaged\n");
  return matched && extracted;
}

bool MemFileArchive::list(std::vector<ArchiveEntry>& out) const {
  out.clear();
  std::uint16_t mainFlags = 0;
  const WalkEnd end = walkArchive(data_.view(), mainFlags, [&](const ArchiveEntry& entry) {
    out.push_back(entry);
    return false;
  });
  if (end == WalkEnd::NotAnArchive) logLine("Error: not a RAR archive\n");
  if (end == WalkEnd::Damaged) logLine("Error: archive is damaged\n");
  return end == WalkEnd::Finished;
}

std::unique_ptr<Stream> MemFileArchive::openFile(std::string_view name, int mode) {
  std::string bytes;
  if (!extract(name, bytes)) return nullptr;
  auto stream = std::make_unique<MemoryStream>();
  stream->open(name, mode);
  if (mode & kStreamWrite) {
    stream->loadChunks(bytes);
  } else {
    stream->setBuffer(std::move(bytes));
  }
  return stream;
}

} // namespace engine
