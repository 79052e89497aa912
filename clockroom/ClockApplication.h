// The clock room's application object: the hands and the photo setting, on top of the
// screensaver's application.
#pragma once

#include "clockroom/ClockMechanism.h"
#include "clockroom/Overlays.h"
#include "shell/SaverApplication.h"

namespace saver {

// The storm's pace from "Scene.props", in milliseconds.
struct WeatherTiming {
  int quietTime = 6000; // "QuietTime": the gaps between lightning
  int winkTime = 2000;  // "WinkTime": how long the lamp flickers
};

class ClockApplication : public SaverApplication {
public:
  ClockApplication() { setOverlays(&overlays_); }

  // Turns the hands to the local time (only in frames where the device is ready).
  bool updateScene() override;
  void readSceneExtras(const engine::PropsTree& properties) override;
  // "PhotoPath" first, then the base values.
  bool loadSettings() override;
  bool saveSettings() override;

  const ClockMechanism& clockMechanism() const { return clockMechanism_; }
  const WeatherTiming& weatherTiming() const { return weatherTiming_; }
  const Overlays& overlays() const { return overlays_; }

private:
  ClockMechanism clockMechanism_;
  WeatherTiming weatherTiming_;
  Overlays overlays_;
};

} // namespace saver
