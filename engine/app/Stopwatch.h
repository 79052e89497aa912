// The engine's millisecond clock and restartable stopwatches. Everything timed in the
// program (frames, animation, fades, weather) reads this clock.
#pragma once

#include <cstdint>

namespace engine {

// Milliseconds from the performance counter when it exists and ticks at least 1000 times a
// second, else from the multimedia timer.
std::int64_t nowMilliseconds();

class Stopwatch {
public:
  Stopwatch() { restart(); }

  void restart() { start_ = nowMilliseconds(); }
  std::int64_t elapsedMs() const { return nowMilliseconds() - start_; }
  std::int64_t startMs() const { return start_; }

  // True (and restarted) once at least `periodMs` lie between now and the start in either
  // direction, so a clock that jumps backwards does not stall a periodic task.
  bool every(std::int64_t periodMs);

private:
  std::int64_t start_ = 0;
};

} // namespace engine
