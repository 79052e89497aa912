// What ends a saver run on an X server, driven with XTest: a key, a mouse button, and a
// mouse movement only when "ExitOnMM" is set and the room has been shown for more than a
// second; inside a daemon's window none of them.
#include "tests/e2e/TickwoodFixture.h"

#include <cstdio>
#include <cstdlib>

namespace {

using namespace e2e;
using namespace std::chrono_literals;

class InputOnX : public TickwoodOnX {
protected:
  static std::chrono::steady_clock::time_point now() { return std::chrono::steady_clock::now(); }

  void exitOnMouseMove(bool on) { writeSettings(std::string("\"ExitOnMM\"=dword:0000000") + (on ? "1" : "0") + "\n"); }

  // A full-screen saver run, once its frames run with the pointer over its window. A busy
  // machine (a sanitized build beside other work) can take seconds to load the room, and the
  // input that ends a run is served once it has: the waits for that end are generous.
  std::unique_ptr<Process> saver(Window& window) {
    XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
    XSync(display_, False);
    auto p = run({"/s", "--seconds", "60"}, onX());
    window = mappedWindow();
    EXPECT_NE(window, 0u);
    EXPECT_TRUE(p->waitForError("Application created\n", 10s));
    return p;
  }

  void pointerTo(int x, int y) {
    XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, 0);
    XSync(display_, False);
  }

  void click(unsigned button) {
    XTestFakeButtonEvent(display_, button, True, 0);
    XTestFakeButtonEvent(display_, button, False, 0);
    XSync(display_, False);
  }

  void key(KeySym symbol) {
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, symbol), True, 0);
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, symbol), False, 0);
    XSync(display_, False);
  }

  // The sum of a square's pixels at the middle of the screen.
  unsigned long long middleSum() {
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), 304, 224, 32, 32, AllPlanes, ZPixmap);
    if (!image) return 0;
    unsigned long long sum = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        sum += XGetPixel(image, x, y) & 0xFFFFFF;
    XDestroyImage(image);
    return sum;
  }

  // When the loading picture starts to fade (the room has loaded and its first second has
  // begun): the first time the middle of the screen differs from the picture.
  std::chrono::steady_clock::time_point roomShown() {
    const unsigned long long loading = middleSum();
    eventually([&] { return middleSum() != loading; }, 60s);
    return std::chrono::steady_clock::now();
  }

  // Moves the pointer a little at a time for `duration`.
  void wander(std::chrono::milliseconds duration) {
    const auto until = std::chrono::steady_clock::now() + duration;
    for (int step = 0; std::chrono::steady_clock::now() < until; ++step) {
      pointerTo(200 + step % 40, 200 + step % 30);
      std::this_thread::sleep_for(20ms);
    }
  }
};

TEST_F(InputOnX, AKeyEndsTheSaver) {
  Window window = 0;
  auto p = saver(window);
  XWarpPointer(display_, None, window, 0, 0, 0, 0, 20, 20);
  XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
  key(XK_Escape);
  EXPECT_EQ(p->wait(20s), 1);
  EXPECT_EQ(withoutDescription(p->err()), kSaverLog);
}

TEST_F(InputOnX, AMouseMovementEndsTheSaverOnlyAfterTheFirstSecondWithExitOnMM) {
  exitOnMouseMove(true);
  Window window = 0;
  auto p = saver(window);
  const auto shown = roomShown();
  // The movements of the first second of the room are not the user's wish to leave.
  wander(300ms);
  ASSERT_FALSE(p->wait(std::chrono::duration_cast<std::chrono::milliseconds>(shown + 700ms - now()))) << p->err();
  std::this_thread::sleep_until(shown + 1300ms);
  pointerTo(300, 250);
  EXPECT_EQ(p->wait(20s), 1);
  EXPECT_EQ(withoutDescription(p->err()), kSaverLog);
}

