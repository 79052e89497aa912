// Frames per second over windows of about a second: the count of the window that just
// ended, not a time-weighted average, so a stall shows the frames before it.
#pragma once

#include <cstdint>

namespace saver {

class FrameRateCounter {
public:
  void start(std::int64_t nowMs) {
    windowStart_ = nowMs;
    count_ = 0;
  }

  // One loop iteration at `nowMs`.
  void tick(std::int64_t nowMs) {
    const std::int64_t elapsed = nowMs - windowStart_;
    if (elapsed < 1000) {
      ++count_;
      if (elapsed > 0) rate_ = count_ * 1000 / elapsed;
    } else {
      rate_ = count_;
      windowStart_ = nowMs;
      count_ = 0;
    }
  }

  std::int64_t rate() const { return rate_; }

private:
  std::int64_t windowStart_ = 0;
  std::int64_t count_ = 0;
  std::int64_t rate_ = 0;
};

} // namespace saver
