#include "platform/dialogs/gtk/GtkDialogWindow.h"

#include <cmath>

#include "platform/win32/desktop.h"
#include "platform/win32/resources.h"

namespace dialogs::gtk {
namespace {

// Widgets as compact as the template's rectangles, which were drawn for a small classic
// dialog font; the desktop theme's spacing would push them over each other.
constexpr const char* kCompactStyle = R"(
.template-dialog button { padding: 0 4px; min-height: 0; min-width: 0; }
.template-dialog checkbutton, .template-dialog radiobutton { padding: 0; min-height: 0; }
.template-dialog check, .template-dialog radio { min-width: 11px; min-height: 11px; margin: 0 4px 0 0; }
.template-dialog entry { min-height: 0; padding: 0 3px; }
.template-dialog combobox button { padding: 0 4px; min-height: 0; }
.template-dialog scale { padding: 0; min-height: 0; }
.template-dialog scale trough { min-height: 4px; }
.template-dialog scale slider { min-width: 11px; min-height: 11px; margin: -5px; }
)";

// Each template font gets a style class of its own, added to the screen once.
void applyStyle(GtkWidget* window, const DialogTemplate& dialogTemplate) {
  static std::map<std::string, std::string> classes;
  const std::string font = fontFamilies(dialogTemplate) + " " + std::to_string(dialogTemplate.fontPoints);
  auto found = classes.find(font);
  if (found == classes.end()) {
    const std::string name = "template-font-" + std::to_string(classes.size());
    GtkCssProvider* provider = gtk_css_provider_new();
    const std::string css = std::string(classes.empty() ? kCompactStyle : "") + "." + name +
                            " * { font-family: " + fontFamilies(dialogTemplate) +
                            "; font-size: " + std::to_string(dialogTemplate.fontPoints) + "pt; }\n";
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(window), GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
    found = classes.emplace(font, name).first;
  }
  GtkStyleContext* style = gtk_widget_get_style_context(window);
  gtk_style_context_add_class(style, "template-dialog");
  gtk_style_context_add_class(style, found->second.c_str());
}

GdkPixbuf* pixbufOfBitmap(WORD id) {
  HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
  if (!bitmap) return nullptr;
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  const bool read = win32::readBitmapPixels(bitmap, width, height, pixels);
  DeleteObject(bitmap);
  if (!read) return nullptr;
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height);
  if (!pixbuf) return nullptr;
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  guchar* rows = gdk_pixbuf_get_pixels(pixbuf);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p =
          pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
      guchar* out = rows + static_cast<std::ptrdiff_t>(y) * stride + x * 3;
      out[0] = static_cast<guchar>(p >> 16);
      out[1] = static_cast<guchar>(p >> 8);
      out[2] = static_cast<guchar>(p);
    }
  return pixbuf;
}

} // namespace

std::string fontFamilies(const DialogTemplate& dialogTemplate) {
  // The template's family where the machine has it, else the desktop's sans-serif face.
  return "\"" + dialogTemplate.fontName + "\", sans-serif";
}

GtkDialogWindow::GtkDialogWindow(Dialog& dialog, GtkWindow* owner) : dialog_(dialog) {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window_), dialog.dialogTemplate().title.c_str());
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_window_set_modal(GTK_WINDOW(window_), TRUE);
  if (owner) gtk_window_set_transient_for(GTK_WINDOW(window_), owner);
  applyStyle(window_, dialog.dialogTemplate());

  // A layout, unlike a fixed container, does not grow with what its children would like:
  // the window keeps the template's size and text wraps inside each control's width.
  layout_ = gtk_layout_new(nullptr, nullptr);
  gtk_container_add(GTK_CONTAINER(window_), layout_);

  mirroring_ = true;
  for (Control& control : dialog.controls()) {
    GtkWidget* widget = makeWidget(control);
    widgets_[control.handle] = widget;
    ids_[widget] = control.definition.id;
    const RECT& r = control.rect;
    // A drop-down list's rectangle includes its open list; the closed box takes its own height.
    const bool ownHeight =
        control.definition.kind == ControlKind::DropDownList || control.definition.kind == ControlKind::StaticBitmap;
    gtk_widget_set_size_request(widget, control.definition.kind == ControlKind::StaticBitmap ? -1 : r.right - r.left,
                                ownHeight ? -1 : r.bottom - r.top);
    gtk_layout_put(GTK_LAYOUT(layout_), widget, r.left, r.top);
    controlChanged(control);
    connectSignals(control, widget);
  }
  mirroring_ = false;

  g_signal_connect(window_, "key-press-event", G_CALLBACK(onKey), this);
  g_signal_connect(window_, "delete-event", G_CALLBACK(onDelete), this);
  g_signal_connect(window_, "configure-event", G_CALLBACK(onConfigure), this);
  dialog_.setView(this);
  dialogMoved();
}

