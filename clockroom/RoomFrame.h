// One frame of the clock room, drawn the same way by the saver and by tickwood-view: the
// clear to the background colour, the projection of "Scene.props" at the viewport's aspect,
// the camera, the frame's render states (ambient light, fog), the room, the black fade of a
// tour, a clear of the depth buffer for the GUI over it, and the present.
#pragma once

#include <functional>

#include "engine/render/RenderView.h"
#include "engine/scene/CameraPath.h"
#include "platform/d3d9/d3d9.h"
#include "shell/SceneProperties.h"

namespace saver {

struct RoomFrameSteps {
  // Draws the room (the saver's renderScene); false when a draw failed.
  std::function<bool()> scene;
  // Draws the in-engine GUI over the room (the overlays); may be empty.
  std::function<void()> gui;
};

class RoomFrame {
public:
  // `properties` is read at every frame and must outlive the frame.
  explicit RoomFrame(const SceneProperties& properties) : properties_(properties) {}

  // Draws and presents a frame seen from `camera`, darkened towards black by `fadeOpacity`
  // (0: no fade quad). False without a device or when a step of the frame failed.
  bool draw(const engine::CameraPose& camera, float fadeOpacity, const RoomFrameSteps& steps);

  engine::RenderView& view() { return view_; }

private:
  bool drawScene(IDirect3DDevice9& device, float fadeOpacity, const RoomFrameSteps& steps);
  void setFrameStates();

  const SceneProperties& properties_;
  engine::RenderView view_;
};

} // namespace saver
