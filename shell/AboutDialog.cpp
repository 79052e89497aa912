#include "shell/AboutDialog.h"

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
    if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
      EndDialog(dialog, LOWORD(wParam));
      return TRUE;
    }
    return FALSE;
  default:
    return FALSE;
  }
}

} // namespace saver
