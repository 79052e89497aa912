#include "engine/data/ChunkedText.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace engine {

// A treap: heap-ordered random priorities keep it balanced with high probability, and
// split/merge by byte offset are all the operations the stream needs.
struct ChunkedText::Node {
  std::string bytes;
  std::uint32_t priority = 0;
  std::size_t total = 0;
  Link left;
  Link right;
  std::size_t count = 1;
};

ChunkedText::ChunkedText() = default;
ChunkedText::~ChunkedText() = default;
ChunkedText::ChunkedText(ChunkedText&&) noexcept = default;
ChunkedText& ChunkedText::operator=(ChunkedText&&) noexcept = default;

std::size_t ChunkedText::total(const Node* node) { return node ? node->total : 0; }

void ChunkedText::update(Node* node) {
  node->total = total(node->left.get()) + node->bytes.size() + total(node->right.get());
  node->count = 1 + (node->left ? node->left->count : 0) + (node->right ? node->right->count : 0);
}

std::size_t ChunkedText::size() const { return total(root_.get()); }
std::size_t ChunkedText::chunkCount() const { return root_ ? root_->count : 0; }
void ChunkedText::clear() { root_.reset(); }

std::uint32_t ChunkedText::nextPriority() {
  // xorshift32: deterministic, so two identical write sequences build identical trees.
  seed_ ^= seed_ << 13;
  seed_ ^= seed_ >> 17;
  seed_ ^= seed_ << 5;
  return seed_;
}

ChunkedText::Link ChunkedText::makeNode(std::string bytes) {
  auto node = std::make_unique<Node>();
  node->bytes = std::move(bytes);
  node->priority = nextPriority();
  update(node.get());
  return node;
}

ChunkedText::Link ChunkedText::merge(Link left, Link right) {
  if (!left) return right;
  if (!right) return left;
  if (left->priority > right->priority) {
    left->right = merge(std::move(left->right), std::move(right));
    update(left.get());
    return left;
  }
  right->left = merge(std::move(left), std::move(right->left));
  update(right.get());
  return right;
}

void ChunkedText::split(Link tree, std::size_t offset, Link& left, Link& right) {
  if (!tree) {
    left.reset();
    right.reset();
    return;
  }
  const std::size_t before = total(tree->left.get());
  const std::size_t own = tree->bytes.size();
  if (offset <= before) {
    Link lower;
    split(std::move(tree->left), offset, lower, tree->left);
    update(tree.get());
    left = std::move(lower);
    right = std::move(tree);
  } else if (offset >= before + own) {
    Link upper;
    split(std::move(tree->right), offset - before - own, tree->right, upper);
    update(tree.get());
    left = std::move(tree);
    right = std::move(upper);
  } else {
    // The offset falls inside this chunk: its tail becomes a chunk of its own.
    const std::size_t cut = offset - before;
    Link tail = makeNode(tree->bytes.substr(cut));
    tree->bytes.resize(cut);
    Link after = std::move(tree->right);
    update(tree.get());
    left = std::move(tree);
    right = merge(std::move(tail), std::move(after));
  }
}

void ChunkedText::insert(std::size_t offset, std::string_view bytes) {
  if (bytes.empty()) return;
  offset = std::min(offset, size());
  Link left;
  Link right;
  split(std::move(root_), offset, left, right);

  if (left) {
    std::vector<Node*> spine;
    for (Node* node = left.get(); node; node = node->right.get())
      spine.push_back(node);
    Node* last = spine.back();
    const std::size_t room = kChunkSize > last->bytes.size() ? kChunkSize - last->bytes.size() : 0;
    const std::size_t topUp = std::min(room, bytes.size());
    last->bytes.append(bytes.substr(0, topUp));
    bytes.remove_prefix(topUp);
    for (auto it = spine.rbegin(); it != spine.rend(); ++it)
      update(*it);
  }
  while (!bytes.empty()) {
    const std::size_t take = std::min(kChunkSize, bytes.size());
    left = merge(std::move(left), makeNode(std::string(bytes.substr(0, take))));
    bytes.remove_prefix(take);
  }
  root_ = merge(std::move(left), std::move(right));
}

void ChunkedText::erase(std::size_t offset, std::size_t count) {
  const std::size_t length = size();
  if (offset >= length || count == 0) return;
  count = std::min(count, length - offset);
  Link left;
  Link middle;
  Link right;
  split(std::move(root_), offset, left, middle);
  split(std::move(middle), count, middle, right);
  root_ = merge(std::move(left), std::move(right));
}

namespace {
template <class NodeT> void copyRange(const NodeT* node, std::size_t from, char*& out, std::size_t& left) {
  if (!node || left == 0) return;
  const std::size_t before = node->left ? node->left->total : 0;
  if (from < before) copyRange(node->left.get(), from, out, left);
  if (left == 0) return;
  const std::size_t start = from > before ? from - before : 0;
  if (start < node->bytes.size()) {
    const std::size_t take = std::min(left, node->bytes.size() - start);
    std::memcpy(out, node->bytes.data() + start, take);
    out += take;
    left -= take;
  }
  const std::size_t after = before + node->bytes.size();
  if (left > 0) copyRange(node->right.get(), from > after ? from - after : 0, out, left);
}

template <class NodeT> void appendAll(const NodeT* node, std::string& out) {
  if (!node) return;
  appendAll(node->left.get(), out);
  out += node->bytes;
  appendAll(node->right.get(), out);
}
} // namespace

std::size_t ChunkedText::read(std::size_t offset, char* out, std::size_t count) const {
  const std::size_t length = size();
  if (offset >= length) return 0;
  count = std::min(count, length - offset);
  std::size_t left = count;
  copyRange(root_.get(), offset, out, left);
  return count - left;
}

std::string ChunkedText::toString() const {
  std::string out;
  out.reserve(size());
  appendAll(root_.get(), out);
  return out;
}

} // namespace engine
