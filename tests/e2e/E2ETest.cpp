// End-to-end runs of the tickwood executable: headless on SDL's offscreen driver, and on a
// private Xvfb server for everything that involves X11 windows.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <thread>

#include "tests/e2e/RoomPictures.h"
#include "tests/e2e/TickwoodFixture.h"
#include "tests/fixtures/FixtureBitmap.h"
#include "tests/support/Pictures.h"

namespace {

using namespace e2e;

TEST_F(Tickwood, ChangePasswordEndsAtOnceWithExitCodeZero) {
  auto p = run({"/a", "5"}, headless());
  EXPECT_EQ(p->wait(10s), 0);
  EXPECT_EQ(p->err(), "Log started \n");
}

TEST_F(Tickwood, WithoutADisplayTheSettingsSayTheyCannotBeShown) {
  for (std::vector<std::string> arguments :
       {std::vector<std::string>{"/c"}, std::vector<std::string>{"/c:1234"}, std::vector<std::string>{}}) {
    auto p = run(arguments, headless());
    EXPECT_EQ(p->wait(10s), 1);
    EXPECT_EQ(p->err(), "Log started \ntickwood: the settings dialog cannot be shown: no display (DISPLAY and "
                        "WAYLAND_DISPLAY are not set)\n");
  }
  // Nothing was written but the empty key every run makes.
  EXPECT_EQ(testsupport::TempDir::read(config_.path() / "tickwood" / "registry.reg"),
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brindle Studio\\Tickwood]\n");
}

TEST_F(Tickwood, TheSaverRunsForItsTimeAndShutsDownCleanly) {
  auto p = run({"/s", "--seconds", "1"}, headless());
  EXPECT_EQ(p->wait(20s), 1);
  EXPECT_GE(p->runTime(), 1000ms);
  std::string description;
  EXPECT_EQ(withoutDescription(p->err(), &description), kSaverLog);
  EXPECT_EQ(description.find("----------------------\nFullscreen"), 0u) << description;
  // The settings were read: the key exists, and a run writes no values.
  EXPECT_EQ(testsupport::TempDir::read(config_.path() / "tickwood" / "registry.reg"),
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brindle Studio\\Tickwood]\n");
}

TEST_F(Tickwood, TerminationSignalsEndARunPromptlyAndCleanly) {
  for (int signal : {SIGTERM, SIGINT}) {
    auto p = run({"/s", "--seconds", "60"}, headless());
    // Once the frame loop runs: after the loading picture, the room loads (well within the
    // wait here; a signal that comes while it loads is served when it is loaded).
    ASSERT_TRUE(p->waitForError("Application created\n", 10s));
    std::this_thread::sleep_for(3s);
    const auto sent = std::chrono::steady_clock::now();
    p->signal(signal);
    EXPECT_EQ(p->wait(5s), 1) << "signal " << signal;
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(p->endedAt() - sent);
    std::printf("signal %d: the run ended %lld ms after it\n", signal, static_cast<long long>(took.count()));
    // The daemon's limit is 200 ms; a loaded test machine gets some slack.
    EXPECT_LT(took, 1000ms);
    EXPECT_EQ(withoutDescription(p->err()), kSaverLog);
  }
}

TEST_F(Tickwood, BadCommandLinesAreRefusedWithAMessage) {
  auto help = run({"--help"}, headless());
  EXPECT_EQ(help->wait(10s), 0);
  EXPECT_EQ(help->out().rfind("usage: tickwood", 0), 0u);

  auto unknown = run({"--frob"}, headless());
  EXPECT_EQ(unknown->wait(10s), 1);
  EXPECT_EQ(unknown->err().rfind("tickwood: unknown option --frob\n\nusage: tickwood", 0), 0u);

  Environment wayland = headless();
  wayland["XSCREENSAVER_WINDOW"] = "wayland-surface-7";
  auto embedded = run({}, wayland);
  EXPECT_EQ(embedded->wait(10s), 1);
  EXPECT_NE(embedded->err().find("is not an X11 window id"), std::string::npos);

  auto noDisplay = run({"-window-id", "0x400007"}, headless());
  EXPECT_EQ(noDisplay->wait(10s), 1);
  EXPECT_EQ(noDisplay->err(), "tickwood: X11 window 0x400007 does not exist (no X11 display: DISPLAY is not set)\n");

  // A preview with nowhere to go ends at once, as any failed start-up: exit code 0.
  auto preview = run({"/p", "4242"}, headless());
  EXPECT_EQ(preview->wait(10s), 0);
}

TEST_F(TickwoodOnX, ThePreviewShowsBitmap173InItsHostAndEndsWithIt) {
  testsupport::Picture picture;
  ASSERT_TRUE(testsupport::readBmp24(TICKWOOD_PREVIEW_BMP, picture));
  const int width = picture.width + 24;
  const int height = picture.height + 16;
  const Window host = hostWindow(width, height);
  auto p = run({"/p", std::to_string(host)}, onX());

  // Unscaled at the origin of the host's client area; the rest of the child is black.
  int wrong = -1;
  const bool shown = eventually(
      [&] {
        XImage* image = XGetImage(display_, host, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                  AllPlanes, ZPixmap);
        if (!image) return false;
        wrong = 0;
        for (int y = 0; y < height; ++y)
          for (int x = 0; x < width; ++x) {
            const unsigned long want = x < picture.width && y < picture.height ? picture.at(x, y) : 0;
            wrong += (XGetPixel(image, x, y) & 0xFFFFFF) != want;
          }
        XDestroyImage(image);
        return wrong == 0;
      },
      10s);
  EXPECT_TRUE(shown) << wrong << " pixels differ";
  ASSERT_EQ(children(host).size(), 1u);
  const Window child = children(host)[0];
  EXPECT_TRUE(sizeIs(child, width, height));
  EXPECT_TRUE(p->running());
  // Showing a fixed picture, the preview sleeps between messages instead of spinning.
  const long before = p->cpuTicks();
  std::this_thread::sleep_for(1s);
  const long used = p->cpuTicks() - before;
  EXPECT_LT(used, sysconf(_SC_CLK_TCK) / 5) << used << " clock ticks of processor time in one second";

  XDestroyWindow(display_, host);
  XSync(display_, False);
  EXPECT_EQ(p->wait(5s), 1);
  EXPECT_EQ(p->err(), "Log started \nThe host window of a child window has gone; the child goes with it\nLog closed\n");
}

TEST_F(TickwoodOnX, InADaemonsWindowTheSaverFillsItFollowsItAndEndsWithIt) {
  const Window host = hostWindow(200, 150);
  char id[32];
  std::snprintf(id, sizeof id, "0x%lx", host);
  auto p = run({"-window-id", id, "--seconds", "60", "-fps"}, onX());
  ASSERT_TRUE(eventually([&] { return children(host).size() == 1; }, 10s));
  const Window child = children(host)[0];
  EXPECT_TRUE(eventually([&] { return sizeIs(child, 200, 150); }, 5s));

  XResizeWindow(display_, host, 320, 240);
  XSync(display_, False);
  EXPECT_TRUE(eventually([&] { return sizeIs(child, 320, 240); }, 5s));

  // Input is the daemon's business: a key over the window does not end the run.
  XWarpPointer(display_, None, host, 0, 0, 0, 0, 50, 50);
  XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, XK_q), True, 0);
  XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, XK_q), False, 0);
  XSync(display_, False);
  EXPECT_FALSE(p->wait(300ms));

  XDestroyWindow(display_, host);
  XSync(display_, False);
  EXPECT_EQ(p->wait(5s), 1);
  std::string description;
  EXPECT_EQ(withoutDescription(p->err(), &description),
            "Log started \nApplication created\nThe host window of a child window has gone; the child goes "
            "with it\nLog closed\n");
  // One window among the daemon's: the device draws windowed into it.
  EXPECT_EQ(description.find("----------------------\nWindowed"), 0u) << description;
}

