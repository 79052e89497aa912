#include "clockroom/RoomFrame.h"

#include <bit>

#include "engine/render/DevicePointer.h"
#include "engine/render/ScreenQuad.h"
#include "engine/render/StateCache.h"

namespace saver {
namespace {

DWORD floatBits(float value) { return std::bit_cast<DWORD>(value); }

} // namespace

bool RoomFrame::draw(const engine::CameraPose& camera, float fadeOpacity, const RoomFrameSteps& steps) {
  IDirect3DDevice9* device = engine::currentDevice();
  if (!device) return false;
  bool ok = SUCCEEDED(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER,
                                    engine::toColor(properties_.backgroundColor), 1.0f, 0));
  D3DVIEWPORT9 viewport{};
  device->GetViewport(&viewport);
  const float aspect =
      viewport.Height > 0 ? static_cast<float>(viewport.Width) / static_cast<float>(viewport.Height) : 1.0f;
  view_.setProjection(properties_.nearPlane, properties_.farPlane, properties_.fieldOfView, aspect);
  view_.setView(camera.eye, camera.direction, camera.up);
  ok = view_.applyCamera() && ok;
  engine::stateCache().setRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  // A scene that cannot begin (a device being lost) is skipped; the present still runs.
  if (SUCCEEDED(device->BeginScene())) {
    ok = drawScene(*device, fadeOpacity, steps) && ok;
    ok = SUCCEEDED(device->EndScene()) && ok;
  } else {
    ok = false;
  }
  return SUCCEEDED(device->Present(nullptr, nullptr, nullptr, nullptr)) && ok;
}

void RoomFrame::setFrameStates() {
  engine::StateCache& cache = engine::stateCache();
  cache.setRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  cache.setSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  cache.setSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
  cache.setSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  cache.setRenderState(D3DRS_AMBIENT, engine::toColor(properties_.ambient));
  // The room's fog is switched off; its colour and range reach the device all the same.
  cache.setRenderState(D3DRS_FOGENABLE, FALSE);
  cache.setRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
  cache.setRenderState(D3DRS_FOGCOLOR, engine::toColor(properties_.fogColor));
  cache.setRenderState(D3DRS_FOGSTART, floatBits(properties_.fogStart));
  cache.setRenderState(D3DRS_FOGEND, floatBits(properties_.fogEnd));
  cache.setRenderState(D3DRS_RANGEFOGENABLE, TRUE);
}

bool RoomFrame::drawScene(IDirect3DDevice9& device, float fadeOpacity, const RoomFrameSteps& steps) {
  setFrameStates();
  bool ok = !steps.scene || steps.scene();
  if (fadeOpacity > 0.0f) ok = engine::drawFadeQuad(fadeOpacity) && ok;
  // The GUI is drawn over everything, whatever depth the room left.
  ok = SUCCEEDED(device.Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0)) && ok;
  if (steps.gui) steps.gui();
  return ok;
}

} // namespace saver
