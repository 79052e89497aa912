#include "engine/gui/TileWindow.h"

#include "engine/gui/GuiManager.h"
#include "engine/render/StateCache.h"

namespace engine {

D3DMATRIX pixelProjection(int screenWidth, int screenHeight) {
  D3DXMATRIX m;
  D3DXMatrixIdentity(&m);
  m._11 = 1.0f / (static_cast<float>(screenWidth) * 0.5f);
  m._22 = -1.0f / (static_cast<float>(screenHeight) * 0.5f);
  m._41 = -1.0f;
  m._42 = 1.0f;
  return m;
}

void TileWindow::setTexture(TextureRef texture) {
  texture_ = std::move(texture);
  animationStarted_ = false;
  animation_ = {};
}

bool TileWindow::vertices(TileVertex (&out)[6]) const {
  GuiRect clip;
  if (!texture_ || !clipRect(clip) || clip.width <= 0 || clip.height <= 0) return false;
  const GuiRect full = screenRect();
  const UvRect uv = texture_->uvRect();
  float u0 = uv.left, v0 = uv.top, u1 = uv.right, v1 = uv.bottom;
  if (tiledX_ && texture_->width() > 0) {
    u0 = 0.0f;
    u1 = static_cast<float>(full.width) / static_cast<float>(texture_->width());
  }
  if (tiledY_ && texture_->height() > 0) {
    v0 = 0.0f;
    v1 = static_cast<float>(full.height) / static_cast<float>(texture_->height());
  }
  // Where the clip rectangle cuts the tile, its texture rectangle shrinks in proportion.
  const auto along = [](float from, float to, int start, int length, int at) {
    return from + (to - from) * static_cast<float>(at - start) / static_cast<float>(length);
  };
  const float cu0 = along(u0, u1, full.x, full.width, clip.x);
  const float cu1 = along(u0, u1, full.x, full.width, clip.right());
  const float cv0 = along(v0, v1, full.y, full.height, clip.y);
  const float cv1 = along(v0, v1, full.y, full.height, clip.bottom());
  const float left = static_cast<float>(clip.x) - 0.5f, right = static_cast<float>(clip.right()) - 0.5f;
  const float top = static_cast<float>(clip.y) - 0.5f, bottom = static_cast<float>(clip.bottom()) - 0.5f;
  const float z = layerDepth(layer());
  out[0] = {left, top, z, cu0, cv0};
  out[1] = {right, top, z, cu1, cv0};
  out[2] = {left, bottom, z, cu0, cv1};
  out[3] = {right, top, z, cu1, cv0};
  out[4] = {right, bottom, z, cu1, cv1};
  out[5] = {left, bottom, z, cu0, cv1};
  return true;
}

bool TileWindow::draw(GuiDrawContext& context) {
  TileVertex quad[6];
  if (!vertices(quad)) return true;
  StateCache& cache = stateCache();
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  cache.setWorld(identity);
  cache.setView(identity);
  cache.setProjection(pixelProjection(context.gui.screenWidth(), context.gui.screenHeight()));
  cache.setTexture(0, texture_->d3dTexture());
  // Pictures are filtered (text, drawn before, takes its texels one by one).
  cache.setSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  cache.setSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  // Repetition needs the coordinates past 1 to wrap.
  cache.setSamplerState(0, D3DSAMP_ADDRESSU, tiledX_ ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP);
  cache.setSamplerState(0, D3DSAMP_ADDRESSV, tiledY_ ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP);
  // An animated image starts on its first frame the first time it is drawn.
  if (!animationStarted_ && !texture_->animation().empty()) {
    startAnimation(*texture_, texture_->animation(), animation_, context.nowMs);
    animationStarted_ = true;
  }
  const bool animated = !animation_.animation.empty();
  if (animated) {
    cache.setTransform(D3DTS_TEXTURE0, animationTransform(*texture_, animation_, context.nowMs));
    cache.setTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  }
  context.device->SetFVF(kTileFvf);
  const bool ok = SUCCEEDED(context.device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(TileVertex)));
  if (animated) cache.setTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  cache.setSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  cache.setSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  return ok;
}

} // namespace engine