TEST_F(TickwoodOnX, TheRootOptionDrawsIntoTheDaemonsWindowOrTheRoot) {
  // With -root, the daemon's variable names the window to draw into.
  const Window host = hostWindow(160, 120);
  Environment env = onX();
  env["XSCREENSAVER_WINDOW"] = std::to_string(host);
  auto inHost = run({"-root", "--seconds", "30"}, env);
  EXPECT_TRUE(eventually([&] { return children(host).size() == 1; }, 10s));
  inHost->signal(SIGTERM);
  EXPECT_EQ(inHost->wait(5s), 1);
  EXPECT_TRUE(eventually([&] { return children(host).empty(); }, 5s));

  // Without it, the root window itself: a borderless child as large as the screen.
  const auto before = children(DefaultRootWindow(display_));
  auto onRoot = run({"--root", "--seconds", "30"}, onX());
  Window made = 0;
  // The new window that shows (the graphics check at start-up makes a hidden one for a moment).
  EXPECT_TRUE(eventually(
      [&] {
        for (Window w : children(DefaultRootWindow(display_))) {
          XWindowAttributes shown{};
          if (std::find(before.begin(), before.end(), w) == before.end() && XGetWindowAttributes(display_, w, &shown) &&
              shown.map_state == IsViewable)
            made = w;
        }
        return made != 0;
      },
      10s));
  XWindowAttributes attributes{};
  ASSERT_TRUE(XGetWindowAttributes(display_, made, &attributes));
  EXPECT_EQ(attributes.width, 640);
  EXPECT_EQ(attributes.height, 480);
  EXPECT_TRUE(attributes.override_redirect);
  onRoot->signal(SIGTERM);
  EXPECT_EQ(onRoot->wait(5s), 1);
  EXPECT_EQ(withoutDescription(onRoot->err()), kSaverLog);
}