GtkDialogWindow::~GtkDialogWindow() {
  dialog_.setView(nullptr);
  gtk_widget_destroy(window_);
}

void GtkDialogWindow::show() { gtk_widget_show_all(window_); }

GtkWidget* GtkDialogWindow::makeWidget(Control& control) {
  const char* text = control.text.c_str();
  lastWasRadio_ = lastWasRadio_ && control.definition.kind == ControlKind::RadioButton;
  switch (control.definition.kind) {
  case ControlKind::GroupBox:
    return gtk_frame_new(text);
  case ControlKind::CheckBox:
    return gtk_check_button_new_with_label(text);
  case ControlKind::RadioButton:
    return makeRadioButton(control);
  case ControlKind::PushButton:
    return gtk_button_new_with_label(text);
  case ControlKind::DefaultButton: {
    GtkWidget* button = gtk_button_new_with_label(text);
    gtk_widget_set_can_default(button, TRUE);
    gtk_window_set_default(GTK_WINDOW(window_), button);
    return button;
  }
  case ControlKind::StaticBitmap:
    return makeBitmap(control);
  case ControlKind::Edit: {
    GtkWidget* entry = gtk_entry_new();
    gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
    return entry;
  }
  case ControlKind::DropDownList:
    return gtk_combo_box_text_new();
  case ControlKind::Trackbar: {
    GtkWidget* scale = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, 0, 100, 1);
    gtk_scale_set_draw_value(GTK_SCALE(scale), FALSE);
    gtk_range_set_round_digits(GTK_RANGE(scale), 0);
    gtk_range_set_increments(GTK_RANGE(scale), 1, 10);
    return scale;
  }
  case ControlKind::Static:
  default: {
    GtkWidget* label = gtk_label_new(text);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    return label;
  }
  }
}

GtkWidget* GtkDialogWindow::makeRadioButton(Control& control) {
  // Radio buttons next to each other in the template are one group.
  if (!lastWasRadio_) radioGroup_ = nullptr;
  GtkWidget* button = gtk_radio_button_new_with_label(radioGroup_, control.text.c_str());
  radioGroup_ = gtk_radio_button_get_group(GTK_RADIO_BUTTON(button));
  lastWasRadio_ = true;
  return button;
}

GtkWidget* GtkDialogWindow::makeBitmap(const Control& control) {
  GdkPixbuf* pixbuf = pixbufOfBitmap(control.definition.bitmap);
  if (!pixbuf) {
    win32::reportDiagnostic("Dialog " + std::to_string(dialog_.dialogTemplate().id) + ": bitmap " +
                            std::to_string(control.definition.bitmap) + " is missing");
    return gtk_image_new();
  }
  GtkWidget* image = gtk_image_new_from_pixbuf(pixbuf);
  g_object_unref(pixbuf);
  gtk_widget_set_halign(image, GTK_ALIGN_START);
  gtk_widget_set_valign(image, GTK_ALIGN_START);
  return image;
}

void GtkDialogWindow::connectSignals(Control& control, GtkWidget* widget) {
  switch (control.definition.kind) {
  case ControlKind::PushButton:
  case ControlKind::DefaultButton:
    g_signal_connect(widget, "clicked", G_CALLBACK(onClicked), this);
    break;
  case ControlKind::CheckBox:
  case ControlKind::RadioButton:
    g_signal_connect(widget, "toggled", G_CALLBACK(onToggled), this);
    break;
  case ControlKind::Trackbar:
    g_signal_connect(widget, "value-changed", G_CALLBACK(onValueChanged), this);
    break;
  case ControlKind::DropDownList:
    g_signal_connect(widget, "changed", G_CALLBACK(onListChanged), this);
    break;
  case ControlKind::Edit:
    g_signal_connect(widget, "changed", G_CALLBACK(onTextChanged), this);
    break;
  default:
    break;
  }
}

void GtkDialogWindow::controlChanged(const Control& control) {
  auto found = widgets_.find(control.handle);
  if (found == widgets_.end()) return;
  GtkWidget* widget = found->second;
  const bool wasMirroring = mirroring_;
  mirroring_ = true;
  gtk_widget_set_sensitive(widget, control.enabled);
  switch (control.definition.kind) {
  case ControlKind::GroupBox:
    gtk_frame_set_label(GTK_FRAME(widget), control.text.c_str());
    break;
  case ControlKind::CheckBox:
  case ControlKind::RadioButton:
    // A radio group always has one button checked: clearing one happens by checking another.
    if (control.check == BST_CHECKED || control.definition.kind == ControlKind::CheckBox)
      gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget), control.check == BST_CHECKED);
    gtk_button_set_label(GTK_BUTTON(widget), control.text.c_str());
    break;
  case ControlKind::PushButton:
  case ControlKind::DefaultButton:
    gtk_button_set_label(GTK_BUTTON(widget), control.text.c_str());
    break;
  case ControlKind::Edit:
    if (control.text != gtk_entry_get_text(GTK_ENTRY(widget)))
      gtk_entry_set_text(GTK_ENTRY(widget), control.text.c_str());
    break;
  case ControlKind::DropDownList:
    showList(control, widget);
    break;
  case ControlKind::Trackbar:
    showTrackbar(control, widget);
    break;
  case ControlKind::Static:
    gtk_label_set_text(GTK_LABEL(widget), control.text.c_str());
    break;
  default:
    break;
  }
  mirroring_ = wasMirroring;
}

