// The clock room's part of the settings dialog: the picture for the frame. It sees every
// message before the screensaver's own procedure, which then handles it as well.
#pragma once

#include "platform/dialogs/dialogs.h"
#include "shell/Settings.h"

namespace saver {

// The file dialog's one type entry: the pictures the frame can show.
constexpr const char* kPictureFilter = "(*.jpg;*.tga;*.bmp;*.gif;*.png)|*.jpg;*.tga;*.bmp;*.gif;*.png|";
// "PhotoPath" as OK takes it from the edit: at most this many characters, the longest text
// the settings read back (a path cut shorter than that, as Browse can give, names another file).
constexpr int kPhotoPathLimit = 255;

class ClockSettingsDialog {
public:
  explicit ClockSettingsDialog(Settings& settings) : settings_(settings) {}

  void handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

private:
  void browse(HWND dialog);
  void showPath(HWND dialog);

  Settings& settings_;
};

} // namespace saver
