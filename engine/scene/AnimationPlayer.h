// One animation layer of a node: which animation, when it started, how fast it runs and
// how its time is kept inside the animation's range.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/core/Matrix.h"
#include "engine/scene/Animation.h"

namespace engine {

// Player flags.
constexpr std::uint32_t kPlayWrap = 2;         // wrap over the animation's range
constexpr std::uint32_t kPlayClamp = 4;        // stay inside the range
constexpr std::uint32_t kPlayWrapSubRange = 8; // wrap over the user's sub-range

class AnimationPlayer {
public:
  AnimationPlayer() = default;
  explicit AnimationPlayer(std::shared_ptr<const Animation> animation) { setAnimation(std::move(animation)); }

  // Also takes the animation's range as the player's own.
  void setAnimation(std::shared_ptr<const Animation> animation);
  const std::shared_ptr<const Animation>& animation() const { return animation_; }

  void start(std::int64_t nowMs);
  void stop() {
    playing_ = false;
    paused_ = false;
  }
  // Freezes the clock of the layer; resume continues where it stood.
  void pause(std::int64_t nowMs);
  void resume(std::int64_t nowMs);

  void setSpeed(float speed) { speed_ = speed; }
  void setOffset(float seconds) { offset_ = seconds; }
  void setFlags(std::uint32_t flags) { flags_ = flags; }
  void setSubRange(float start, float end);

  bool playing() const { return playing_; }
  bool paused() const { return paused_; }
  float speed() const { return speed_; }
  float offset() const { return offset_; }
  std::uint32_t flags() const { return flags_; }
  float rangeStart() const { return rangeStart_; }
  float rangeEnd() const { return rangeEnd_; }
  bool hasRange() const { return hasRange_; }

  // The animation time at the engine clock's `nowMs`.
  double timeAt(std::int64_t nowMs) const;
  // The animation time for a given time in seconds (no clock, no speed).
  double timeForSeconds(double seconds) const;

  bool evaluate(std::int64_t nowMs, Matrix& out) const;
  bool evaluateAt(double seconds, Matrix& out) const;

private:
  double keptInRange(double t) const;
  void activeRange(double& start, double& end) const;
  bool evaluateTime(double t, Matrix& out) const;

  std::shared_ptr<const Animation> animation_;
  bool hasRange_ = false;
  float rangeStart_ = 0.0f;
  float rangeEnd_ = 0.0f;
  bool hasSubRange_ = false;
  float subStart_ = 0.0f;
  float subEnd_ = 0.0f;
  float offset_ = 0.0f;
  float speed_ = 1.0f;
  std::int64_t startStamp_ = 0;
  std::int64_t frozenStamp_ = 0;
  bool playing_ = false;
  bool paused_ = false;
  std::uint32_t flags_ = 0;
};

} // namespace engine
