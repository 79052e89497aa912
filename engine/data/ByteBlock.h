// A whole file in memory: bytes the block owns, or bytes it points at that belong to
// someone else (a resource linked into the program, a caller's memory block).
#pragma once

#include <cstddef>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace engine {

// Makes room for `size` bytes of a file; false instead of an exception when the memory is
// not there (a file's size is data, and loaders fail cleanly on data).
inline bool tryResize(std::string& bytes, std::size_t size) {
  try {
    bytes.assign(size, '\0');
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  bytes.clear();
  return false;
}

class ByteBlock {
public:
  ByteBlock() = default;
  ByteBlock(const ByteBlock& other) { *this = other; }
  ByteBlock(ByteBlock&& other) noexcept { *this = std::move(other); }
  ByteBlock& operator=(const ByteBlock& other) {
    if (this == &other) return *this;
    if (other.borrowed_)
      borrow(other.view_.data(), other.view_.size());
    else
      own(other.owned_);
    return *this;
  }
  ByteBlock& operator=(ByteBlock&& other) noexcept {
    if (this == &other) return *this;
    if (other.borrowed_)
      borrow(other.view_.data(), other.view_.size());
    else
      own(std::move(other.owned_));
    other.clear();
    return *this;
  }

  void own(std::string bytes) {
    owned_ = std::move(bytes);
    view_ = owned_;
    borrowed_ = false;
  }
  void borrow(const void* data, std::size_t size) {
    owned_.clear();
    view_ = size ? std::string_view(static_cast<const char*>(data), size) : std::string_view{};
    borrowed_ = true;
  }
  void clear() { own({}); }

  const char* data() const { return view_.data(); }
  std::size_t size() const { return view_.size(); }
  std::string_view view() const { return view_; }
  bool borrowed() const { return borrowed_; }
  // The bytes as an owned string (copied when borrowed); the block is left empty.
  std::string release() {
    std::string out = borrowed_ ? std::string(view_) : std::move(owned_);
    clear();
    return out;
  }

private:
  std::string owned_;
  std::string_view view_;
  bool borrowed_ = false;
};

} // namespace engine
