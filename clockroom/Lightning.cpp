#include "clockroom/Lightning.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "clockroom/LampFlicker.h"

namespace saver {

namespace {

constexpr std::int64_t kFirstFlashDelayMs = 1000;
constexpr std::int64_t kThunderDelayMs = 500;

WORD rampEntry(float v) { return static_cast<WORD>(std::clamp(v, 0.0f, 65535.0f)); }

// The red, green and blue tables of a ramp, to walk its 768 entries channel by channel.
template <class Ramp> auto channels(Ramp& ramp) { return std::array{&ramp.red, &ramp.green, &ramp.blue}; }

} // namespace

float flashIntensity(float fraction) {
  float x = fraction < 0.5f ? 2.0f * fraction : 2.0f * (1.0f - fraction);
  // A frame that comes after the flash's end (or a clock stepping back) would take the
  // root of a negative number; the flash is simply dark there.
  x = std::max(x, 0.0f);
  x = std::sqrt(std::sqrt(x)) * 1.1111112f;
  return std::min(x, 1.0f);
}

D3DGAMMARAMP flashGammaRamp(float strength) {
  D3DGAMMARAMP ramp{};
  for (int i = 0; i < 256; ++i) {
    const WORD v = rampEntry(strength * 32768.0f + static_cast<float>(i) * (strength * 256.0f + 256.0f));
    ramp.red[i] = ramp.green[i] = ramp.blue[i] = v;
  }
  return ramp;
}

D3DGAMMARAMP blendGammaRamps(const D3DGAMMARAMP& flash, const D3DGAMMARAMP& normal, float intensity) {
  D3DGAMMARAMP ramp{};
  const auto out = channels(ramp);
  const auto from = channels(flash);
  const auto to = channels(normal);
  for (std::size_t c = 0; c < out.size(); ++c) {
    for (int i = 0; i < 256; ++i) {
      const float f = static_cast<float>((*from[c])[i]);
      const float n = static_cast<float>((*to[c])[i]);
      (*out[c])[i] = rampEntry(f * intensity + n * (1.0f - intensity));
    }
  }
  return ramp;
}

void Lightning::setQuietTime(int milliseconds) { quietTime_ = std::max(milliseconds, 1); }

void Lightning::start() {
  interval_ = kFirstFlashDelayMs;
  lightningStopwatch_.restart();
}

void Lightning::update(WeatherOutput& output, LampFlicker& lamp) {
  flash_ = 0.0f;
  startFlashWhenDue(lamp);
  playDueThunder(output);
  lightScreen(output);
}

void Lightning::startFlashWhenDue(LampFlicker& lamp) {
  if (flashing_ || !lightningStopwatch_.every(interval_)) return;
  flashing_ = true;
  flashStopwatch_.restart();
  flashDuration_ = std::rand() % 400 + 300;
  flashStrength_ = static_cast<float>((std::rand() % 100) / 100.0 * 0.5 + 0.5);
  if (std::rand() % 5 == 0) {
    // A double flash: the next one follows almost at once, and the lamp answers it.
    interval_ = std::rand() % 100;
    lamp.queue(std::rand() % 2000 + 1000);
  } else if (std::rand() % 2 == 0) {
    interval_ = std::rand() % (2 * quietTime_) + quietTime_;
  } else {
    interval_ = std::rand() % (3 * quietTime_) + 2 * quietTime_;
  }
  if (thunderEnabled_) thunderQueue_.emplace_back();
}

void Lightning::playDueThunder(WeatherOutput& output) {
  for (auto it = thunderQueue_.begin(); it != thunderQueue_.end();) {
    if (!it->every(kThunderDelayMs)) {
      ++it;
      continue;
    }
    output.playThunder(std::rand() % 3);
    it = thunderQueue_.erase(it);
  }
}

void Lightning::lightScreen(WeatherOutput& output) {
  if (!flashing_) return;
  const float fraction = static_cast<float>(flashStopwatch_.elapsedMs()) / static_cast<float>(flashDuration_);
  flash_ = flashIntensity(fraction);
  if (flashStopwatch_.every(flashDuration_)) {
    flashing_ = false;
    lightningStopwatch_.restart();
    output.setGammaRamp(normalRamp_);
    return;
  }
  output.setGammaRamp(blendGammaRamps(flashGammaRamp(flashStrength_), normalRamp_, flash_));
}

} // namespace saver
