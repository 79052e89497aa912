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

INT_PTR ClockApplication::settingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  pictureDialog_.handleMessage(window, message, wParam, lParam);
  return SaverApplication::settingsDialogProc(window, message, wParam, lParam);
}

bool ClockApplication::saveSettings() {
  // The other values are written even when the photo's could not be.
  const bool photoWritten = writePhotoPath(settings_.photoPath);
  return SaverApplication::saveSettings() && photoWritten;
}

} // namespace saver
