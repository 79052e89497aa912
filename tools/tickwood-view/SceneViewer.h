// Shows a scene file: a window (or a hidden one for screenshots), a device, the media and
// the texture store, and the scene assembled and drawn by the clock room's own recipe, with
// the room's "Scene.props", the hands at the local time (or a given one) and the
// animations playing.
#pragma once

#include <memory>
#include <string>

#include "clockroom/ClockMechanism.h"
#include "clockroom/RoomFrame.h"
#include "clockroom/RoomScene.h"
#include "engine/data/MediaLibrary.h"
#include "engine/resources/textures/TextureManager.h"
#include "engine/scene/CameraPath.h"
#include "platform/d3d9/HiddenWindow.h"
#include "tools/tickwood-view/ViewerOptions.h"

namespace tools {

class SceneViewer {
public:
  SceneViewer() = default;
  ~SceneViewer();
  SceneViewer(const SceneViewer&) = delete;
  SceneViewer& operator=(const SceneViewer&) = delete;

  // Opens the window and device, mounts the embedded archive when the program has one, and
  // loads the scene (and tour). False with `error` set.
  bool open(const ViewerOptions& options, std::string& error);

  // Draws and presents one frame. `atSeconds` fixes the animation time; null plays them
  // on the clock.
  bool renderFrame(const double* atSeconds);
  // The window's loop until it is closed, Escape is pressed or the time is up.
  int runWindowed();

  saver::RoomScene& room() { return *room_; }
  IDirect3DDevice9* device() const { return device_; }

private:
  bool openWindow(std::string& error);
  bool openDevice(std::string& error);
  // A location for a file on disk, or else in the archive's "Media" folder.
  bool locate(const std::string& name, engine::FileLocation& location) const;
  bool loadTour(std::string& error);
  engine::CameraPose camera(const double* atSeconds) const;
  void moveCamera(float seconds);

  ViewerOptions options_;
  d3d9::HiddenWindow hidden_;
  HWND window_ = nullptr;
  bool ownWindow_ = false;
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  engine::MediaLibrary media_;
  std::unique_ptr<engine::TextureManager> textures_;
  saver::SceneProperties properties_;
  saver::ClockMechanism clock_;
  std::unique_ptr<saver::RoomScene> room_;
  saver::RoomFrame frame_{properties_};
  engine::CameraPath tour_;
  bool hasTour_ = false;
  std::int64_t startMs_ = 0;
  D3DXVECTOR3 eye_;
  D3DXVECTOR3 direction_;
  D3DXVECTOR3 up_;
};

} // namespace tools
