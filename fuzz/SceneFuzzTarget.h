// What the scene fuzzer does with one input, shared with the unit test that replays the
// committed scene corpus: the bytes loaded as a scene file, then one traversal and draw of
// whatever loaded, on the engine's published device (a recording one). Nothing may crash
// or touch memory it does not own; the sanitizers watch.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/core/Log.h"
#include "engine/render/DevicePointer.h"
#include "engine/render/RenderView.h"
#include "engine/scene/Scene.h"

namespace fuzztargets {

inline void runScene(const std::uint8_t* data, std::size_t size) {
  engine::LogCapture quiet;
  IDirect3DDevice9* device = engine::currentDevice();
  engine::Scene scene;
  scene.load(engine::FileLocation::memory(data, std::uint32_t(size)), "");
  engine::RenderView view;
  view.setLights(&scene.lights());
  engine::TraversalContext context;
  context.flags = engine::kTraverseNoCulling | engine::kTraverseAtTime;
  context.time = 0.75;
  device->BeginScene();
  engine::drawFrame(scene.cameraRoot(), view, context);
  engine::drawFrame(scene.root(), view, context);
  device->EndScene();
}

} // namespace fuzztargets
