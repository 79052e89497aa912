#include <filesystem>
#include <system_error>

#include "platform/dialogs/afxdlgs.h"

namespace dialogs {
namespace {

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool isRegularFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

} // namespace

std::vector<FileFilter> parseFileFilter(const std::string& filter) {
  std::vector<FileFilter> filters;
  // Description and patterns alternate; "||" ends the list.
  const std::size_t end = filter.find("||");
  const std::vector<std::string> parts = split(end == std::string::npos ? filter : filter.substr(0, end + 1), '|');
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    FileFilter entry{parts[i], {}};
    for (const std::string& pattern : split(parts[i + 1], ';'))
      if (!pattern.empty()) entry.patterns.push_back(pattern);
    if (!entry.patterns.empty()) filters.push_back(std::move(entry));
  }
  return filters;
}

} // namespace dialogs

CFileDialog::CFileDialog(BOOL openFileDialog, LPCSTR, LPCSTR fileName, DWORD flags, LPCSTR filter, HWND parent)
    : open_(openFileDialog != FALSE), flags_(flags), parent_(parent) {
  request_.title = "Open";
  if (filter) request_.filters = dialogs::parseFileFilter(filter);
  if (fileName) request_.initialName = fileName;
}

INT_PTR CFileDialog::DoModal() {
  if (!open_) return -1;
  dialogs::DialogHost& host = dialogs::dialogHost();
  if (!host.unavailableReason().empty()) return -1;
  for (;;) {
    std::optional<std::string> chosen = host.chooseFile(parent_, request_);
    if (!chosen) return IDCANCEL;
    if ((flags_ & OFN_FILEMUSTEXIST) && !dialogs::isRegularFile(*chosen)) {
      host.messageBox(parent_, *chosen + "\nFile not found.\nCheck the file name and try again.", request_.title,
                      MB_OK | MB_ICONWARNING);
      continue;
    }
    path_ = *chosen;
    return IDOK;
  }
}

std::string CFileDialog::GetFileName() const { return std::filesystem::path(path_).filename().string(); }
