// The lightning: when the next flash comes, how bright it is from moment to moment, the
// screen's gamma ramp during it, and the thunder clap that follows each flash.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/app/Stopwatch.h"
#include "platform/d3d9/d3d9types.h"

namespace saver {

class LampFlicker;

// What the storm does outside its own state.
class WeatherOutput {
public:
  virtual ~WeatherOutput() = default;
  // The caller sets it on swap chain 0 with D3DSGR_CALIBRATE.
  virtual void setGammaRamp(const D3DGAMMARAMP& ramp) = 0;
  // 0, 1, 2: "/ClockGrom1.ogg", "/ClockGrom2.ogg", "/ClockGrom3.ogg".
  virtual void playThunder(int clap) = 0;
};

// The brightness of a flash at `fraction` (0 ... 1) of its duration: a triangle that
// peaks halfway, widened by two square roots and raised so that the top is held at 1. Past
// either end it is 0.
float flashIntensity(float fraction);
// The screen's ramp at a flash's full intensity: v = strength * 32768 + i * (strength *
// 256 + 256), truncated and limited to 65535, the same for red, green and blue.
D3DGAMMARAMP flashGammaRamp(float strength);
// Each of the 768 entries: flash * intensity + normal * (1 - intensity), truncated and
// limited to 65535.
D3DGAMMARAMP blendGammaRamps(const D3DGAMMARAMP& flash, const D3DGAMMARAMP& normal, float intensity);

class Lightning {
public:
  // "QuietTime": the usual gaps are one to five times this. Values below 1 count as 1,
  // since the draw divides by multiples of the value.
  void setQuietTime(int milliseconds);
  std::int64_t quietTime() const { return quietTime_; }
  void setNormalRamp(const D3DGAMMARAMP& ramp) { normalRamp_ = ramp; }
  // Thunder follows the flashes only when its samples are there.
  void setThunderEnabled(bool enabled) { thunderEnabled_ = enabled; }

  // The first flash may come 1000 ms from now.
  void start();
  // In this order: a new flash when its gap has passed (rand() draws: duration, strength,
  // kind of gap, gap, and a flicker's delay after a double flash), due thunder (one draw a
  // clap), then the flash's brightness and the screen's ramp.
  void update(WeatherOutput& output, LampFlicker& lamp);

  bool flashing() const { return flashing_; }
  float flash() const { return flash_; }
  std::int64_t interval() const { return interval_; }
  int flashDuration() const { return flashDuration_; }
  float flashStrength() const { return flashStrength_; }
  std::size_t pendingThunder() const { return thunderQueue_.size(); }

private:
  void startFlashWhenDue(LampFlicker& lamp);
  void playDueThunder(WeatherOutput& output);
  void lightScreen(WeatherOutput& output);

  std::int64_t quietTime_ = 6000;
  D3DGAMMARAMP normalRamp_{};
  bool thunderEnabled_ = false;
  bool flashing_ = false;
  engine::Stopwatch flashStopwatch_;
  int flashDuration_ = 0;
  float flashStrength_ = 0.0f;
  engine::Stopwatch lightningStopwatch_; // counts the gap from the end of the last flash
  std::int64_t interval_ = 1000;
  float flash_ = 0.0f;
  std::vector<engine::Stopwatch> thunderQueue_; // one per clap, started with its flash
};

} // namespace saver
