#include "engine/render/RenderView.h"

#include <cmath>
#include <limits>

#include "engine/render/StateCache.h"

namespace engine {

void RenderView::add(Drawable& drawable) {
  if (!drawable.usesAlpha()) {
    opaque_.add(drawable.queueTexture(), drawable);
    return;
  }
  const D3DXVECTOR3 offset = camera_.eye() - drawable.worldBox().centre;
  float distance = D3DXVec3Length(&offset);
  // A box without a proper position must not break the order of the queue: it goes first.
  if (std::isnan(distance)) distance = std::numeric_limits<float>::infinity();
  transparent_.add(distance, drawable);
}

bool RenderView::drawOne(Drawable& drawable) {
  if (lights_ && drawable.lit()) lights_->enableFor(drawable.worldBox());
  return drawable.draw();
}

bool RenderView::drawQueued() {
  if (lights_) lights_->setAll();
  view_ = camera_.view();
  viewProjection_ = camera_.viewProjection();
  bool ok = true;
  for (const auto& entry : opaque_.entries())
    ok = drawOne(*entry.drawable) && ok;
  for (const auto& entry : transparent_.entries())
    ok = drawOne(*entry.drawable) && ok;
  if (lights_) lights_->disableAll();
  return ok;
}

void RenderView::clear() {
  opaque_.clear();
  transparent_.clear();
}

bool RenderView::applyCamera() {
  StateCache& cache = stateCache();
  const bool view = cache.setView(camera_.view().m);
  const bool projection = cache.setProjection(camera_.projection().m);
  return view && projection;
}

} // namespace engine
