// One open dialog: its controls' state in memory, the messages controls answer, and what a
// person does to them, reported to the dialog procedure as Windows reports it. Both hosts
// (GTK and the headless one of the tests) keep their dialogs here; the GTK host's widgets
// only mirror this state.
#pragma once

#include <string>
#include <vector>

#include "platform/dialogs/dialogs.h"

namespace dialogs {

struct ComboItem {
  std::string text;
  LPARAM data = 0;
};

struct Control {
  HWND handle = nullptr;
  ControlTemplate definition;
  std::string text;
  bool enabled = true;
  UINT check = BST_UNCHECKED;
  int rangeMin = 0; // a trackbar's range and position
  int rangeMax = 100;
  int position = 0;
  std::vector<ComboItem> items; // a drop-down list's entries and selection
  int selection = static_cast<int>(CB_ERR);
  RECT rect{}; // pixels, relative to the dialog's client area
};

// Told about every change of a dialog, so the host can show it.
class DialogView {
public:
  virtual void controlChanged(const Control& control) = 0;
  virtual void dialogMoved() = 0;

protected:
  ~DialogView() = default;
};

class Dialog {
public:
  // `newHandle` gives the dialog and each control a window handle of its own. The dialog's
  // window starts at `origin` (screen pixels), its size taken from the template.
  Dialog(const DialogTemplate& dialogTemplate, DLGPROC procedure, HWND owner, const FontMetrics& font, POINT origin,
         HWND (*newHandle)());
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  HWND handle() const { return handle_; }
  HWND owner() const { return owner_; }
  const DialogTemplate& dialogTemplate() const { return template_; }
  std::vector<Control>& controls() { return controls_; }
  Control* control(int id);
  Control* control(HWND handle);

  // The procedure's answer to a message.
  INT_PTR deliver(UINT message, WPARAM wParam, LPARAM lParam);
  // A control's answer to one of its messages (button, list, trackbar, text).
  LRESULT send(Control& control, UINT message, WPARAM wParam, LPARAM lParam);
  void setEnabled(Control& control, bool enabled);

  void end(INT_PTR result);
  bool ended() const { return ended_; }
  INT_PTR result() const { return result_; }

  // Screen pixels of the whole window, and its client size (the template's size).
  RECT windowRect() const { return rect_; }
  RECT clientRect() const { return RECT{0, 0, rect_.right - rect_.left, rect_.bottom - rect_.top}; }
  void setWindowPos(int x, int y, int width, int height, UINT flags);
  // Where the host's window really is after the person (or the desktop) moved it.
  void movedTo(int x, int y);

  void setView(DialogView* view) { view_ = view; }

  // What a person does. A disabled control takes no part; each answers whether it did.
  bool click(int id);                             // a button, check box or radio button
  bool moveTrackbar(int id, int position);        // clamped to the trackbar's range
  bool selectItem(int id, int index);             // an entry of a drop-down list
  bool typeText(int id, const std::string& text); // the whole text of an edit
  void pressEnter();                              // the default button
  void cancel();                                  // Escape, or closing the window

private:
  LRESULT buttonMessage(Control& control, UINT message, WPARAM wParam);
  LRESULT listMessage(Control& control, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT trackbarMessage(Control& control, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT textMessage(Control& control, UINT message, WPARAM wParam, LPARAM lParam);
  void setCheck(Control& control, UINT check);
  void changed(const Control& control);
  void command(const Control& control, WORD notification);
  Control* usable(int id);

  DialogTemplate template_;
  DLGPROC procedure_;
  HWND handle_;
  HWND owner_;
  std::vector<Control> controls_;
  RECT rect_{};
  bool ended_ = false;
  INT_PTR result_ = 0;
  DialogView* view_ = nullptr;
};

} // namespace dialogs
