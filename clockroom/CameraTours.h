// The camera tours: recorded flights through the room, one after another in a random order
// that plays every tour once before any repeats, at 10 path units a second, fading in from
// black over their first second and out over their last.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/app/Stopwatch.h"
#include "engine/scene/CameraPath.h"

namespace saver {

// Fills `path` with the keys of the named tour file ("c1.cam"); false when it cannot.
using TourReader = std::function<bool(const std::string& name, engine::CameraPath& path)>;

class CameraTours {
public:
  explicit CameraTours(TourReader reader) : reader_(std::move(reader)) {}

  // "Animations", in file order: all of them wait to be played.
  void setTourNames(std::vector<std::string> names);
  // Starts a tour chosen by rand() among the names, at tour time 0.
  void startFirstTour();
  // Replaces the current tour's keys with the named file's; a file that cannot be read
  // leaves the tour without keys, and the free camera shows the room.
  void startNextTour(const std::string& name);
  // The tour's time runs from here: when the room has finished loading.
  void restartClock() { stopwatch_.restart(); }

  // One frame's step: the pose at the current time, then the time moves on by the
  // milliseconds since the last step. Past the tour's end the next tour starts at its own
  // start (the excess is dropped) and `tourChanged` is set, so the free camera can take
  // over from the pose. False (with `pose` untouched) when no tour plays.
  bool step(engine::CameraPose& pose, bool& tourChanged);
  // The black quad over this frame: rising to 1 over the first and the last 10 units of
  // a tour; 0 means no quad.
  float fadeOpacity() const;

  const std::vector<std::string>& toPlay() const { return toPlay_; }
  const std::vector<std::string>& played() const { return played_; }
  const std::string& currentTour() const { return currentTour_; }
  float tourTime() const { return tourTime_; }
  const engine::CameraPath& tourPlayer() const { return tourPlayer_; }

private:
  void chooseNextTour();
  void startChosenTour();

  TourReader reader_;
  std::vector<std::string> toPlay_;
  std::vector<std::string> played_;
  std::size_t chosen_ = 0; // the entry of `toPlay_` that is playing
  std::string currentTour_;
  engine::CameraPath tourPlayer_;
  float tourTime_ = 0.0f;
  engine::Stopwatch stopwatch_;
};

} // namespace saver