void GtkDialogWindow::showList(const Control& control, GtkWidget* widget) {
  std::vector<std::string> texts;
  for (const ComboItem& item : control.items)
    texts.push_back(item.text);
  std::vector<std::string>& shown = shownItems_[control.handle];
  if (texts != shown) {
    gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(widget));
    for (const std::string& text : texts)
      gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(widget), text.c_str());
    shown = std::move(texts);
  }
  gtk_combo_box_set_active(GTK_COMBO_BOX(widget), control.selection);
}

void GtkDialogWindow::showTrackbar(const Control& control, GtkWidget* widget) {
  GtkRange* range = GTK_RANGE(widget);
  if (control.rangeMax > control.rangeMin) gtk_range_set_range(range, control.rangeMin, control.rangeMax);
  gtk_range_set_value(range, control.position);
}

void GtkDialogWindow::dialogMoved() {
  const RECT r = dialog_.windowRect();
  gtk_window_move(GTK_WINDOW(window_), r.left, r.top);
  gtk_widget_set_size_request(layout_, r.right - r.left, r.bottom - r.top);
  gtk_layout_set_size(GTK_LAYOUT(layout_), static_cast<guint>(r.right - r.left), static_cast<guint>(r.bottom - r.top));
  gtk_window_resize(GTK_WINDOW(window_), r.right - r.left, r.bottom - r.top);
}

int GtkDialogWindow::idOf(GtkWidget* widget) const {
  auto found = ids_.find(widget);
  return found == ids_.end() ? IDC_STATIC : found->second;
}

void GtkDialogWindow::onClicked(GtkWidget* widget, gpointer self) {
  auto* window = static_cast<GtkDialogWindow*>(self);
  if (!window->mirroring_) window->dialog_.click(window->idOf(widget));
}

void GtkDialogWindow::onToggled(GtkToggleButton* button, gpointer self) {
  auto* window = static_cast<GtkDialogWindow*>(self);
  if (window->mirroring_) return;
  const int id = window->idOf(GTK_WIDGET(button));
  const Control* control = window->dialog_.control(id);
  if (!control) return;
  // A radio button reports the one it left as well; only the one checked was clicked.
  const bool active = gtk_toggle_button_get_active(button);
  if (control->definition.kind == ControlKind::RadioButton && !active) return;
  if ((control->check == BST_CHECKED) != active) window->dialog_.click(id);
}

void GtkDialogWindow::onValueChanged(GtkRange* range, gpointer self) {
  auto* window = static_cast<GtkDialogWindow*>(self);
  if (window->mirroring_) return;
  window->dialog_.moveTrackbar(window->idOf(GTK_WIDGET(range)),
                               static_cast<int>(std::lround(gtk_range_get_value(range))));
}

void GtkDialogWindow::onListChanged(GtkComboBox* box, gpointer self) {
  auto* window = static_cast<GtkDialogWindow*>(self);
  const int index = gtk_combo_box_get_active(box);
  if (!window->mirroring_ && index >= 0) window->dialog_.selectItem(window->idOf(GTK_WIDGET(box)), index);
}

void GtkDialogWindow::onTextChanged(GtkEditable* editable, gpointer self) {
  auto* window = static_cast<GtkDialogWindow*>(self);
  if (!window->mirroring_)
    window->dialog_.typeText(window->idOf(GTK_WIDGET(editable)), gtk_entry_get_text(GTK_ENTRY(editable)));
}

gboolean GtkDialogWindow::onKey(GtkWidget*, GdkEventKey* event, gpointer self) {
  if (event->keyval != GDK_KEY_Escape) return FALSE;
  static_cast<GtkDialogWindow*>(self)->dialog_.cancel();
  return TRUE;
}

gboolean GtkDialogWindow::onDelete(GtkWidget*, GdkEvent*, gpointer self) {
  // Closing the window is Cancel; the procedure decides whether the dialog ends.
  static_cast<GtkDialogWindow*>(self)->dialog_.cancel();
  return TRUE;
}

gboolean GtkDialogWindow::onConfigure(GtkWidget* widget, GdkEventConfigure*, gpointer self) {
  int x = 0;
  int y = 0;
  gtk_window_get_position(GTK_WINDOW(widget), &x, &y);
  static_cast<GtkDialogWindow*>(self)->dialog_.movedTo(x, y);
  return FALSE;
}

} // namespace dialogs::gtk
