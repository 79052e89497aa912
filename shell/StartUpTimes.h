// How long each step of a start took, in milliseconds of the engine clock: for the benchmark
// of the start and for anyone looking into a slow one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/app/Stopwatch.h"

namespace saver {

class StartUpTimes {
public:
  using Step = std::pair<std::string, std::int64_t>;

  // Forgets earlier steps; the first step counts from here.
  void begin() {
    steps_.clear();
    stopwatch_.restart();
  }
  // The time since the previous mark (or the beginning) is the named step's.
  void mark(std::string_view step) {
    steps_.emplace_back(std::string(step), stopwatch_.elapsedMs());
    stopwatch_.restart();
  }
  const std::vector<Step>& steps() const { return steps_; }

private:
  std::vector<Step> steps_;
  engine::Stopwatch stopwatch_;
};

} // namespace saver
