// The dialogs of the real executable: the settings dialog driven by synthesized mouse and
// keyboard input on a private X server, and the message a machine without OpenGL 3.3 gets.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <csignal>
#include <string>

#include "platform/dialogs/DialogTemplate.h"
#include "tests/e2e/TickwoodFixture.h"

namespace {

using namespace std::chrono_literals;
using e2e::Environment;
using e2e::Tickwood;

constexpr const char* kNoOpenGlLine =
    "tickwood: OpenGL 3.3 is not available (no OpenGL 3.3 context: TICKWOOD_FORCE_NO_OPENGL is set); installing or "
    "updating the graphics drivers usually mends this, see "
    "https://www.khronos.org/opengl/wiki/Getting_Started#Downloading_OpenGL\n";

TEST_F(Tickwood, WithoutOpenGlTheRunSaysSoAndEndsWithOne) {
  Environment env = headless();
  env["TICKWOOD_FORCE_NO_OPENGL"] = "1";
  for (const char* mode : {"/s", "/c"}) {
    auto p = run({mode}, env);
    EXPECT_EQ(p->wait(10s), 1) << mode;
    EXPECT_EQ(p->err(), kNoOpenGlLine) << mode;
  }
}

// A dialog on the test's X server, and where its controls are: dialog units scaled by the
// font's base units, which the window's size gives away.
class DialogOnX : public e2e::TickwoodOnX {
protected:
  DialogOnX() { screen_ = "1024x768x24"; }

  // The shown top-level window of that title, or 0.
  Window shownWindow(const std::string& title) {
    Window found = 0;
    for (Window w : children(DefaultRootWindow(display_))) {
      char* name = nullptr;
      XWindowAttributes attributes{};
      const bool shown = XGetWindowAttributes(display_, w, &attributes) && attributes.map_state == IsViewable;
      if (shown && XFetchName(display_, w, &name) && name && title == name) found = w;
      if (name) XFree(name);
    }
    return found;
  }

  // The same, once it is shown (0 after ten seconds).
  Window windowNamed(const std::string& title) {
    Window found = 0;
    eventually([&] { return (found = shownWindow(title)) != 0; }, 10s);
    return found;
  }

  // Reads the dialog's place and base units (the settings dialog is 382 x 263 units).
  void measure(Window dialog, int widthUnits, int heightUnits) {
    dialog_ = dialog;
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(display_, dialog, &attributes));
    Window child = 0;
    XTranslateCoordinates(display_, dialog, DefaultRootWindow(display_), 0, 0, &originX_, &originY_, &child);
    font_.averageWidth = (attributes.width * 4 + widthUnits / 2) / widthUnits;
    font_.height = (attributes.height * 8 + heightUnits / 2) / heightUnits;
    ASSERT_EQ(dialogs::horizontalPixels(widthUnits, font_), attributes.width);
    ASSERT_EQ(dialogs::verticalPixels(heightUnits, font_), attributes.height);
  }

  // Clicks the middle of a control (at `across` of its width from the left).
  void click(const dialogs::DialogRect& control, double across = 0.5) {
    const RECT r = dialogs::toPixels(control, font_);
    const int x = originX_ + r.left + static_cast<int>((r.right - r.left) * across);
    const int y = originY_ + (r.top + r.bottom) / 2;
    XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, 0);
    XTestFakeButtonEvent(display_, 1, True, 0);
    XTestFakeButtonEvent(display_, 1, False, 0);
    settle();
  }

  void key(KeySym symbol) {
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, symbol), True, 0);
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, symbol), False, 0);
    settle();
  }

  // Lower-case letters, digits, '/' and '.'.
  void type(const std::string& text) {
    for (char c : text)
      key(c == '/' ? XK_slash : c == '.' ? XK_period : static_cast<KeySym>(c));
  }

  // Lets the dialog take in what was sent before the next step.
  void settle() {
    XSync(display_, False);
    std::this_thread::sleep_for(60ms);
  }

  std::string registry() const { return testsupport::TempDir::read(config_.path() / "tickwood" / "registry.reg"); }

  Window dialog_ = 0;
  int originX_ = 0;
  int originY_ = 0;
  dialogs::FontMetrics font_;
};

// Controls of the settings dialog, in dialog units.
constexpr dialogs::DialogRect kVolume{75, 55, 119, 13};
constexpr dialogs::DialogRect kTwentyFourHours{316, 149, 49, 8};
constexpr dialogs::DialogRect kBrowse{12, 137, 58, 14};
constexpr dialogs::DialogRect kPhotoPath{95, 138, 97, 12};
constexpr dialogs::DialogRect kOk{248, 242, 59, 13};
constexpr dialogs::DialogRect kCancel{312, 242, 59, 13};

