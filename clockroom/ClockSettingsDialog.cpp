#include "clockroom/ClockSettingsDialog.h"

#include "platform/dialogs/afxdlgs.h"
#include "shell/DialogTemplates.h"

namespace saver {

void ClockSettingsDialog::handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    showPath(dialog);
    return;
  }
  if (message != WM_COMMAND) return;
  switch (LOWORD(wParam)) {
  case kBrowseButton:
    browse(dialog);
    break;
  case kDefaultPictureButton:
    settings_.photoPath.clear();
    showPath(dialog);
    break;
  case IDOK: {
    char path[kPhotoPathLimit + 1] = {};
    GetDlgItemTextA(dialog, kPhotoPathEdit, path, sizeof path);
    settings_.photoPath = path;
    break;
  }
  default:
    break;
  }
}

void ClockSettingsDialog::browse(HWND dialog) {
  CFileDialog chooser(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, kPictureFilter, dialog);
  if (chooser.DoModal() != IDOK) return;
  settings_.photoPath = chooser.GetPathName();
  showPath(dialog);
}

void ClockSettingsDialog::showPath(HWND dialog) {
  SetDlgItemTextA(dialog, kPhotoPathEdit, settings_.photoPath.c_str());
}

} // namespace saver
