#include "shell/GraphicsMissingDialog.h"

#include <cstdio>

#include "platform/win32/shellapi.h"
#include "shell/DialogTemplates.h"

namespace saver {

INT_PTR graphicsMissingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG:
    SetWindowPos(dialog, nullptr, 300, 300, 390, 131, SWP_NOZORDER);
    if (lParam)
      SetDlgItemTextA(dialog, kGraphicsFailureText,
                      (std::string("(") + reinterpret_cast<const char*>(lParam) + ")").c_str());
    return TRUE;
  case WM_COMMAND:
    return endOnOkOrCancel(dialog, wParam) ? TRUE : FALSE;
  default:
    return FALSE;
  }
}

int reportGraphicsMissing(const std::string& failure) {
  std::fprintf(stderr,
               "tickwood: OpenGL 3.3 is not available (%s); installing or updating the graphics drivers usually "
               "mends this, see %s\n",
               failure.c_str(), kOpenGlDriversPage);
  if (dialogs::dialogsUnavailableReason().empty()) {
    const INT_PTR pressed =
        DialogBoxIndirectParamA(nullptr, &graphicsMissingDialogTemplate(), nullptr, graphicsMissingDialogProc,
                                reinterpret_cast<LPARAM>(failure.c_str()));
    if (pressed == IDOK) ShellExecuteA(nullptr, "open", kOpenGlDriversPage, nullptr, nullptr, SW_SHOWNORMAL);
  }
  return 1;
}

} // namespace saver
