// The frame cap ("MaxFps"): how long to sleep after a frame so that frames start no more
// often than the cap allows. Frames are due on a fixed schedule, so sleeping whole
// milliseconds still averages the exact rate; a loop that falls behind by more than a frame
// (a slow frame, a stopped process) starts a new schedule instead of rushing to catch up.
#pragma once

#include <cmath>
#include <cstdint>

namespace saver {

class FramePacer {
public:
  // Milliseconds to sleep after a frame that ended at `nowMs`; 0 when `maxFps` is 0 (no cap).
  std::int64_t sleepAfterFrame(std::int64_t nowMs, int maxFps) {
    if (maxFps <= 0) {
      scheduled_ = false;
      return 0;
    }
    const double period = 1000.0 / maxFps;
    const auto now = static_cast<double>(nowMs);
    if (!scheduled_ || nextDue_ + period < now) nextDue_ = now;
    scheduled_ = true;
    nextDue_ += period;
    return nextDue_ > now ? static_cast<std::int64_t>(std::ceil(nextDue_ - now)) : 0;
  }

private:
  bool scheduled_ = false;
  double nextDue_ = 0.0; // when the next frame may start
};

} // namespace saver
