#include "clockroom/Weather.h"

namespace saver {

void Weather::setTiming(const WeatherTiming& timing) {
  lightning_.setQuietTime(timing.quietTime);
  lamp_.setWinkTime(timing.winkTime);
}

void Weather::update(WeatherOutput& output) {
  // The lightning's rand() draws (a new flash, thunder) come before the lamp's in every
  // update, so a seed repeats the whole storm.
  lightning_.update(output, lamp_);
  lamp_.update();
}

} // namespace saver
