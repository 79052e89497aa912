#include "clockroom/LampFlicker.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/scene/Track.h"

namespace saver {

void LampFlicker::setWinkTime(int milliseconds) { winkTime_ = std::max(milliseconds, 1); }

void LampFlicker::queue(std::int64_t delayMs) { queue_.push_back(PendingStart{engine::Stopwatch(), delayMs}); }

void LampFlicker::update() {
  startDue();
  moveWave();
}

void LampFlicker::startDue() {
  for (auto it = queue_.begin(); it != queue_.end();) {
    if (!it->stopwatch.every(it->delayMs)) {
      ++it;
      continue;
    }
    // A start during an episode only renews its cycle: the wave keeps its phase.
    if (!flickering_) {
      flickering_ = true;
      total_.restart();
    }
    cycle_.restart();
    cycleDuration_ = std::rand() % (2 * winkTime_) + winkTime_;
    it = queue_.erase(it);
  }
}

void LampFlicker::moveWave() {
  if (!flickering_) return;
  float y = static_cast<float>(cycle_.elapsedMs()) / static_cast<float>(cycleDuration_);
  bool ended = false;
  if (y > 1.0f) {
    ended = true;
    y = engine::wrapTime(y, 0.0f, 1.0f);
  }
  // The wave quickens from 600 ms to 500 ms over a cycle.
  y *= y;
  period_ = (1.0f - y) * 100.0f + 500.0f;
  float v = engine::wrapTime(static_cast<float>(total_.elapsedMs()), 0.0f, period_) / period_;
  if (v > 0.5f) v = 1.0f - v;
  flicker_ = v;
  // An episode ends only where the wave is near 0, so the room's light does not jump back.
  if (ended && std::fabs(v) <= 0.1f) {
    flickering_ = false;
    flicker_ = 0.0f;
  }
}

} // namespace saver
