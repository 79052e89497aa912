// Finds room for a sub-texture inside its parent: at a corner of the parent or against a
// corner of a sub-texture already there, preferring spots that cover nothing and fit snugly;
// when every spot covers something, the covered sub-textures are moved elsewhere in turn,
// as far as a move budget allows.
#pragma once

#include <memory>

#include "engine/resources/textures/TextureRequest.h"

namespace engine {

class Texture;

class AtlasPlacement {
public:
  // A definition may move sub-textures this many levels deep to make room.
  static constexpr int kDefinitionBudget = 3;

  explicit AtlasPlacement(Texture& parent);

  // Gives `sub` (w x h taken from its rectangle's size) a rectangle in the parent and
  // attaches it; moved sub-textures are drawn into the parent again. On failure nothing
  // changed and `sub` is handed back through the argument.
  bool place(std::unique_ptr<Texture>& sub, int budget);

private:
  Texture& parent_;
};

// Whether two rectangles share area (touching edges do not).
bool rectsOverlap(const TextureRect& a, const TextureRect& b);

} // namespace engine
