// The file dialog class the program uses to let the person pick a file, with the class
// library's filter syntax: "description|patterns|description|patterns|", patterns separated
// by ';'. Patterns match names whatever their case, as on Windows.
#pragma once

#include <string>
#include <vector>

#include "platform/dialogs/DialogHost.h"

constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;

class CFileDialog {
public:
  // Only the "open" form is offered (`openFileDialog` TRUE); `parent` owns the dialog.
  CFileDialog(BOOL openFileDialog, LPCSTR defaultExtension = nullptr, LPCSTR fileName = nullptr,
              DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR filter = nullptr, HWND parent = nullptr);

  // IDOK once a file is chosen (with OFN_FILEMUSTEXIST only an existing one: a name that
  // is not there is refused with a message and the person chooses again), IDCANCEL when
  // cancelled, -1 when no dialog can be shown.
  INT_PTR DoModal();
  // The chosen file's full path, and its name alone.
  std::string GetPathName() const { return path_; }
  std::string GetFileName() const;

private:
  bool open_;
  DWORD flags_;
  HWND parent_;
  dialogs::FileRequest request_;
  std::string path_;
};

namespace dialogs {

// The entries of a filter in the class library's syntax; an entry without patterns is
// dropped.
std::vector<FileFilter> parseFileFilter(const std::string& filter);

} // namespace dialogs
