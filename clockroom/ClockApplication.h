// The clock room's application object: the room assembled and drawn, its hands, the storm
// and the camera tours, and the photo setting, on top of the screensaver's application.
#pragma once

#include "audio/RoomSounds.h"
#include "clockroom/CameraTours.h"
#include "clockroom/ClockMechanism.h"
#include "clockroom/ClockSettingsDialog.h"
#include "clockroom/Overlays.h"
#include "clockroom/RoomFrame.h"
#include "clockroom/RoomScene.h"
#include "clockroom/Weather.h"
#include "shell/SaverApplication.h"

namespace saver {

class ClockApplication : public SaverApplication, private WeatherOutput {
public:
  ClockApplication();
  ~ClockApplication() override;

  // The hands, then the storm (only in frames where the device is ready).
  bool updateScene() override;
  // The room in its order, lit by this frame's flash and flicker.
  bool renderScene() override;
  // The room from "/clock.udf" with everything that lives in it; false (logged) when the
  // file cannot be loaded.
  bool loadScene() override;
  void readSceneExtras(const engine::PropsTree& properties) override;
  // The picture controls (ClockSettingsDialog), then the base handles the message too.
  INT_PTR settingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  void shutdownAudio() override;
  // "PhotoPath" first, then the base values.
  bool loadSettings() override;
  bool saveSettings() override;

  const ClockMechanism& clockMechanism() const { return clockMechanism_; }
  const WeatherTiming& weatherTiming() const { return weatherTiming_; }
  const Overlays& overlays() const { return overlays_; }
  const Weather& weather() const { return weather_; }
  const CameraTours& tours() const { return tours_; }
  const audio::RoomSounds& sounds() const { return sounds_; }
  RoomScene& room() { return room_; }
  RoomFrame& frame() { return frame_; }
  // The camera shown while no tour plays: the free camera controller's pose, placed at its
  // start when the room loads and at the pose of each tour's end, moved by the input between.
  engine::CameraPose freeCamera();

protected:
  // The frame: the tour's step, then the room's frame recipe with the GUI over it.
  void renderFrame() override;
  void releaseScene() override;

private:
  // The storm's effects outside itself.
  void setGammaRamp(const D3DGAMMARAMP& ramp) override;
  void playThunder(int clap) override;
  bool readTour(const std::string& name, engine::CameraPath& path) const;
  void placeFreeCamera(const engine::CameraPose& pose);

  ClockMechanism clockMechanism_;
  WeatherTiming weatherTiming_;
  ClockSettingsDialog pictureDialog_{settings_};
  Weather weather_;
  CameraTours tours_;
  RoomScene room_;
  RoomFrame frame_{sceneProperties_};
  engine::CameraPose viewCamera_; // the last frame's, for the listener
  audio::RoomSounds sounds_;
  bool sceneBuffersListening_ = false;
  Overlays overlays_;
};

} // namespace saver
