// Every animation of one node: the animations filed by the source they were loaded from,
// the players (layers) that play them in ascending layer order, and an optional cross-fade
// between layers.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "engine/core/Matrix.h"
#include "engine/scene/AnimationPlayer.h"

namespace engine {

// Every layer of a node, for the layer operations.
constexpr int kAllLayers = -1;

// Blends two matrices by f (0 gives a, 1 gives b): rotations by slerp, scale and
// translation linearly. False when either is not a clean frame (see decomposeFrame).
bool blendMatrices(const D3DXMATRIX& a, const D3DXMATRIX& b, float f, Matrix& out);

class AnimationController {
public:
  // Files `animation` under `sourceName`. Players of the animation it replaces play the
  // new one; without such players a new layer after the last one plays it.
  void addAnimation(std::string_view sourceName, std::shared_ptr<Animation> animation);
  std::shared_ptr<Animation> animation(std::string_view sourceName) const;
  bool hasAnimations() const { return !animations_.empty(); }

  const std::map<int, AnimationPlayer>& players() const { return players_; }
  AnimationPlayer* player(int layer);

  // Layer operations; `layer` is a layer id or kAllLayers. `play` makes a missing layer;
  // the others only touch layers that exist. Each answers whether a layer was touched.
  bool play(int layer, std::string_view sourceName);
  bool start(int layer, std::int64_t nowMs);
  bool stop(int layer);
  bool pause(int layer, std::int64_t nowMs);
  bool resume(int layer, std::int64_t nowMs);
  bool setSpeed(int layer, float speed);
  bool setOffset(int layer, float seconds);
  bool setFlags(int layer, std::uint32_t flags);
  bool setSubRange(int layer, float start, float end);
  // The union of the players' animation ranges; false when no player has one.
  bool timeRange(float& start, float& end) const;

  // Blends the layers at positions first .. first + count - 1 (in layer order) over
  // `durationMs`: the last of them fades in over the product of the others.
  void crossFade(std::size_t first, std::size_t count, std::int64_t durationMs, std::int64_t nowMs);
  void endCrossFade() { fadeEnabled_ = false; }
  bool fading() const { return fadeEnabled_; }

  // The product of the layers' matrices at the clock's `nowMs`, or at `seconds`; false
  // when no layer produced one.
  bool evaluate(std::int64_t nowMs, Matrix& out) const;
  bool evaluateAt(double seconds, std::int64_t nowMs, Matrix& out) const;

private:
  bool combine(const std::function<bool(const AnimationPlayer&, Matrix&)>& evaluate, std::int64_t nowMs,
               Matrix& out) const;
  template <class F> bool forLayers(int layer, F f);

  std::map<std::string, std::shared_ptr<Animation>, std::less<>> animations_;
  std::map<int, AnimationPlayer> players_;
  bool fadeEnabled_ = false;
  std::size_t fadeFirst_ = 0;
  std::size_t fadeCount_ = 0;
  std::int64_t fadeDurationMs_ = 0;
  std::int64_t fadeStartMs_ = 0;
};

} // namespace engine
