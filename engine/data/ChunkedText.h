// A byte sequence held as chunks of at most 16 KiB in a balanced tree whose nodes know the
// byte length of their subtree: a byte offset is found in logarithmic time, and inserting
// or overwriting in the middle of a large text moves one chunk, not the whole text. The
// memory stream writes through it (the UDF writer patches offsets back into its output).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace engine {

class ChunkedText {
public:
  static constexpr std::size_t kChunkSize = 0x4000;

  ChunkedText();
  ~ChunkedText();
  ChunkedText(ChunkedText&&) noexcept;
  ChunkedText& operator=(ChunkedText&&) noexcept;
  ChunkedText(const ChunkedText&) = delete;
  ChunkedText& operator=(const ChunkedText&) = delete;

  std::size_t size() const;
  std::size_t chunkCount() const;
  void clear();

  // Inserts at `offset` (clamped to the size): the chunk that ends there is topped up to
  // the chunk size first, the rest goes into new chunks.
  void insert(std::size_t offset, std::string_view bytes);
  // Removes up to `count` bytes from `offset`, splitting the chunks at both ends.
  void erase(std::size_t offset, std::size_t count);
  // Copies up to `count` bytes from `offset`; answers how many were copied.
  std::size_t read(std::size_t offset, char* out, std::size_t count) const;
  std::string toString() const;

private:
  struct Node;
  using Link = std::unique_ptr<Node>;

  static std::size_t total(const Node* node);
  static void update(Node* node);
  static Link merge(Link left, Link right);
  void split(Link tree, std::size_t offset, Link& left, Link& right);
  Link makeNode(std::string bytes);
  std::uint32_t nextPriority();

  Link root_;
  std::uint32_t seed_ = 0x9E3779B9u;
};

} // namespace engine
