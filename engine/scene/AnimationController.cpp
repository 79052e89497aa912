#include "engine/scene/AnimationController.h"

#include <algorithm>

#include "engine/scene/NodeTransform.h"

namespace engine {

namespace {

D3DXQUATERNION frameRotation(const Frame& frame) {
  D3DXMATRIX m;
  D3DXMatrixIdentity(&m);
  for (int r = 0; r < 3; ++r) {
    m.m[r][0] = frame.axes[r].x;
    m.m[r][1] = frame.axes[r].y;
    m.m[r][2] = frame.axes[r].z;
  }
  D3DXQUATERNION q;
  D3DXQuaternionRotationMatrix(&q, &m);
  return q;
}

} // namespace

bool blendMatrices(const D3DXMATRIX& a, const D3DXMATRIX& b, float f, Matrix& out) {
  Frame fa, fb;
  if (!decomposeFrame(a, fa) || !decomposeFrame(b, fb)) return false;
  const D3DXQUATERNION qa = frameRotation(fa), qb = frameRotation(fb);
  D3DXQUATERNION q;
  D3DXQuaternionSlerp(&q, &qa, &qb, f);
  D3DXQuaternionNormalize(&q, &q);
  D3DXMATRIX r;
  D3DXMatrixRotationQuaternion(&r, &q);
  Frame blended;
  for (int i = 0; i < 3; ++i)
    blended.axes[i] = D3DXVECTOR3(r.m[i][0], r.m[i][1], r.m[i][2]);
  D3DXVec3Lerp(&blended.scale, &fa.scale, &fb.scale, f);
  D3DXVec3Lerp(&blended.position, &fa.position, &fb.position, f);
  out = blended.matrix();
  return true;
}

void AnimationController::addAnimation(std::string_view sourceName, std::shared_ptr<Animation> animation) {
  auto found = animations_.find(sourceName);
  std::shared_ptr<Animation> replaced;
  if (found != animations_.end()) {
    replaced = found->second;
    found->second = animation;
  } else {
    animations_.emplace(std::string(sourceName), animation);
  }
  bool switched = false;
  for (auto& [id, player] : players_) {
    if (replaced && player.animation() == replaced) {
      player.setAnimation(animation);
      switched = true;
    }
  }
  if (switched) return;
  const int layer = players_.empty() ? 0 : players_.rbegin()->first + 1;
  players_.emplace(layer, AnimationPlayer(std::move(animation)));
}

std::shared_ptr<Animation> AnimationController::animation(std::string_view sourceName) const {
  auto found = animations_.find(sourceName);
  return found == animations_.end() ? nullptr : found->second;
}

AnimationPlayer* AnimationController::player(int layer) {
  auto found = players_.find(layer);
  return found == players_.end() ? nullptr : &found->second;
}

template <class F> bool AnimationController::forLayers(int layer, F f) {
  if (layer == kAllLayers) {
    for (auto& [id, player] : players_)
      f(player);
    return !players_.empty();
  }
  AnimationPlayer* one = player(layer);
  if (one) f(*one);
  return one != nullptr;
}

bool AnimationController::play(int layer, std::string_view sourceName) {
  std::shared_ptr<Animation> chosen = animation(sourceName);
  if (!chosen) return false;
  if (layer != kAllLayers) players_.try_emplace(layer);
  return forLayers(layer, [&](AnimationPlayer& p) { p.setAnimation(chosen); });
}

bool AnimationController::start(int layer, std::int64_t nowMs) {
  return forLayers(layer, [&](AnimationPlayer& p) { p.start(nowMs); });
}

bool AnimationController::stop(int layer) {
  return forLayers(layer, [](AnimationPlayer& p) { p.stop(); });
}

bool AnimationController::pause(int layer, std::int64_t nowMs) {
  return forLayers(layer, [&](AnimationPlayer& p) { p.pause(nowMs); });
}

bool AnimationController::resume(int layer, std::int64_t nowMs) {
  return forLayers(layer, [&](AnimationPlayer& p) { p.resume(nowMs); });
}

bool AnimationController::setSpeed(int layer, float speed) {
  return forLayers(layer, [&](AnimationPlayer& p) { p.setSpeed(speed); });
}

bool AnimationController::setOffset(int layer, float seconds) {
  return forLayers(layer, [&](AnimationPlayer& p) { p.setOffset(seconds); });
}

bool AnimationController::setFlags(int layer, std::uint32_t flags) {
  return forLayers(layer, [&](AnimationPlayer& p) { p.setFlags(flags); });
}

bool AnimationController::setSubRange(int layer, float start, float end) {
  return forLayers(layer, [&](AnimationPlayer& p) { p.setSubRange(start, end); });
}

bool AnimationController::timeRange(float& start, float& end) const {
  bool any = false;
  for (const auto& [id, player] : players_) {
    if (!player.hasRange()) continue;
    start = any ? std::min(start, player.rangeStart()) : player.rangeStart();
    end = any ? std::max(end, player.rangeEnd()) : player.rangeEnd();
    any = true;
  }
  return any;
}

void AnimationController::crossFade(std::size_t first, std::size_t count, std::int64_t durationMs, std::int64_t nowMs) {
  fadeEnabled_ = count > 0;
  fadeFirst_ = first;
  fadeCount_ = count;
  fadeDurationMs_ = durationMs;
  fadeStartMs_ = nowMs;
}

bool AnimationController::combine(const std::function<bool(const AnimationPlayer&, Matrix&)>& evaluate,
                                  std::int64_t nowMs, Matrix& out) const {
  Matrix result;
  bool any = false;
  // The fade window, cut to the layers that exist; its last layer is the one fading in.
  const bool fade = fadeEnabled_ && fadeFirst_ < players_.size();
  const std::size_t windowLast = fade ? std::min(fadeFirst_ + fadeCount_, players_.size()) - 1 : 0;
  Matrix first, second;
  bool windowAny = false;
  std::size_t index = 0;
  for (const auto& [id, player] : players_) {
    Matrix m;
    const bool produced = evaluate(player, m);
    if (!fade || index < fadeFirst_ || index > windowLast) {
      if (produced) {
        multiply(result, result, m);
        any = true;
      }
    } else {
      if (produced) {
        Matrix& side = index < windowLast ? first : second;
        multiply(side, side, m);
        windowAny = true;
      }
      if (index == windowLast && windowAny) {
        // The window's layers produced matrices, even when they cannot be blended (then
        // they add nothing).
        any = true;
        const std::int64_t elapsed =
            std::clamp<std::int64_t>(nowMs - fadeStartMs_, 0, std::max<std::int64_t>(fadeDurationMs_, 0));
        const float f = fadeDurationMs_ > 0 ? float(elapsed) / float(fadeDurationMs_) : 1.0f;
        Matrix blended;
        if (blendMatrices(first.m, second.m, f, blended)) multiply(result, result, blended);
      }
    }
    ++index;
  }
  if (any) out = result;
  return any;
}

bool AnimationController::evaluate(std::int64_t nowMs, Matrix& out) const {
  return combine([nowMs](const AnimationPlayer& p, Matrix& m) { return p.evaluate(nowMs, m); }, nowMs, out);
}

bool AnimationController::evaluateAt(double seconds, std::int64_t nowMs, Matrix& out) const {
  return combine([seconds](const AnimationPlayer& p, Matrix& m) { return p.evaluateAt(seconds, m); }, nowMs, out);
}

} // namespace engine
