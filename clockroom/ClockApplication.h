// The clock room's application object: the hands and the photo setting, on top of the
// screensaver's application.
#pragma once

#include "clockroom/ClockMechanism.h"
#include "clockroom/Weather.h"
#include "shell/SaverApplication.h"

namespace saver {

class ClockApplication : public SaverApplication {
public:
  // Turns the hands to the local time (only in frames where the device is ready).
  bool updateScene() override;
  void readSceneExtras(const engine::PropsTree& properties) override;
  // "PhotoPath" first, then the base values.
  bool loadSettings() override;
  bool saveSettings() override;

  const ClockMechanism& clockMechanism() const { return clockMechanism_; }
  const WeatherTiming& weatherTiming() const { return weatherTiming_; }

private:
  ClockMechanism clockMechanism_;
  WeatherTiming weatherTiming_;
};

} // namespace saver
