// The desktop's dialog host: GTK 3 windows for template dialogs, GTK's message dialog and
// file chooser. GTK is started on first use, on the display the environment names.
#include <gtk/gtk.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>

#include "platform/dialogs/DialogHost.h"
#include "platform/dialogs/gtk/GtkDialogWindow.h"
#include "platform/win32/desktop.h"

namespace dialogs::gtk {
namespace {

// Runs GTK's loop until `done` holds. A termination signal (a screensaver daemon's SIGTERM)
// calls `cancel` instead of waiting for a person, so the process can end.
template <typename Done, typename Cancel> void runUntil(Done done, Cancel cancel) {
  // Wakes the loop at least every 100 ms to look at the signal flag.
  const guint wake = g_timeout_add(
      100, [](gpointer) { return gboolean(G_SOURCE_CONTINUE); }, nullptr);
  bool cancelled = false;
  while (!done()) {
    if (!cancelled && win32::terminationPending()) {
      cancelled = true;
      cancel();
      continue;
    }
    gtk_main_iteration_do(TRUE);
  }
  g_source_remove(wake);
}

// A GTK dialog's response, waited for without gtk_dialog_run so the signal check applies.
// It shows over the window it belongs to (or in the middle of the screen), also where no
// window manager places it.
gint runDialog(GtkDialog* dialog) {
  gtk_window_set_position(GTK_WINDOW(dialog), gtk_window_get_transient_for(GTK_WINDOW(dialog))
                                                  ? GTK_WIN_POS_CENTER_ON_PARENT
                                                  : GTK_WIN_POS_CENTER);
  gint response = GTK_RESPONSE_NONE;
  const gulong handler = g_signal_connect(
      dialog, "response", G_CALLBACK(+[](GtkDialog*, gint id, gpointer out) { *static_cast<gint*>(out) = id; }),
      &response);
  gtk_widget_show_all(GTK_WIDGET(dialog));
  runUntil([&] { return response != GTK_RESPONSE_NONE; }, [&] { response = GTK_RESPONSE_CANCEL; });
  g_signal_handler_disconnect(dialog, handler);
  return response;
}

// Gives a window that size, in the middle of its owner (or of the screen).
void resizeOverOwner(GtkWindow* window, int width, int height) {
  gtk_window_resize(window, width, height);
  GdkRectangle area{0, 0, width, height};
  if (GtkWindow* owner = gtk_window_get_transient_for(window)) {
    gtk_window_get_position(owner, &area.x, &area.y);
    gtk_window_get_size(owner, &area.width, &area.height);
  } else if (GdkMonitor* monitor = gdk_display_get_monitor(gdk_display_get_default(), 0)) {
    gdk_monitor_get_geometry(monitor, &area);
  }
  gtk_window_move(window, std::max(0, area.x + (area.width - width) / 2),
                  std::max(0, area.y + (area.height - height) / 2));
}

// Takes a closed dialog off the screen at once. No events are handled here: the caller is
// still inside the procedure that opened the dialog, and a click already waiting for its
// owner must reach that procedure only after it has returned, as it would on Windows.
void removeFromScreen() { gdk_display_flush(gdk_display_get_default()); }

std::string caseInsensitive(const std::string& pattern) {
  std::string out;
  for (char c : pattern) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter) {
      out.push_back(c);
      continue;
    }
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    out += std::string("[") + lower + static_cast<char>(lower - 'a' + 'A') + "]";
  }
  return out;
}

// An open dialog starts at the given file, or else in the person's pictures (their home
// when there is no such folder) rather than in a list of recent files.
void startIn(GtkFileChooser* chooser, const std::string& initialName) {
  if (!initialName.empty() && gtk_file_chooser_set_filename(chooser, initialName.c_str())) return;
  const char* pictures = g_get_user_special_dir(G_USER_DIRECTORY_PICTURES);
  gtk_file_chooser_set_current_folder(
      chooser, pictures && g_file_test(pictures, G_FILE_TEST_IS_DIR) ? pictures : g_get_home_dir());
}

// GTK keeps what the file chooser remembers through the session bus; without one it would
// complain on stderr at every change. Such a session keeps it in memory instead.
void useMemorySettingsWithoutSessionBus() {
  if (std::getenv("DBUS_SESSION_BUS_ADDRESS")) return;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && g_file_test((std::string(runtime) + "/bus").c_str(), G_FILE_TEST_EXISTS)) return;
  g_setenv("GSETTINGS_BACKEND", "memory", FALSE);
}

class GtkDialogHost final : public DialogHost {
public:
  std::string unavailableReason() override {
    if (!tried_) {
      tried_ = true;
      const char* x11 = std::getenv("DISPLAY");
      const char* wayland = std::getenv("WAYLAND_DISPLAY");
      if ((!x11 || !*x11) && (!wayland || !*wayland))
        reason_ = "no display (DISPLAY and WAYLAND_DISPLAY are not set)";
      else if (useMemorySettingsWithoutSessionBus(), !gtk_init_check(nullptr, nullptr))
        reason_ = std::string("the display ") + (x11 && *x11 ? x11 : wayland) + " cannot be opened";
    }
    return reason_;
  }

