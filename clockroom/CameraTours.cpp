#include "clockroom/CameraTours.h"

#include <cstdlib>

namespace saver {

namespace {

constexpr float kTourUnitsPerMs = 0.01f;
constexpr float kFadeUnits = 10.0f;

} // namespace

void CameraTours::setTourNames(std::vector<std::string> names) {
  toPlay_ = std::move(names);
  played_.clear();
  chosen_ = 0;
}

void CameraTours::startFirstTour() {
  if (toPlay_.empty()) return;
  tourTime_ = 0.0f;
  startChosenTour();
}

void CameraTours::startNextTour(const std::string& name) {
  currentTour_ = name;
  tourPlayer_.clear();
  // A reader that gives up half-way must not leave half a tour behind.
  if (!reader_(name, tourPlayer_)) tourPlayer_.clear();
}

void CameraTours::startChosenTour() {
  chosen_ = static_cast<std::size_t>(std::rand()) % toPlay_.size();
  startNextTour(toPlay_[chosen_]);
}

void CameraTours::chooseNextTour() {
  played_.push_back(toPlay_[chosen_]);
  toPlay_.erase(toPlay_.begin() + static_cast<std::ptrdiff_t>(chosen_));
  if (toPlay_.empty()) toPlay_.swap(played_);
  startChosenTour();
}

bool CameraTours::step(engine::CameraPose& pose, bool& tourChanged) {
  tourChanged = false;
  float start = 0.0f, end = 0.0f;
  if (!tourPlayer_.timeRange(start, end)) return false;
  tourPlayer_.evaluate(tourTime_, pose);
  const std::int64_t elapsed = stopwatch_.elapsedMs();
  if (elapsed != 0) {
    tourTime_ += static_cast<float>(elapsed) * kTourUnitsPerMs;
    stopwatch_.restart();
  }
  if (tourTime_ > end) {
    if (!toPlay_.empty()) {
      chooseNextTour();
      tourChanged = true;
    }
    if (!tourPlayer_.timeRange(start, end)) start = 0.0f;
    tourTime_ = start;
  }
  return true;
}

float CameraTours::fadeOpacity() const {
  float start = 0.0f, end = 0.0f;
  if (!tourPlayer_.timeRange(start, end)) return 0.0f;
  if (tourTime_ < kFadeUnits) return 1.0f - tourTime_ / kFadeUnits;
  if (tourTime_ > end - kFadeUnits) return 1.0f - (end - tourTime_) / kFadeUnits;
  return 0.0f;
}

} // namespace saver
