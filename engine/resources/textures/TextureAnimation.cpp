#include "engine/resources/textures/TextureAnimation.h"

#include <algorithm>

#include "engine/resources/textures/Texture.h"

namespace engine {
namespace {

// The sub-texture that shows the frame `id`, null when there is none.
Texture* frameNamed(const Texture& texture, const std::string& id) {
  for (const auto& sub : texture.subs())
    if (sub->id() == id) return sub.get();
  return nullptr;
}

// A frame that is no sub-texture stays as long as its texture's frames do by default.
std::int64_t frameDelay(const Texture& texture, const std::string& id) {
  const Texture* frame = frameNamed(texture, id);
  return static_cast<std::int64_t>(frame ? frame->delay() : texture.delay());
}

const Texture& atlasOf(const Texture& texture) { return texture.parent() ? *texture.parent() : texture; }

} // namespace

bool startAnimation(const Texture& texture, const std::string& name, TextureAnimationState& state, std::int64_t nowMs) {
  const Texture& atlas = atlasOf(texture);
  auto animation = atlas.animations().find(name);
  if (animation == atlas.animations().end() || animation->second.empty()) {
    state = {};
    return false;
  }
  state.animation = name;
  state.frame = animation->second.front();
  state.deadlineMs = nowMs + frameDelay(atlas, state.frame);
  return true;
}

bool advanceAnimation(const Texture& texture, TextureAnimationState& state, std::int64_t nowMs) {
  const Texture& atlas = atlasOf(texture);
  auto animation = atlas.animations().find(state.animation);
  if (animation == atlas.animations().end() || animation->second.empty()) return false;
  const std::vector<std::string>& frames = animation->second;
  auto current = std::find(frames.begin(), frames.end(), state.frame);
  if (current == frames.end()) return false;
  std::size_t index = static_cast<std::size_t>(current - frames.begin());
  if (nowMs <= state.deadlineMs) return true;
  // Whole cycles that passed change nothing: skip them instead of stepping through each
  // frame, so a deadline far behind (a long pause) costs no more than one cycle. Frames of
  // no delay at all would never let the deadline catch up.
  std::int64_t cycle = 0;
  for (const std::string& id : frames)
    cycle += frameDelay(atlas, id);
  if (cycle <= 0) {
    state.deadlineMs = nowMs;
    return true;
  }
  state.deadlineMs += (nowMs - state.deadlineMs) / cycle * cycle;
  while (nowMs > state.deadlineMs) {
    state.deadlineMs += frameDelay(atlas, frames[index]);
    index = (index + 1) % frames.size();
  }
  state.frame = frames[index];
  return true;
}

D3DXMATRIX animationTransform(Texture& texture, TextureAnimationState& state, std::int64_t nowMs) {
  D3DXMATRIX transform;
  D3DXMatrixIdentity(&transform);
  if (!advanceAnimation(texture, state, nowMs)) return transform;
  const Texture& atlas = atlasOf(texture);
  Texture* frame = frameNamed(atlas, state.frame);
  if (!frame) return transform;
  const UvRect uv = frame->uvRect();
  transform._11 = uv.right - uv.left;
  transform._22 = uv.bottom - uv.top;
  transform._31 = uv.left;
  transform._32 = uv.top;
  return transform;
}

} // namespace engine
