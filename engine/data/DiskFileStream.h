// A stream over a file on disk, opened through the C runtime.
#pragma once

#include <cstdio>

#include "engine/data/Stream.h"

namespace engine {

class DiskFileStream final : public Stream {
public:
  DiskFileStream() = default;
  ~DiskFileStream() override;
  DiskFileStream(const DiskFileStream&) = delete;
  DiskFileStream& operator=(const DiskFileStream&) = delete;

  // Read gives "rb", write "wb" (the file is created or emptied); read and write together
  // open an existing file for both ("r+b").
  bool open(std::string_view name, int mode) override;
  bool close() override;
  std::int64_t tell() const override;
  std::int64_t size() const override;
  bool seek(std::int64_t offset, int origin) override;
  bool eof() const override;
  // One block of `count` bytes: 1 when all of it moved, else 0.
  std::size_t read(void* buffer, std::size_t count) override;
  std::size_t write(const void* buffer, std::size_t count) override;

  static const char* modeString(int mode);

private:
  std::FILE* file_ = nullptr;
};

} // namespace engine
