// Where dialogs appear: the desktop's own host (GTK 3 widgets) in the program, a headless
// host in tests. A host shows dialogs modally, shows message boxes and asks for files; the
// dialogs' state and their procedures' messages stay in the Dialog model either way.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs/Dialog.h"

namespace dialogs {

// One entry of a file dialog's type list: "Pictures" and its patterns ("*.jpg").
struct FileFilter {
  std::string description;
  std::vector<std::string> patterns;
};

struct FileRequest {
  std::string title;
  std::vector<FileFilter> filters;
  std::string initialName;
};

class DialogHost {
public:
  virtual ~DialogHost() = default;
  // Empty when dialogs can be shown; otherwise why not, in words for the user.
  virtual std::string unavailableReason() = 0;
  // The base units of a template's font as this host draws it.
  virtual FontMetrics fontMetrics(const DialogTemplate& dialogTemplate) = 0;
  // Shows the dialog (its WM_INITDIALOG is done) and returns once it has ended.
  virtual void runModal(Dialog& dialog) = 0;
  // The id of the button pressed; IDCANCEL (or IDOK for a box with only OK) when closed.
  virtual int messageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) = 0;
  // The full path of the file the person chose; nothing when they cancelled.
  virtual std::optional<std::string> chooseFile(HWND owner, const FileRequest& request) = 0;
};

// The host every dialog of the process goes to; null puts back the desktop's own.
void setDialogHost(DialogHost* host);
DialogHost& dialogHost();
// The GTK host (made on first use).
DialogHost& desktopDialogHost();

// The open dialog with this handle, or null.
Dialog* findDialog(HWND handle);

} // namespace dialogs
