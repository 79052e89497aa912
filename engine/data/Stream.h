// The byte stream every loader reads from: a disk file or a block of memory behind one
// interface, so loaders never care where their bytes live.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace engine {

// `mode` bits of `Stream::open` and `FileLocation::openStream`.
constexpr int kStreamRead = 1;
constexpr int kStreamWrite = 2;

// `origin` of `Stream::seek`.
constexpr int kSeekStart = 0;
constexpr int kSeekCurrent = 1;
constexpr int kSeekEnd = 2;

class Stream {
public:
  virtual bool open(std::string_view name, int mode) = 0;
  virtual bool close() = 0;
  virtual std::int64_t tell() const = 0;
  virtual std::int64_t size() const = 0;
  virtual bool seek(std::int64_t offset, int origin) = 0;
  virtual bool eof() const = 0;
  virtual ~Stream() = default;
  // Both answer 0 when nothing was moved. A disk stream moves one whole block or nothing
  // (it answers 1 or 0); a memory stream answers the bytes moved. Callers that know how
  // many bytes are left therefore test the answer for non-zero.
  virtual std::size_t read(void* buffer, std::size_t count) = 0;
  virtual std::size_t write(const void* buffer, std::size_t count) = 0;

protected:
  Stream() = default;
  Stream(const Stream&) = default;
  Stream& operator=(const Stream&) = default;
};

} // namespace engine
