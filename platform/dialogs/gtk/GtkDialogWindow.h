// A dialog's GTK window: one real widget per control of its template, placed at the
// control's rectangle, mirroring the Dialog model and turning what the person does into the
// model's user actions (and so into the procedure's messages).
#pragma once

#include <gtk/gtk.h>

#include <map>
#include <string>
#include <vector>

#include "platform/dialogs/Dialog.h"

namespace dialogs::gtk {

// The family list and size the dialogs draw their text with, for a template's font.
std::string fontFamilies(const DialogTemplate& dialogTemplate);

class GtkDialogWindow final : public DialogView {
public:
  GtkDialogWindow(Dialog& dialog, GtkWindow* owner);
  ~GtkDialogWindow();
  GtkDialogWindow(const GtkDialogWindow&) = delete;
  GtkDialogWindow& operator=(const GtkDialogWindow&) = delete;

  GtkWindow* window() const { return GTK_WINDOW(window_); }
  void show();

  void controlChanged(const Control& control) override;
  void dialogMoved() override;

private:
  GtkWidget* makeWidget(Control& control);
  GtkWidget* makeRadioButton(Control& control);
  GtkWidget* makeBitmap(const Control& control);
  void connectSignals(Control& control, GtkWidget* widget);
  void showList(const Control& control, GtkWidget* widget);
  void showTrackbar(const Control& control, GtkWidget* widget);

  static void onClicked(GtkWidget* widget, gpointer self);
  static void onToggled(GtkToggleButton* button, gpointer self);
  static void onValueChanged(GtkRange* range, gpointer self);
  static void onListChanged(GtkComboBox* box, gpointer self);
  static void onTextChanged(GtkEditable* editable, gpointer self);
  static gboolean onKey(GtkWidget* widget, GdkEventKey* event, gpointer self);
  static gboolean onDelete(GtkWidget* widget, GdkEvent* event, gpointer self);
  static gboolean onConfigure(GtkWidget* widget, GdkEventConfigure* event, gpointer self);

  int idOf(GtkWidget* widget) const;

  Dialog& dialog_;
  GtkWidget* window_ = nullptr;
  GtkWidget* layout_ = nullptr;
  std::map<HWND, GtkWidget*> widgets_;
  std::map<GtkWidget*, int> ids_;
  std::map<HWND, std::vector<std::string>> shownItems_; // a list's entries as its widget has them
  GSList* radioGroup_ = nullptr;
  bool lastWasRadio_ = false;
  // Set while the model's state is copied into the widgets, whose signals then are not the
  // person's doing.
  bool mirroring_ = false;
};

} // namespace dialogs::gtk