TEST_F(InputOnX, WithoutExitOnMMAMouseMovementNeverEndsTheSaverButAClickDoes) {
  exitOnMouseMove(false);
  Window window = 0;
  auto p = saver(window);
  std::this_thread::sleep_until(roomShown() + 1500ms);
  wander(500ms);
  ASSERT_FALSE(p->wait(300ms)) << p->err();
  click(3);
  EXPECT_EQ(p->wait(20s), 1);
  EXPECT_EQ(withoutDescription(p->err()), kSaverLog);
}

// The share of the screen's pixels that differ clearly between two pictures of it.
double changed(XImage* a, XImage* b) {
  long count = 0;
  for (int y = 0; y < a->height; ++y)
    for (int x = 0; x < a->width; ++x) {
      const unsigned long p = XGetPixel(a, x, y);
      const unsigned long q = XGetPixel(b, x, y);
      for (int shift : {0, 8, 16})
        if (std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)) > 24) {
          ++count;
          break;
        }
    }
  return double(count) / double(a->width * a->height);
}

TEST_F(InputOnX, WhenNoTourPlaysTheMouseTurnsTheFreeCamera) {
  exitOnMouseMove(false);
  // No tour to fly, and no lightning after the first flash to change the picture.
  testsupport::TempDir folder;
  folder.write("Media/Scene.props", "Animations = array(\"missing.cam\"); QuietTime = 600000; WinkTime = 1;\n");
  XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
  XSync(display_, False);
  auto p = runIn(folder.path(), {"/s", "--seconds", "60"}, onX());
  ASSERT_NE(mappedWindow(), 0u);
  ASSERT_TRUE(p->waitForError("Application created\n", 10s));
  std::this_thread::sleep_until(roomShown() + 5s); // past the first flash and the lamp's flicker
  const auto grab = [&] {
    return XGetImage(display_, DefaultRootWindow(display_), 0, 0, 640, 480, AllPlanes, ZPixmap);
  };
  XImage* still = grab();
  std::this_thread::sleep_for(500ms);
  XImage* stillLater = grab();
  pointerTo(520, 240); // 200 pixels to the right: the view turns by 1.25 radians
  std::this_thread::sleep_for(500ms);
  XImage* turned = grab();
  ASSERT_TRUE(still && stillLater && turned);
  const double swing = changed(still, stillLater); // the pendulum and the rain
  const double turn = changed(stillLater, turned);
  std::printf("changed pixels: %.3f without input, %.3f after the turn\n", swing, turn);
  EXPECT_LT(swing, 0.1);
  EXPECT_GT(turn, 0.4);
  for (XImage* image : {still, stillLater, turned})
    XDestroyImage(image);
  ASSERT_FALSE(p->wait(100ms)) << p->err();
  p->signal(SIGTERM);
  EXPECT_EQ(p->wait(10s), 1);
}

TEST_F(InputOnX, InADaemonsWindowNoKeyButtonOrMovementEndsTheRun) {
  exitOnMouseMove(true);
  const Window host = hostWindow(320, 240);
  auto p = run({"-window-id", std::to_string(host), "--seconds", "60"}, onX());
  ASSERT_TRUE(eventually([&] { return children(host).size() == 1; }, 10s));
  ASSERT_TRUE(p->waitForError("Application created\n", 10s));
  std::this_thread::sleep_for(1500ms);
  XSetInputFocus(display_, children(host)[0], RevertToPointerRoot, CurrentTime);
  pointerTo(100, 100);
  key(XK_q);
  click(1);
  wander(300ms);
  EXPECT_FALSE(p->wait(500ms)) << p->err();

  XDestroyWindow(display_, host);
  XSync(display_, False);
  EXPECT_EQ(p->wait(20s), 1);
  EXPECT_EQ(withoutDescription(p->err()),
            "Log started \nApplication created\nThe host window of a child window has gone; the child goes "
            "with it\nLog closed\n");
}

} // namespace