TEST_F(DialogOnX, TheSettingsDialogWritesWhatWasChangedOnOk) {
  // The file dialog starts in the home folder, where the one picture is.
  testsupport::TempDir home;
  const std::string photo = home.write("tabby.png", "a picture").string();
  Environment env = onX();
  env["HOME"] = home.path().string();
  auto p = run({"/c"}, env);
  const Window dialog = windowNamed("Tickwood Settings");
  ASSERT_NE(dialog, 0u) << p->err();
  measure(dialog, 382, 263);
  XSetInputFocus(display_, dialog, RevertToPointerRoot, CurrentTime);

  click(kVolume, 0.3);
  key(XK_Home); // 0
  for (int i = 0; i < 35; ++i)
    key(XK_Right);
  click(kTwentyFourHours, 0.1);
  click(kBrowse);
  const Window chooser = windowNamed("Open");
  ASSERT_NE(chooser, 0u);
  // The folder is read in the background: choose its one file once it is listed.
  // The folder is read in the background: Return opens its one file once it is listed and
  // does nothing before. Each Return gets time to be answered before the next is sent, and
  // with the pointer away from every window a late one would go nowhere.
  XTestFakeMotionEvent(display_, DefaultScreen(display_), 1, 1, 0);
  bool closed = false;
  for (int attempt = 0; attempt < 5 && !closed; ++attempt) {
    XSetInputFocus(display_, chooser, RevertToPointerRoot, CurrentTime);
    key(XK_Return);
    closed = eventually([&] { return shownWindow("Open") == 0; }, 3s);
  }
  ASSERT_TRUE(closed);
  XSetInputFocus(display_, dialog, RevertToPointerRoot, CurrentTime);
  click(kOk);

  EXPECT_EQ(p->wait(10s), 1);
  const std::string written = registry();
  EXPECT_NE(written.find("\"PhotoPath\"=\"" + photo + "\"\n"), std::string::npos) << written << p->err();
  EXPECT_NE(written.find("\"Volume\"=dword:00000023\n"), std::string::npos) << written;
  EXPECT_NE(written.find("\"TimeStyle\"=dword:00000001\n"), std::string::npos) << written;
  EXPECT_NE(written.find("\"ExitOnMM\"=dword:00000000\n"), std::string::npos) << written;
}

TEST_F(DialogOnX, CancelLeavesTheSettingsFileAsItWas) {
  const std::string stored = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brindle Studio\\Tickwood]\n"
                             "\"PhotoPath\"=\"/home/me/cat.jpg\"\n\"Volume\"=dword:00000005\n";
  config_.write("tickwood/registry.reg", stored);
  auto p = run({"/c"}, onX());
  const Window dialog = windowNamed("Tickwood Settings");
  ASSERT_NE(dialog, 0u) << p->err();
  measure(dialog, 382, 263);
  XSetInputFocus(display_, dialog, RevertToPointerRoot, CurrentTime);
  click(kVolume, 0.9);
  click(kTwentyFourHours, 0.1);
  click(kPhotoPath);
  type("x");
  click(kCancel);
  EXPECT_EQ(p->wait(10s), 1);
  EXPECT_EQ(registry(), stored);

  // A daemon's SIGTERM closes the dialog the same way.
  auto q = run({"/c"}, onX());
  ASSERT_NE(windowNamed("Tickwood Settings"), 0u) << q->err();
  q->signal(SIGTERM);
  EXPECT_EQ(q->wait(5s), 1);
  EXPECT_EQ(registry(), stored);
}

TEST_F(DialogOnX, WithoutOpenGlTheDialogExplainsAndCancelEndsTheRunWithOne) {
  Environment env = onX();
  env["TICKWOOD_FORCE_NO_OPENGL"] = "1";
  auto p = run({"/s"}, env);
  const Window dialog = windowNamed("Tickwood");
  ASSERT_NE(dialog, 0u) << p->err();
  XWindowAttributes attributes{};
  ASSERT_TRUE(XGetWindowAttributes(display_, dialog, &attributes));
  EXPECT_EQ(attributes.width, 390);
  EXPECT_EQ(attributes.height, 131);
  EXPECT_TRUE(p->waitForError(kNoOpenGlLine, 5s)) << p->err();
  EXPECT_TRUE(p->running());
  XWarpPointer(display_, None, dialog, 0, 0, 0, 0, 20, 20);
  XSetInputFocus(display_, dialog, RevertToPointerRoot, CurrentTime);
  key(XK_Escape);
  EXPECT_EQ(p->wait(5s), 1);
  EXPECT_EQ(p->err(), kNoOpenGlLine);
}

} // namespace
