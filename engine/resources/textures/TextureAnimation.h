// Frame animations over the sub-textures of an atlas: which frame is on screen now, and the
// texture transform that maps a whole-texture quad onto that frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3dx9/d3dx9math.h"

namespace engine {

class Texture;

// What a caller drawing an animated image keeps between frames.
struct TextureAnimationState {
  std::string animation; // the animation's name
  std::string frame;     // the id of the frame on screen
  std::int64_t deadlineMs = 0;
};

// Starts the animation `name` of `texture` at `nowMs`: its first frame, shown for that
// frame's delay. False (state cleared) when the texture has no such animation.
bool startAnimation(const Texture& texture, const std::string& name, TextureAnimationState& state, std::int64_t nowMs);

// Steps `state` to the frame due at `nowMs` over the frame ids of its animation in
// `texture`; each frame stays its sub-texture's delay, and the list wraps around. False
// (state unchanged) when the animation or the current frame is not there.
bool advanceAnimation(const Texture& texture, TextureAnimationState& state, std::int64_t nowMs);

// The texture transform that shows the frame of `state`: the identity scaled to the frame's
// UV size and moved to its corner; the identity without an animation or a matching frame.
D3DXMATRIX animationTransform(Texture& texture, TextureAnimationState& state, std::int64_t nowMs);

} // namespace engine
