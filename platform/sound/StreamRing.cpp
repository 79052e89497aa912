#include "platform/sound/StreamRing.h"

#include <algorithm>

namespace sound {

std::uint32_t StreamRing::restart() {
  // Only the mixer writes the request, so it can count on its own last value; 0 means none.
  std::uint32_t use = wanted_.load(std::memory_order_relaxed) + 1;
  if (use == 0) use = 1;
  wanted_.store(use, std::memory_order_release);
  return use;
}

void StreamRing::begin(int channels, std::size_t capacity) {
  if (!frames_ || channels != channels_ || capacity != capacity_) {
    frames_ = std::make_unique<std::int16_t[]>(capacity * static_cast<std::size_t>(channels));
    capacity_ = capacity;
    channels_ = channels;
  }
  // The mixer reads nothing and writes no release while its request is unanswered.
  written_.store(0, std::memory_order_relaxed);
  released_.store(0, std::memory_order_relaxed);
}

std::int16_t* StreamRing::space(std::size_t& frames) {
  const std::uint64_t written = written_.load(std::memory_order_relaxed);
  const std::uint64_t released = released_.load(std::memory_order_acquire);
  const std::uint64_t limit = released + capacity_;
  const std::size_t offset = static_cast<std::size_t>(written % capacity_);
  frames =
      written >= limit ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(limit - written, capacity_ - offset));
  return frames_.get() + offset * static_cast<std::size_t>(channels_);
}

void StreamRing::commit(std::size_t frames) {
  written_.store(written_.load(std::memory_order_relaxed) + frames, std::memory_order_release);
}

} // namespace sound
