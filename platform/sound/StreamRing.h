// The frames of one channel of a streamed sample on their way from the feeder's thread to the
// mixer's: a ring with one writer and one reader and no lock. Frames are numbered from the
// channel's start across loops; the feeder writes ahead of the mixer, the mixer tells how far
// it has read, and a restart ("use") is the mixer's request that the feeder begin again from
// the sample's first frame.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace sound {

class StreamRing {
public:
  // The mixer's side. Until ready(use), the ring's storage and frames belong to the feeder.
  std::uint32_t restart();
  bool ready(std::uint32_t use) const { return use != 0 && ready_.load(std::memory_order_acquire) == use; }
  std::uint64_t written() const { return written_.load(std::memory_order_acquire); }
  const std::int16_t* frame(std::uint64_t index) const {
    return frames_.get() + (index % capacity_) * static_cast<std::size_t>(channels_);
  }
  // The frames before `index` are no longer read.
  void release(std::uint64_t index) { released_.store(index, std::memory_order_release); }
  void countDry(std::uint64_t frames) { dry_.fetch_add(frames, std::memory_order_relaxed); }

  // The feeder's side.
  std::uint32_t wanted() const { return wanted_.load(std::memory_order_acquire); }
  // Empties the ring for the use the mixer asked for (allocating it the first time).
  void begin(int channels, std::size_t capacity);
  // Where the next frames go and how many fit there in one piece (0: the ring is full).
  std::int16_t* space(std::size_t& frames);
  void commit(std::size_t frames);
  // Hands the ring to the mixer for `use`.
  void publish(std::uint32_t use) { ready_.store(use, std::memory_order_release); }
  std::uint64_t dryFrames() const { return dry_.load(std::memory_order_relaxed); }

private:
  std::unique_ptr<std::int16_t[]> frames_;
  std::size_t capacity_ = 0; // in frames
  int channels_ = 0;
  std::atomic<std::uint32_t> wanted_{0}; // written by the mixer
  std::atomic<std::uint32_t> ready_{0};  // written by the feeder
  std::atomic<std::uint64_t> written_{0};
  std::atomic<std::uint64_t> released_{0};
  std::atomic<std::uint64_t> dry_{0};
};

} // namespace sound
