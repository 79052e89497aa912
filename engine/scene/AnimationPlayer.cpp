#include "engine/scene/AnimationPlayer.h"

#include <algorithm>

namespace engine {

void AnimationPlayer::setAnimation(std::shared_ptr<const Animation> animation) {
  animation_ = std::move(animation);
  hasRange_ = animation_ && animation_->timeRange(rangeStart_, rangeEnd_);
  if (!hasRange_) rangeStart_ = rangeEnd_ = 0.0f;
}

void AnimationPlayer::start(std::int64_t nowMs) {
  playing_ = true;
  paused_ = false;
  startStamp_ = nowMs;
}

void AnimationPlayer::pause(std::int64_t nowMs) {
  if (paused_) return;
  paused_ = true;
  frozenStamp_ = nowMs;
}

void AnimationPlayer::resume(std::int64_t nowMs) {
  if (!paused_) return;
  paused_ = false;
  startStamp_ += nowMs - frozenStamp_;
}

void AnimationPlayer::setSubRange(float start, float end) {
  hasSubRange_ = true;
  subStart_ = start;
  subEnd_ = end;
}

void AnimationPlayer::activeRange(double& start, double& end) const {
  if ((flags_ & kPlayWrapSubRange) && hasSubRange_) {
    start = subStart_;
    end = subEnd_;
  } else {
    start = rangeStart_;
    end = rangeEnd_;
  }
}

double AnimationPlayer::keptInRange(double t) const {
  t -= offset_;
  double start = 0.0, end = 0.0;
  activeRange(start, end);
  if (flags_ & kPlayClamp) return std::clamp(t, std::min(start, end), std::max(start, end));
  if (flags_ & kPlayWrap) return wrapTime<double>(t, rangeStart_, rangeEnd_);
  if (flags_ & kPlayWrapSubRange) return wrapTime(t, start, end);
  return t;
}

double AnimationPlayer::timeAt(std::int64_t nowMs) const {
  if (!playing_) {
    double start = 0.0, end = 0.0;
    activeRange(start, end);
    return start;
  }
  const std::int64_t stamp = paused_ ? frozenStamp_ : nowMs;
  return keptInRange(double(stamp - startStamp_) * double(speed_) * 0.001);
}

double AnimationPlayer::timeForSeconds(double seconds) const { return keptInRange(seconds); }

bool AnimationPlayer::evaluateTime(double t, Matrix& out) const {
  return animation_ && animation_->evaluate(float(t), out);
}

bool AnimationPlayer::evaluate(std::int64_t nowMs, Matrix& out) const { return evaluateTime(timeAt(nowMs), out); }

bool AnimationPlayer::evaluateAt(double seconds, Matrix& out) const {
  return evaluateTime(timeForSeconds(seconds), out);
}

} // namespace engine
