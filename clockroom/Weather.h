// The thunderstorm outside the room's window for the whole run: lightning that flashes the
// window view and the screen, thunder after each flash, and the lamp's flicker after a
// double flash. Driven by the engine clock and rand(), so a seed and a controlled clock
// repeat a storm exactly.
#pragma once

#include "clockroom/LampFlicker.h"
#include "clockroom/Lightning.h"

namespace saver {

// The storm's pace from "Scene.props", in milliseconds.
struct WeatherTiming {
  int quietTime = 6000; // "QuietTime": the gaps between lightning
  int winkTime = 2000;  // "WinkTime": how long the lamp flickers
};

class Weather {
public:
  // Values below 1 count as 1.
  void setTiming(const WeatherTiming& timing);
  void setNormalRamp(const D3DGAMMARAMP& ramp) { lightning_.setNormalRamp(ramp); }
  // True when the first thunder sample was loaded ("Sound" on).
  void setThunderEnabled(bool enabled) { lightning_.setThunderEnabled(enabled); }
  // The first lightning may come 1000 ms from now.
  void start() { lightning_.start(); }
  void restartFlicker() { lamp_.restart(); }
  // Once per frame in which the device is ready, after the clock's hands.
  void update(WeatherOutput& output);

  // The lightning's brightness 0 ... 1 this frame (the window view's light).
  float flash() const { return lightning_.flash(); }
  // The lamp's darkening 0 ... 0.5 this frame.
  float flicker() const { return lamp_.flicker(); }
  bool flashing() const { return lightning_.flashing(); }
  bool flickering() const { return lamp_.flickering(); }

  const Lightning& lightning() const { return lightning_; }
  const LampFlicker& lamp() const { return lamp_; }

private:
  Lightning lightning_;
  LampFlicker lamp_;
};

} // namespace saver
