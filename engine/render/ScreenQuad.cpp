#include "engine/render/ScreenQuad.h"

#include <algorithm>

#include "engine/render/DevicePointer.h"
#include "engine/render/StateCache.h"

namespace engine {
namespace {

struct PictureVertex {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};
constexpr DWORD kPictureVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct FadeVertex {
  float x, y, z, rhw;
  D3DCOLOR color;
};
constexpr DWORD kFadeVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

// The viewport's corners as pixel edges, which lie half a pixel before the pixel centres.
struct ScreenRect {
  float left, top, right, bottom;
};

bool viewportRect(IDirect3DDevice9* device, ScreenRect& rect) {
  D3DVIEWPORT9 viewport{};
  if (FAILED(device->GetViewport(&viewport)) || viewport.Width == 0 || viewport.Height == 0) return false;
  rect.left = static_cast<float>(viewport.X) - 0.5f;
  rect.top = static_cast<float>(viewport.Y) - 0.5f;
  rect.right = rect.left + static_cast<float>(viewport.Width);
  rect.bottom = rect.top + static_cast<float>(viewport.Height);
  return true;
}

DWORD alphaOf(float opacity) { return static_cast<DWORD>(std::clamp(opacity, 0.0f, 1.0f) * 255.0f + 0.5f); }

// The states every screen quad shares: no depth test, no lighting or fog, no culling, blended
// by the vertices' alpha; stage 0 takes its alpha from the vertices and nothing after it.
void setBlendedQuadStates(StateCache& cache) {
  cache.setRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  cache.setRenderState(D3DRS_LIGHTING, FALSE);
  cache.setRenderState(D3DRS_FOGENABLE, FALSE);
  cache.setRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  cache.setRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  cache.setRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  cache.setRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  cache.setRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  cache.setTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  cache.setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  cache.setTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  cache.setTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  cache.setTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
}

// What the frame's drawables take for granted once a quad is drawn.
void restoreSceneStates(StateCache& cache) {
  cache.setTexture(0, nullptr);
  cache.setRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  cache.setRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

} // namespace

bool drawScreenPicture(IDirect3DBaseTexture9* texture, float opacity) {
  IDirect3DDevice9* device = currentDevice();
  ScreenRect r{};
  if (!device || !texture || !viewportRect(device, r)) return false;
  StateCache& cache = stateCache();
  setBlendedQuadStates(cache);
  cache.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  cache.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  cache.setSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  cache.setSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  cache.setSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  cache.setSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  cache.setSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
  cache.setTexture(0, texture);
  const D3DCOLOR color = D3DCOLOR_ARGB(alphaOf(opacity), 255, 255, 255);
  const PictureVertex quad[4] = {{r.left, r.top, 0.0f, 1.0f, color, 0.0f, 0.0f},
                                 {r.right, r.top, 0.0f, 1.0f, color, 1.0f, 0.0f},
                                 {r.left, r.bottom, 0.0f, 1.0f, color, 0.0f, 1.0f},
                                 {r.right, r.bottom, 0.0f, 1.0f, color, 1.0f, 1.0f}};
  device->SetFVF(kPictureVertexFormat);
  const bool drawn = SUCCEEDED(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(PictureVertex)));
  restoreSceneStates(cache);
  return drawn;
}

bool drawFadeQuad(float opacity) {
  IDirect3DDevice9* device = currentDevice();
  ScreenRect r{};
  if (!device || !viewportRect(device, r)) return false;
  StateCache& cache = stateCache();
  setBlendedQuadStates(cache);
  cache.setRenderState(D3DRS_ZWRITEENABLE, FALSE);
  cache.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  cache.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  cache.setTexture(0, nullptr);
  const D3DCOLOR color = D3DCOLOR_ARGB(alphaOf(opacity), 0, 0, 0);
  const FadeVertex quad[4] = {{r.left, r.top, 0.0f, 1.0f, color},
                              {r.right, r.top, 0.0f, 1.0f, color},
                              {r.left, r.bottom, 0.0f, 1.0f, color},
                              {r.right, r.bottom, 0.0f, 1.0f, color}};
  device->SetFVF(kFadeVertexFormat);
  const bool drawn = SUCCEEDED(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(FadeVertex)));
  cache.setRenderState(D3DRS_ZWRITEENABLE, TRUE);
  restoreSceneStates(cache);
  return drawn;
}

} // namespace engine
