#include "engine/data/MemoryStream.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace engine {

bool MemoryStream::open(std::string_view, int mode) {
  mode_ = mode;
  position_ = 0;
  atEnd_ = false;
  return true;
}

bool MemoryStream::close() { return true; }

std::int64_t MemoryStream::tell() const { return position_ + baseOffset_; }

std::int64_t MemoryStream::size() const {
  return static_cast<std::int64_t>(writing() ? chunks_.size() : buffer_.size());
}

bool MemoryStream::seek(std::int64_t offset, int origin) {
  atEnd_ = false;
  std::int64_t target = 0;
  if (origin == kSeekCurrent) {
    target = position_ + offset;
  } else if (origin == kSeekEnd) {
    // Relative to the end of the content; the base offset only shifts absolute positions.
    target = size() + offset;
  } else {
    target = offset - baseOffset_;
  }
  if (target < 0 || target > size()) return false;
  position_ = target;
  return true;
}

bool MemoryStream::eof() const { return atEnd_; }

std::size_t MemoryStream::read(void* buffer, std::size_t count) {
  const std::int64_t length = size();
  if (position_ >= length) {
    atEnd_ = true;
    return 0;
  }
  count = std::min<std::size_t>(count, static_cast<std::size_t>(length - position_));
  const auto from = static_cast<std::size_t>(position_);
  if (writing()) {
    count = chunks_.read(from, static_cast<char*>(buffer), count);
  } else if (count > 0) {
    std::memcpy(buffer, buffer_.data() + from, count);
  }
  position_ += static_cast<std::int64_t>(count);
  return count;
}

std::size_t MemoryStream::write(const void* buffer, std::size_t count) {
  if (!writing() || count == 0) return 0;
  const auto at = static_cast<std::size_t>(position_);
  chunks_.erase(at, count);
  chunks_.insert(at, std::string_view(static_cast<const char*>(buffer), count));
  position_ += static_cast<std::int64_t>(count);
  return count;
}

void MemoryStream::setBuffer(std::string bytes) { buffer_.own(std::move(bytes)); }

void MemoryStream::borrowBuffer(const void* data, std::size_t size) { buffer_.borrow(data, size); }

void MemoryStream::loadChunks(std::string_view bytes) {
  chunks_.clear();
  chunks_.insert(0, bytes);
}

std::string MemoryStream::contents() const { return writing() ? chunks_.toString() : std::string(buffer_.view()); }

} // namespace engine
