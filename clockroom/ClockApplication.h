// The clock room's application object: the room assembled and drawn, its hands, the storm
// and the camera tours, and the photo setting, on top of the screensaver's application.
#pragma once

#include "clockroom/CameraTours.h"
#include "clockroom/ClockMechanism.h"
#include "clockroom/Overlays.h"
#include "clockroom/RoomFrame.h"
#include "clockroom/RoomScene.h"
#include "clockroom/RoomSounds.h"
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
  void shutdownAudio() override;
  // "PhotoPath" first, then the base values.
  bool loadSettings() override;
  bool saveSettings() override;

  // The room's sounds; null (the default) leaves the room silent. Must outlive the run.
  void setSounds(RoomSounds* sounds) { sounds_ = sounds; }

  const ClockMechanism& clockMechanism() const { return clockMechanism_; }
  const WeatherTiming& weatherTiming() const { return weatherTiming_; }
  const Overlays& overlays() const { return overlays_; }
  const Weather& weather() const { return weather_; }
  const CameraTours& tours() const { return tours_; }
  RoomScene& room() { return room_; }
  RoomFrame& frame() { return frame_; }
  // The camera shown while no tour plays: from the free camera's start until the free
  // camera's controller moves it, and at the pose of each tour's end.
  engine::CameraPose& freeCamera() { return freeCamera_; }

protected:
  // The frame: the tour's step, then the room's frame recipe with the GUI over it.
  void renderFrame() override;
  void releaseScene() override;

private:
  // The storm's effects outside itself.
  void setGammaRamp(const D3DGAMMARAMP& ramp) override;
  void playThunder(int clap) override;
  bool readTour(const std::string& name, engine::CameraPath& path) const;

  ClockMechanism clockMechanism_;
  WeatherTiming weatherTiming_;
  Weather weather_;
  CameraTours tours_;
  RoomScene room_;
  RoomFrame frame_{sceneProperties_};
  engine::CameraPose freeCamera_;
  engine::CameraPose viewCamera_; // the last frame's, for the listener
  RoomSounds* sounds_ = nullptr;
  bool sceneBuffersListening_ = false;
  Overlays overlays_;
};

} // namespace saver
