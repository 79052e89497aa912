// The settings dialog's procedure: the controls show the settings, every click changes them
// in memory, OK writes them (Cancel writes nothing), Restore Defaults puts the defaults back,
// and the display mode list offers every mode of every adapter once.
#pragma once

#include <functional>

#include "engine/app/Application.h"
#include "platform/dialogs/dialogs.h"
#include "shell/Settings.h"

namespace saver {

class SettingsDialog {
public:
  // `save` writes the settings (false when they could not be written); `makeDirect3D`
  // makes the Direct3D object the modes are read from; `displayMode` receives the desktop's
  // current mode.
  SettingsDialog(Settings& settings, std::function<bool()> save, engine::Direct3DFactory makeDirect3D,
                 D3DDISPLAYMODE& displayMode);

  INT_PTR handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

private:
  // Every control from the settings, and the mode list; `first` also centres the dialog.
  // False (the dialog then ended) when no Direct3D object can be made.
  bool initialise(HWND dialog, bool first);
  void showSliders(HWND dialog);
  void showChoices(HWND dialog);
  void centre(HWND dialog);
  void fillModeList(HWND dialog, const engine::DeviceEnumeration& enumeration);
  void showGamma(HWND dialog);
  void enableVolume(HWND dialog);
  bool command(HWND dialog, WORD id);
  void accept(HWND dialog);
  void restoreDefaults(HWND dialog);

  Settings& settings_;
  std::function<bool()> save_;
  engine::Direct3DFactory makeDirect3D_;
  D3DDISPLAYMODE& displayMode_;
  bool initialised_ = false;
};

// The text of a mode list entry: "800x600x32bit".
std::string modeText(UINT width, UINT height, UINT bits);

} // namespace saver
