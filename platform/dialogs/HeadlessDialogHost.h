// A dialog host without a display, for tests: dialogs exist only as their Dialog model, and
// what the person does is a script given beforehand. Message boxes and file dialogs are
// recorded and answered from lists.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs/DialogHost.h"

namespace dialogs {

class HeadlessDialogHost final : public DialogHost {
public:
  using Script = std::function<void(Dialog&)>;

  // What the person does the next time the dialog of this template id is shown (each
  // script runs once, in the order given). A dialog its script leaves open, or one without
  // a script, ends with -1, so a test never waits for a person who is not there.
  void onDialog(WORD templateId, Script script);

  struct MessageBoxShown {
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT type = 0;
  };
  const std::vector<MessageBoxShown>& messageBoxes() const { return messageBoxes_; }
  // The button the next message boxes answer (IDOK unless set).
  void answerMessageBoxes(int button) { messageBoxAnswer_ = button; }

  // The next file dialog answers `path` (nothing: cancelled).
  void answerFileDialog(std::optional<std::string> path) { fileAnswers_.push_back(std::move(path)); }
  const std::vector<FileRequest>& fileRequests() const { return fileRequests_; }

  // The template ids of the dialogs shown, in order.
  const std::vector<WORD>& shown() const { return shown_; }

  std::string unavailableReason() override { return {}; }
  FontMetrics fontMetrics(const DialogTemplate&) override { return kClassicDialogFont; }
  void runModal(Dialog& dialog) override;
  int messageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override;
  std::optional<std::string> chooseFile(HWND owner, const FileRequest& request) override;

private:
  std::map<WORD, std::deque<Script>> scripts_;
  std::vector<MessageBoxShown> messageBoxes_;
  int messageBoxAnswer_ = static_cast<int>(IDOK);
  std::deque<std::optional<std::string>> fileAnswers_;
  std::vector<FileRequest> fileRequests_;
  std::vector<WORD> shown_;
};

} // namespace dialogs
