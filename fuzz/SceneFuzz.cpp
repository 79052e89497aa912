// Scene files of any bytes through the scene loader, then one traversal and draw of what
// loaded, on the recording device (no textures: the store is not published).
#include <cstddef>
#include <cstdint>

#include "engine/render/DevicePointer.h"
#include "engine/render/RenderView.h"
#include "engine/render/StateCache.h"
#include "engine/scene/Scene.h"
#include "platform/d3d9/recording/RecordingDirect3D.h"

namespace {

IDirect3DDevice9* recordingDevice() {
  static IDirect3DDevice9* device = [] {
    IDirect3D9* d3d = d3d9::createRecordingDirect3D();
    D3DPRESENT_PARAMETERS p{};
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = reinterpret_cast<HWND>(0x1234);
    p.Windowed = TRUE;
    p.EnableAutoDepthStencil = TRUE;
    p.AutoDepthStencilFormat = D3DFMT_D24S8;
    IDirect3DDevice9* made = nullptr;
    d3d->CreateDevice(0, D3DDEVTYPE_HAL, p.hDeviceWindow, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &made);
    return made;
  }();
  return device;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  IDirect3DDevice9* device = recordingDevice();
  engine::publishDevice(device);
  d3d9::callLog(device)->clear();
  engine::Scene scene;
  scene.load(engine::FileLocation::memory(data, std::uint32_t(size)), "");
  engine::RenderView view;
  view.setLights(&scene.lights());
  engine::TraversalContext context;
  context.flags = engine::kTraverseNoCulling | engine::kTraverseAtTime;
  context.time = 0.75;
  device->BeginScene();
  engine::drawFrame(scene.root(), view, context);
  device->EndScene();
  return 0;
}
