// Writes RAR 2.0 archives of stored (uncompressed) entries: the form the media archive
// takes, readable by MemFileArchive and by common archivers (bsdtar lists and extracts it).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

class RarWriter {
public:
  // Starts the archive: the mark and a main header of a plain, non-solid archive.
  RarWriter();

  // Adds a folder entry (no data). `name` uses '\' as its separator, as stored.
  bool addDirectory(std::string_view name, std::uint32_t dosTime);
  // Adds a stored file. False (and nothing added) for an empty name, a name too long for
  // a header, or data of 4 GiB or more.
  bool addFile(std::string_view name, std::string_view bytes, std::uint32_t dosTime);

  // Ends the archive with the end-of-archive block and answers its bytes. Nothing can be
  // added afterwards.
  const std::string& finish();
  const std::string& bytes() const { return out_; }

private:
  bool addEntry(std::string_view name, std::string_view bytes, std::uint32_t dosTime, std::uint16_t flags,
                std::uint32_t attributes);
  void appendBlock(std::string header);

  std::string out_;
  bool finished_ = false;
};

} // namespace engine