  FontMetrics fontMetrics(const DialogTemplate& dialogTemplate) override {
    PangoContext* context = gdk_pango_context_get();
    PangoFontDescription* font = pango_font_description_from_string(
        (fontFamilies(dialogTemplate) + " " + std::to_string(dialogTemplate.fontPoints)).c_str());
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", -1);
    int width = 0;
    pango_layout_get_pixel_size(layout, &width, nullptr);
    PangoFontMetrics* metrics = pango_context_get_metrics(context, font, nullptr);
    const int height =
        PANGO_PIXELS_CEIL(pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics));
    pango_font_metrics_unref(metrics);
    g_object_unref(layout);
    pango_font_description_free(font);
    g_object_unref(context);
    return FontMetrics{averageCharWidth(width), height};
  }

  void runModal(Dialog& dialog) override {
    auto window = std::make_unique<GtkDialogWindow>(dialog, windowOf(dialog.owner()));
    windows_[dialog.handle()] = window.get();
    window->show();
    runUntil([&] { return dialog.ended(); },
             [&] {
               dialog.cancel();
               if (!dialog.ended()) dialog.end(IDCANCEL);
             });
    windows_.erase(dialog.handle());
    window.reset();
    removeFromScreen();
  }

  int messageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override {
    GtkMessageType icon = GTK_MESSAGE_OTHER;
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
      icon = GTK_MESSAGE_ERROR;
      break;
    case MB_ICONWARNING:
      icon = GTK_MESSAGE_WARNING;
      break;
    case MB_ICONINFORMATION:
      icon = GTK_MESSAGE_INFO;
      break;
    case MB_ICONQUESTION:
      icon = GTK_MESSAGE_QUESTION;
      break;
    default:
      break;
    }
    GtkWidget* box =
        gtk_message_dialog_new(windowOf(owner), GTK_DIALOG_MODAL, icon, GTK_BUTTONS_NONE, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(box), caption.c_str());
    const UINT buttons = type & MB_TYPEMASK;
    if (buttons == MB_YESNO) {
      gtk_dialog_add_buttons(GTK_DIALOG(box), "_Yes", GTK_RESPONSE_YES, "_No", GTK_RESPONSE_NO, nullptr);
    } else {
      if (buttons == MB_OKCANCEL) gtk_dialog_add_button(GTK_DIALOG(box), "_Cancel", GTK_RESPONSE_CANCEL);
      gtk_dialog_add_button(GTK_DIALOG(box), "_OK", GTK_RESPONSE_OK);
    }
    const gint response = runDialog(GTK_DIALOG(box));
    gtk_widget_destroy(box);
    removeFromScreen();
    switch (response) {
    case GTK_RESPONSE_OK:
      return static_cast<int>(IDOK);
    case GTK_RESPONSE_YES:
      return static_cast<int>(IDYES);
    case GTK_RESPONSE_NO:
      return static_cast<int>(IDNO);
    default:
      // Closed: a box with only OK answers OK, any other box Cancel (Yes/No boxes: No).
      if (buttons == MB_OK) return static_cast<int>(IDOK);
      return static_cast<int>(buttons == MB_YESNO ? IDNO : IDCANCEL);
    }
  }

  std::optional<std::string> chooseFile(HWND owner, const FileRequest& request) override {
    GtkWidget* chooser =
        gtk_file_chooser_dialog_new(request.title.c_str(), windowOf(owner), GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel",
                                    GTK_RESPONSE_CANCEL, "_Open", GTK_RESPONSE_ACCEPT, nullptr);
    // Modal like the dialog it comes from, whose own input grab would otherwise keep every
    // click from it.
    gtk_window_set_modal(GTK_WINDOW(chooser), TRUE);
    // Its own default size can exceed the screen (it goes by what it last had, or by the
    // screen); once shown, it takes a size that fits.
    g_signal_connect_after(
        chooser, "map", G_CALLBACK(+[](GtkWidget* window, gpointer) { resizeOverOwner(GTK_WINDOW(window), 720, 480); }),
        nullptr);
    gtk_file_chooser_set_local_only(GTK_FILE_CHOOSER(chooser), TRUE);
    startIn(GTK_FILE_CHOOSER(chooser), request.initialName);
    for (const FileFilter& entry : request.filters) {
      GtkFileFilter* filter = gtk_file_filter_new();
      gtk_file_filter_set_name(filter, entry.description.c_str());
      for (const std::string& pattern : entry.patterns)
        gtk_file_filter_add_pattern(filter, caseInsensitive(pattern).c_str());
      gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), filter);
    }
    // Open with no file chosen yet (the folder still being read) leaves the dialog open.
    std::optional<std::string> chosen;
    while (!chosen && runDialog(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
      if (gchar* path = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser))) {
        chosen = path;
        g_free(path);
      }
    }
    gtk_widget_destroy(chooser);
    removeFromScreen();
    return chosen;
  }

private:
  GtkWindow* windowOf(HWND owner) const {
    auto found = windows_.find(owner);
    return found == windows_.end() ? nullptr : found->second->window();
  }

  bool tried_ = false;
  std::string reason_;
  std::map<HWND, GtkDialogWindow*> windows_;
};

} // namespace
} // namespace dialogs::gtk

namespace dialogs {

DialogHost& desktopDialogHost() {
  static gtk::GtkDialogHost host;
  return host;
}

} // namespace dialogs
