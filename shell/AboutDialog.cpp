#include "shell/AboutDialog.h"

#include "shell/DialogTemplates.h"

namespace saver {

INT_PTR aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
  case WM_INITDIALOG: {
    RECT owner{};
    if (GetWindowRect(GetParent(dialog), &owner))
      SetWindowPos(dialog, nullptr, owner.left + 140, owner.top + 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return TRUE;
  }
  case WM_COMMAND:
    return endOnOkOrCancel(dialog, wParam) ? TRUE : FALSE;
  default:
    return FALSE;
  }
}

} // namespace saver
