#include "engine/data/DiskFileStream.h"

#include <filesystem>
#include <string>

namespace engine {

DiskFileStream::~DiskFileStream() { close(); }

const char* DiskFileStream::modeString(int mode) {
  const bool reading = (mode & kStreamRead) != 0;
  const bool writing = (mode & kStreamWrite) != 0;
  if (reading && writing) return "r+b";
  if (writing) return "wb";
  return "rb";
}

bool DiskFileStream::open(std::string_view name, int mode) {
  close();
  // A name cut short at a NUL byte would open some other file; a folder opens for
  // reading on some systems but is no file (and reports an absurd size).
  if (name.empty() || name.find('\0') != std::string_view::npos) return false;
  const std::string path(name);
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return false;
  file_ = std::fopen(path.c_str(), modeString(mode));
  return file_ != nullptr;
}

bool DiskFileStream::close() {
  if (!file_) return true;
  const bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok;
}

std::int64_t DiskFileStream::tell() const { return file_ ? std::ftell(file_) : -1; }

std::int64_t DiskFileStream::size() const {
  if (!file_) return 0;
  const long here = std::ftell(file_);
  if (here < 0 || std::fseek(file_, 0, SEEK_END) != 0) return 0;
  const long end = std::ftell(file_);
  std::fseek(file_, here, SEEK_SET);
  return end < 0 ? 0 : end;
}

bool DiskFileStream::seek(std::int64_t offset, int origin) {
  if (!file_) return false;
  const int whence = origin == kSeekCurrent ? SEEK_CUR : (origin == kSeekStart ? SEEK_SET : SEEK_END);
  return std::fseek(file_, static_cast<long>(offset), whence) == 0;
}

bool DiskFileStream::eof() const { return file_ ? std::feof(file_) != 0 : true; }

std::size_t DiskFileStream::read(void* buffer, std::size_t count) {
  if (!file_ || count == 0) return 0;
  return std::fread(buffer, count, 1, file_);
}

std::size_t DiskFileStream::write(const void* buffer, std::size_t count) {
  if (!file_ || count == 0) return 0;
  return std::fwrite(buffer, count, 1, file_);
}

} // namespace engine
