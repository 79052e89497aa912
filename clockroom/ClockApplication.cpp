#include "clockroom/ClockApplication.h"

namespace saver {

bool ClockApplication::updateScene() {
  clockMechanism_.update();
  return true;
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
