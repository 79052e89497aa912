// What the render view needs of the things it draws and of the lights that shine on them.
// The scene graph implements both: its mesh instances (and any other drawable) and its
// light set.
#pragma once

#include "engine/render/BoundingBox.h"

namespace engine {

class Texture;

class Drawable {
public:
  virtual ~Drawable() = default;
  // Whether the drawable's render settings blend with what lies behind it (then it is drawn
  // back to front after everything opaque).
  virtual bool usesAlpha() const = 0;
  // The texture of stage 0 of its render settings, or null: opaque drawables are drawn
  // grouped by it so that the texture changes as rarely as possible.
  virtual const Texture* queueTexture() const = 0;
  // The box in world coordinates (for the distance to the eye and for the lights' reach).
  virtual BoundingBox worldBox() const = 0;
  // A lit mesh instance: the lights that reach its box are switched on before it is drawn.
  virtual bool lit() const { return false; }
  // Applies the render settings and draws; false when the draw failed.
  virtual bool draw() = 0;
};

// The scene's lights as the render view switches them for a frame.
class ViewLights {
public:
  virtual ~ViewLights() = default;
  // Puts every light on the device, numbering them from 0.
  virtual void setAll() = 0;
  // Enables exactly the lights that reach `box`.
  virtual void enableFor(const BoundingBox& box) = 0;
  // Switches every light off.
  virtual void disableAll() = 0;
};

} // namespace engine
