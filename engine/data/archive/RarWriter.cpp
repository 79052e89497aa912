#include "engine/data/archive/RarWriter.h"

#include <limits>

#include "engine/data/LittleEndian.h"
#include "engine/data/archive/RarFormat.h"

namespace engine {

// Every header is built with a zero CRC field and its CRC filled in once it is complete.
void RarWriter::appendBlock(std::string header) {
  const std::uint16_t crc = rar::headerCrc(std::string_view(header).substr(2));
  header[0] = static_cast<char>(crc & 0xFF);
  header[1] = static_cast<char>(crc >> 8);
  out_ += header;
}

RarWriter::RarWriter() {
  out_.assign(reinterpret_cast<const char*>(rar::kMark), rar::kMarkSize);
  std::string main;
  appendLe16(main, 0);
  main += static_cast<char>(rar::kMainHead);
  appendLe16(main, 0);
  appendLe16(main, rar::kMainHeadSize);
  appendLe16(main, 0); // reserved
  appendLe32(main, 0); // reserved
  appendBlock(std::move(main));
}

bool RarWriter::addDirectory(std::string_view name, std::uint32_t dosTime) {
  // Readers disagree on which marks a folder: RAR itself reads the dictionary bits,
  // libarchive the attribute. Both are set.
  return addEntry(name, {}, dosTime, rar::kLongBlock | rar::kDirectory, rar::kAttributeDirectory);
}

bool RarWriter::addFile(std::string_view name, std::string_view bytes, std::uint32_t dosTime) {
  return addEntry(name, bytes, dosTime, rar::kLongBlock, rar::kAttributeArchive);
}

bool RarWriter::addEntry(std::string_view name, std::string_view bytes, std::uint32_t dosTime, std::uint16_t flags,
                         std::uint32_t attributes) {
  if (finished_ || name.empty()) return false;
  if (name.size() > std::numeric_limits<std::uint16_t>::max() - rar::kFileHeadFixedSize) return false;
  if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) return false;
  const auto size = static_cast<std::uint32_t>(bytes.size());

  std::string header;
  header.reserve(rar::kFileHeadFixedSize + name.size());
  appendLe16(header, 0);
  header += static_cast<char>(rar::kFileHead);
  appendLe16(header, flags);
  appendLe16(header, static_cast<std::uint32_t>(rar::kFileHeadFixedSize + name.size()));
  appendLe32(header, size); // packed
  appendLe32(header, size); // unpacked
  header += static_cast<char>(rar::kHostWin32);
  appendLe32(header, crc32Of(bytes));
  appendLe32(header, dosTime);
  header += static_cast<char>(rar::kUnpackVersion);
  header += static_cast<char>(rar::kMethodStore);
  appendLe16(header, static_cast<std::uint32_t>(name.size()));
  appendLe32(header, attributes);
  header += name;
  appendBlock(std::move(header));
  out_ += bytes;
  return true;
}

const std::string& RarWriter::finish() {
  if (!finished_) {
    std::string end;
    appendLe16(end, 0);
    end += static_cast<char>(rar::kEndHead);
    appendLe16(end, rar::kSkipIfUnknown);
    appendLe16(end, rar::kBaseHeadSize);
    appendBlock(std::move(end));
    finished_ = true;
  }
  return out_;
}

} // namespace engine
