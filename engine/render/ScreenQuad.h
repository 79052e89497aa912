// Quads over the whole viewport in screen coordinates (pre-transformed vertices): the
// loading picture of the start and the black fade at the ends of a camera tour. Both are
// drawn between BeginScene and EndScene, through the state cache.
#pragma once

#include "platform/d3d9/d3d9.h"

namespace engine {

// Draws `texture` stretched over the viewport, blended with the given opacity (0 to 1).
// False without a device, a texture or a viewport, or when the draw failed.
bool drawScreenPicture(IDirect3DBaseTexture9* texture, float opacity);

// Darkens the whole viewport towards black by `opacity` (0 to 1). The depth test and depth
// writes are off while it is drawn and on again afterwards.
bool drawFadeQuad(float opacity);

} // namespace engine
