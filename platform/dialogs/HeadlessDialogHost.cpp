#include "platform/dialogs/HeadlessDialogHost.h"

namespace dialogs {

void HeadlessDialogHost::onDialog(WORD templateId, Script script) { scripts_[templateId].push_back(std::move(script)); }

void HeadlessDialogHost::runModal(Dialog& dialog) {
  const WORD id = dialog.dialogTemplate().id;
  shown_.push_back(id);
  auto found = scripts_.find(id);
  if (found != scripts_.end() && !found->second.empty()) {
    Script script = std::move(found->second.front());
    found->second.pop_front();
    script(dialog);
  }
  if (!dialog.ended()) dialog.end(-1);
}

int HeadlessDialogHost::messageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  messageBoxes_.push_back(MessageBoxShown{owner, text, caption, type});
  return messageBoxAnswer_;
}

std::optional<std::string> HeadlessDialogHost::chooseFile(HWND, const FileRequest& request) {
  fileRequests_.push_back(request);
  if (fileAnswers_.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(fileAnswers_.front());
  fileAnswers_.pop_front();
  return answer;
}

} // namespace dialogs
