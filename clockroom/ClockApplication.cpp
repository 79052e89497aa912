#include "clockroom/ClockApplication.h"

namespace saver {

bool ClockApplication::updateScene() {
  clockMechanism_.update();
  return true;
}

void ClockApplication::readSceneExtras(const engine::PropsTree& properties) {
  weatherTiming_.quietTime = properties.getInt("QuietTime", weatherTiming_.quietTime);
  weatherTiming_.winkTime = properties.getInt("WinkTime", weatherTiming_.winkTime);
}

bool ClockApplication::loadSettings() {
  readPhotoPath(settings_.photoPath);
  return SaverApplication::loadSettings();
}

bool ClockApplication::saveSettings() {
  writePhotoPath(settings_.photoPath);
  return SaverApplication::saveSettings();
}

} // namespace saver
