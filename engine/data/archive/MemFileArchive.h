// The embedded media archive: a RAR 2.0 archive held in memory (normally the program's
// own "MemFile" resource, read in place) whose stored entries are served as streams.
// Every open walks the blocks from the start; no index is kept.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/data/Archive.h"
#include "engine/data/ByteBlock.h"
#include "engine/data/FileLocation.h"

namespace engine {

// One file block of the archive, as its header describes it.
struct ArchiveEntry {
  std::string name; // as stored (cut to 259 bytes), '\' separated
  std::uint16_t headFlags = 0;
  std::uint32_t packedSize = 0;
  std::uint32_t unpackedSize = 0;
  std::uint8_t hostOs = 0;
  std::uint32_t fileCrc = 0;
  std::uint32_t fileTime = 0;
  std::uint8_t unpackVersion = 0;
  std::uint8_t method = 0;
  std::uint32_t attributes = 0;
  std::uint64_t dataOffset = 0; // where the entry's data starts in the archive

  bool isDirectory() const;
};

// Archive names compare with '\' and '/' read as '_' and case ignored: "media/clock.udf",
// "MEDIA\CLOCK.UDF" and "Media_clock.udf" are one name.
std::string foldArchiveName(std::string_view name);

class MemFileArchive final : public Archive {
public:
  MemFileArchive() = default;
  ~MemFileArchive() override;
  MemFileArchive(const MemFileArchive&) = delete;
  MemFileArchive& operator=(const MemFileArchive&) = delete;

  // Reads the archive's bytes whole, in place when the location allows it.
  bool open(const FileLocation& location) override;
  // Frees owned bytes; bytes that belong to someone else are left as they are.
  void close() override;
  // Every name "exists": whether an entry opens is only known once it is extracted.
  bool exists(std::string_view name) override;
  std::unique_ptr<Stream> openFile(std::string_view name, int mode) override;

  // The bytes of the first entry of that name, checked against its CRC.
  bool extract(std::string_view name, std::string& out) const;
  // The file blocks in archive order; false when the bytes are not an archive or a block
  // is damaged (the entries before it are still listed).
  bool list(std::vector<ArchiveEntry>& out) const;

  std::string_view bytes() const { return data_.view(); }
  bool borrowed() const { return data_.borrowed(); }

private:
  ByteBlock data_;
};

} // namespace engine
