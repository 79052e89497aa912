// A stream over bytes in memory. Read mode serves a buffer that is either owned or
// borrowed (an archive entry, a resource, a caller's block); write mode keeps its content
// in a chunked container so that writes in the middle (patching sizes and offsets after
// the fact) stay cheap however large the content grows.
#pragma once

#include <string>
#include <string_view>

#include "engine/data/ByteBlock.h"
#include "engine/data/ChunkedText.h"
#include "engine/data/Stream.h"

namespace engine {

class MemoryStream final : public Stream {
public:
  MemoryStream() = default;
  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;

  // The name is ignored: a memory stream has no file behind it.
  bool open(std::string_view name, int mode) override;
  bool close() override;
  std::int64_t tell() const override;
  std::int64_t size() const override;
  bool seek(std::int64_t offset, int origin) override;
  bool eof() const override;
  std::size_t read(void* buffer, std::size_t count) override;
  // Write mode only: overwrites from the position on, growing the content past its end.
  std::size_t write(const void* buffer, std::size_t count) override;

  // The bytes read mode serves: taken over, or pointed at (they must outlive the stream).
  void setBuffer(std::string bytes);
  void borrowBuffer(const void* data, std::size_t size);
  // Opens for reading over bytes that belong to the caller.
  void openOver(std::string_view bytes) {
    open("", kStreamRead);
    borrowBuffer(bytes.data(), bytes.size());
  }
  // Write mode: the starting content of the chunk container.
  void loadChunks(std::string_view bytes);

  // Offsets given to seek and answered by tell are absolute positions of a file of which
  // this stream holds the part starting at `baseOffset`.
  void setBaseOffset(std::int64_t baseOffset) { baseOffset_ = baseOffset; }
  std::int64_t baseOffset() const { return baseOffset_; }

  int mode() const { return mode_; }
  bool writing() const { return (mode_ & kStreamWrite) != 0; }
  bool bufferBorrowed() const { return buffer_.borrowed() && buffer_.size() != 0; }
  // The whole content: the chunk container in write mode, the buffer otherwise.
  std::string contents() const;
  std::string_view buffer() const { return buffer_.view(); }

private:
  ByteBlock buffer_;
  ChunkedText chunks_;
  int mode_ = 0;
  std::int64_t baseOffset_ = 0;
  std::int64_t position_ = 0;
  bool atEnd_ = false;
};

} // namespace engine
