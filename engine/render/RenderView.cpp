#include "engine/render/RenderView.h"

#include <cmath>
#include <limits>

#include "engine/render/StateCache.h"

namespace engine {

bool DrawableGroup::add(Drawable& drawable) {
  if (!members_.insert(&drawable).second) return false;
  items_.push_back(&drawable);
  return true;
}

void RenderView::add(Drawable& drawable) {
  if (!drawable.usesAlpha()) {
    opaque_[drawable.queueTexture()].add(drawable);
    return;
  }
  const D3DXVECTOR3 offset = camera_.eye() - drawable.worldBox().centre;
  float distance = D3DXVec3Length(&offset);
  // A box without a proper position must not break the order of the queue: it goes first.
  if (std::isnan(distance)) distance = std::numeric_limits<float>::infinity();
  transparent_[distance].add(drawable);
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
  for (auto& [texture, group] : opaque_)
    for (Drawable* drawable : group.items())
      ok = drawOne(*drawable) && ok;
  for (auto& [distance, group] : transparent_)
    for (Drawable* drawable : group.items())
      ok = drawOne(*drawable) && ok;
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
