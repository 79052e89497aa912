// The lamp's flicker after a double flash: pending starts, and while an episode runs a
// triangle wave between 0 and 0.5 that darkens the light-mapped room.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/app/Stopwatch.h"

namespace saver {

class LampFlicker {
public:
  // "WinkTime": an episode's cycle lasts between one and three times this. Values below 1
  // count as 1, since the draw divides by twice the value.
  void setWinkTime(int milliseconds);
  std::int64_t winkTime() const { return winkTime_; }

  void restart() { total_.restart(); }
  // An episode (or, during one, a fresh cycle) begins `delayMs` from now.
  void queue(std::int64_t delayMs);
  // Starts due episodes (one rand() draw each, in queue order), then moves the wave.
  void update();

  bool flickering() const { return flickering_; }
  float flicker() const { return flicker_; }
  std::int64_t cycleDuration() const { return cycleDuration_; }
  float period() const { return period_; }
  std::size_t pending() const { return queue_.size(); }

private:
  struct PendingStart {
    engine::Stopwatch stopwatch;
    std::int64_t delayMs = 0;
  };

  void startDue();
  void moveWave();

  std::int64_t winkTime_ = 2000;
  std::vector<PendingStart> queue_;
  bool flickering_ = false;
  engine::Stopwatch total_; // the wave's phase: kept across the cycles of one episode
  engine::Stopwatch cycle_;
  std::int64_t cycleDuration_ = 0;
  float period_ = 15.0f;
  float flicker_ = 0.0f;
};

} // namespace saver
