// The dialog manager's calls over the open dialogs of the process, and the window calls
// (through win32's window provider) on their handles.
#include <algorithm>
#include <vector>

#include "platform/dialogs/DialogHost.h"
#include "platform/dialogs/commctrl.h"
#include "platform/win32/desktop.h"
#include "platform/win32/winbase.h"

namespace dialogs {
namespace {

struct Manager final : win32::WindowProvider {
  DialogHost* host = nullptr;
  std::vector<Dialog*> open;        // innermost last
  UINT_PTR nextHandle = 0x70000000; // apart from windows, GDI objects and X11 ids

  Control* control(HWND handle, Dialog** owner = nullptr) {
    for (Dialog* dialog : open)
      if (Control* found = dialog->control(handle)) {
        if (owner) *owner = dialog;
        return found;
      }
    return nullptr;
  }

  bool owns(HWND window) override { return findDialog(window) || control(window); }

  HWND parentOf(HWND window) override {
    if (Dialog* dialog = findDialog(window)) return dialog->owner();
    Dialog* dialog = nullptr;
    return control(window, &dialog) ? dialog->handle() : nullptr;
  }

  bool clientRect(HWND window, RECT& rect) override {
    if (Dialog* dialog = findDialog(window)) {
      rect = dialog->clientRect();
      return true;
    }
    if (Control* found = control(window)) {
      rect = RECT{0, 0, found->rect.right - found->rect.left, found->rect.bottom - found->rect.top};
      return true;
    }
    return false;
  }

  bool windowRect(HWND window, RECT& rect) override {
    if (Dialog* dialog = findDialog(window)) {
      rect = dialog->windowRect();
      return true;
    }
    Dialog* dialog = nullptr;
    Control* found = control(window, &dialog);
    if (!found) return false;
    const RECT origin = dialog->windowRect();
    rect = RECT{origin.left + found->rect.left, origin.top + found->rect.top, origin.left + found->rect.right,
                origin.top + found->rect.bottom};
    return true;
  }

  bool setWindowPos(HWND window, int x, int y, int width, int height, UINT flags) override {
    // Controls stay where their template puts them.
    Dialog* dialog = findDialog(window);
    if (!dialog) return false;
    dialog->setWindowPos(x, y, width, height, flags);
    return true;
  }
};

Manager& manager() {
  static Manager m;
  return m;
}

HWND newHandle() { return reinterpret_cast<HWND>(manager().nextHandle += 0x10); }

Control* dialogControl(HWND dialog, int id, Dialog** owner = nullptr) {
  Dialog* found = findDialog(dialog);
  if (owner) *owner = found;
  return found ? found->control(id) : nullptr;
}

// Where a new dialog starts: over its owner's top-left corner when the owner is a dialog,
// else at the screen's; the procedure may move it during WM_INITDIALOG.
POINT originFor(HWND owner) {
  RECT rect{};
  if (owner && GetWindowRect(owner, &rect)) return POINT{rect.left, rect.top};
  return POINT{0, 0};
}

} // namespace

void setDialogHost(DialogHost* host) { manager().host = host; }

DialogHost& dialogHost() { return manager().host ? *manager().host : desktopDialogHost(); }

Dialog* findDialog(HWND handle) {
  auto& open = manager().open;
  auto it = std::find_if(open.begin(), open.end(), [&](Dialog* d) { return d->handle() == handle; });
  return it == open.end() ? nullptr : *it;
}

std::string dialogsUnavailableReason() { return dialogHost().unavailableReason(); }

} // namespace dialogs

INT_PTR DialogBoxIndirectParamA(HINSTANCE, const dialogs::DialogTemplate* dialogTemplate, HWND owner, DLGPROC procedure,
                                LPARAM initParam) {
  if (!dialogTemplate || !procedure) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  dialogs::DialogHost& host = dialogs::dialogHost();
  if (!host.unavailableReason().empty()) return -1;
  dialogs::Manager& manager = dialogs::manager();
  win32::setWindowProvider(&manager);
  dialogs::Dialog dialog(*dialogTemplate, procedure, owner, host.fontMetrics(*dialogTemplate),
                         dialogs::originFor(owner), dialogs::newHandle);
  manager.open.push_back(&dialog);
  const HWND focus = dialog.controls().empty() ? nullptr : dialog.controls().front().handle;
  dialog.deliver(WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), initParam);
  if (!dialog.ended()) host.runModal(dialog);
  std::erase(manager.open, &dialog);
  return dialog.result();
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  dialogs::Dialog* found = dialogs::findDialog(dialog);
  if (!found) return FALSE;
  found->end(result);
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
  dialogs::Control* control = dialogs::dialogControl(dialog, id);
  return control ? control->handle : nullptr;
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  dialogs::Dialog* owner = nullptr;
  dialogs::Control* control = dialogs::dialogControl(dialog, id, &owner);
  return control ? owner->send(*control, message, wParam, lParam) : 0;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  return dialogs::dialogControl(dialog, id) ? (SendDlgItemMessageA(dialog, id, BM_SETCHECK, check, 0), TRUE) : FALSE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  return static_cast<UINT>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}

BOOL CheckRadioButton(HWND dialog, int first, int last, int check) {
  dialogs::Dialog* found = dialogs::findDialog(dialog);
  if (!found) return FALSE;
  for (dialogs::Control& control : found->controls())
    if (control.definition.id >= first && control.definition.id <= last)
      found->send(control, BM_SETCHECK, control.definition.id == check ? BST_CHECKED : BST_UNCHECKED, 0);
  return TRUE;
}

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  return dialogs::dialogControl(dialog, id)
             ? static_cast<BOOL>(SendDlgItemMessageA(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)))
             : FALSE;
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR text, int max) {
  if (!text || max <= 0) return 0;
  text[0] = '\0';
  return static_cast<UINT>(
      SendDlgItemMessageA(dialog, id, WM_GETTEXT, static_cast<WPARAM>(max), reinterpret_cast<LPARAM>(text)));
}

BOOL EnableWindow(HWND window, BOOL enable) {
  dialogs::Dialog* owner = nullptr;
  dialogs::Control* control = dialogs::manager().control(window, &owner);
  if (!control) return FALSE;
  const BOOL wasDisabled = control->enabled ? FALSE : TRUE;
  owner->setEnabled(*control, enable != FALSE);
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND window) {
  dialogs::Control* control = dialogs::manager().control(window);
  if (control) return control->enabled ? TRUE : FALSE;
  return dialogs::findDialog(window) ? TRUE : FALSE;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  dialogs::DialogHost& host = dialogs::dialogHost();
  if (!host.unavailableReason().empty()) return 0;
  return host.messageBox(owner, text ? text : "", caption ? caption : "Error", type);
}