TEST_F(TickwoodOnX, ChangePasswordShowsNoWindowButTheSaverDoes) {
  XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
  XSync(display_, False);
  // Windows shown (the graphics check at start-up makes a hidden one, never shown).
  auto countShown = [&] {
    XSync(display_, False);
    int shown = 0;
    XEvent event;
    while (XCheckTypedEvent(display_, MapNotify, &event))
      ++shown;
    return shown;
  };
  countShown();
  auto change = run({"/a", "7"}, onX());
  EXPECT_EQ(change->wait(10s), 0);
  EXPECT_EQ(countShown(), 0);

  // The same watch sees the saver's window, so the silence above means something.
  auto saver = run({"/s", "--seconds", "0.3"}, onX());
  EXPECT_EQ(saver->wait(20s), 1);
  EXPECT_GE(countShown(), 1);
}

TEST_F(TickwoodOnX, InADaemonsWindowTheFramesFollowTheWindowsSize) {
  withoutLabels();
  const Window host = hostWindow(200, 150);
  const std::filesystem::path shot = output_.file("resized.png");
  auto p = run({"-window-id", std::to_string(host), "--seconds", "60", "--screenshot", shot.string()}, onX());
  ASSERT_TRUE(eventually([&] { return children(host).size() == 1; }, 10s));
  ASSERT_TRUE(p->waitForError("Application created\n", 10s));
  XResizeWindow(display_, host, 320, 240);
  XSync(display_, False);
  EXPECT_TRUE(eventually([&] { return sizeIs(children(host)[0], 320, 240); }, 5s));
  // The room, once loaded, in the window's new size (the corner beyond the old one shows it).
  const bool drawn = eventually(
      [&] {
        XImage* image = XGetImage(display_, children(host)[0], 240, 160, 80, 80, AllPlanes, ZPixmap);
        if (!image) return false;
        std::set<unsigned long> colours;
        for (int y = 0; y < 80; ++y)
          for (int x = 0; x < 80; ++x)
            colours.insert(XGetPixel(image, x, y));
        XDestroyImage(image);
        return colours.size() > 20;
      },
      30s);
  EXPECT_TRUE(drawn);
  p->signal(SIGTERM);
  EXPECT_EQ(p->wait(5s), 1);
  // The last frame was drawn at the window's new size.
  EXPECT_TRUE(showsTheRoomPerhapsFaded(shot));
  d3dx9::Image image;
  ASSERT_TRUE(readPicture(shot, image));
  EXPECT_EQ(image.width, 320u);
  EXPECT_EQ(image.height, 240u);
}

TEST_F(TickwoodOnX, TheSaverCoversTheScreenAndAMouseButtonEndsIt) {
  withoutLabels();
  XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
  XSync(display_, False);
  testsupport::TempDir overriding;
  overriding.write("Media/Scene.props", kGreenNothing);
  const std::filesystem::path shot = output_.file("screen.png");
  auto p = runIn(overriding.path(), {"/s", "--seconds", "60", "--screenshot", shot.string()}, onX());
  const Window saver = mappedWindow();
  ASSERT_NE(saver, 0u);
  ASSERT_TRUE(p->waitForError("Application created\n", 10s));
  // Full screen: the saver's window is the size of the screen, and shows the background.
  EXPECT_TRUE(eventually([&] { return sizeIs(saver, 640, 480); }, 5s));
  unsigned long pixel = 0;
  const bool green = eventually(
      [&] {
        XImage* image = XGetImage(display_, DefaultRootWindow(display_), 320, 240, 1, 1, AllPlanes, ZPixmap);
        if (!image) return false;
        pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return ((pixel >> 8) & 0xFF) > 150 && (pixel >> 16) < 60;
      },
      30s); // once the room has loaded
  EXPECT_TRUE(green) << std::hex << pixel;
  XWarpPointer(display_, None, saver, 0, 0, 0, 0, 30, 30);
  XTestFakeButtonEvent(display_, 1, True, 0);
  XTestFakeButtonEvent(display_, 1, False, 0);
  XSync(display_, False);
  EXPECT_EQ(p->wait(5s), 1);
  std::string description;
  EXPECT_EQ(withoutDescription(p->err(), &description), kSaverLog);
  EXPECT_NE(description.find("Fullscreen640x480"), std::string::npos) << description;
  d3dx9::Image image;
  EXPECT_TRUE(onlyGreenBackground(shot, image));
  EXPECT_EQ(image.width, 640u);
}

} // namespace
