// The saver as a screensaver daemon runs it: inside the daemon's window as that window is
// resized, hidden and destroyed, and several at once, of which one plays sound.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <set>
#include <thread>

#include "tests/e2e/TickwoodFixture.h"

namespace {

using namespace e2e;

class Daemon : public TickwoodOnX {
protected:
  // A host window of 640 x 480 fits on the screen whole (a picture of it is taken).
  Daemon() { screen_ = "800x600x24"; }

  // What a host window shows, as the daemon's screenshot would have it: the count of
  // distinct colours in each quarter (the room drawn over all of it has many in each; a
  // picture left at an old, smaller size leaves quarters of plain background).
  std::vector<std::size_t> coloursPerQuarter(Window window, int width, int height) {
    std::vector<std::size_t> counts;
    XImage* image = XGetImage(display_, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (!image) return counts;
    for (int quarter = 0; quarter < 4; ++quarter) {
      std::set<unsigned long> colours;
      const int x0 = (quarter % 2) * width / 2, y0 = (quarter / 2) * height / 2;
      for (int y = y0; y < y0 + height / 2; y += 2)
        for (int x = x0; x < x0 + width / 2; x += 2)
          colours.insert(XGetPixel(image, x, y));
      counts.push_back(colours.size());
    }
    XDestroyImage(image);
    return counts;
  }
  // The room fills the window: every quarter shows many colours.
  bool roomFills(Window window, int width, int height) {
    const std::vector<std::size_t> counts = coloursPerQuarter(window, width, height);
    return counts.size() == 4 && std::all_of(counts.begin(), counts.end(), [](std::size_t n) { return n > 40; });
  }
  std::string idOf(Window window) {
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", window);
    return id;
  }
  // Processor time of a process over `span`, as a share of one core.
  double cpuShare(const Process& process, std::chrono::milliseconds span) {
    const long before = process.cpuTicks();
    std::this_thread::sleep_for(span);
    return double(process.cpuTicks() - before) / double(sysconf(_SC_CLK_TCK)) / (double(span.count()) / 1000.0);
  }
};

TEST_F(Daemon, TheSaverFollowsItsWindowDownAndUpAndEndsWithinHalfASecondOfItsDestruction) {
  const Window host = hostWindow(640, 480);
  auto p = run({"-window-id", idOf(host), "--seconds", "120", "--time", "10:10:00"}, onX());
  ASSERT_TRUE(eventually([&] { return children(host).size() == 1; }, 10s));
  EXPECT_TRUE(eventually([&] { return roomFills(host, 640, 480); }, 20s));

  XResizeWindow(display_, host, 320, 240);
  XSync(display_, False);
  EXPECT_TRUE(eventually([&] { return sizeIs(children(host).at(0), 320, 240) && roomFills(host, 320, 240); }, 10s));

  XResizeWindow(display_, host, 640, 480);
  XSync(display_, False);
  EXPECT_TRUE(eventually([&] { return sizeIs(children(host).at(0), 640, 480) && roomFills(host, 640, 480); }, 10s));

  // The daemon takes its window away in the middle of the frames.
  const auto destroyed = std::chrono::steady_clock::now();
  XDestroyWindow(display_, host);
  XSync(display_, False);
  EXPECT_EQ(p->wait(5s), 1) << p->err();
  EXPECT_LT(p->endedAt() - destroyed, 500ms);
  EXPECT_FALSE(p->killedBySignal());
}

TEST_F(Daemon, NothingIsDrawnWhileTheWindowIsUnmappedOrCovered) {
  const Window host = hostWindow(320, 240);
  // Without sounds: the mixer's thread goes on while nothing is drawn, and only the drawing
  // is measured here.
  auto p = run({"-window-id", idOf(host), "--seconds", "120", "--no-music", "--no-sound"}, onX());
  ASSERT_TRUE(eventually([&] { return children(host).size() == 1; }, 10s));
  ASSERT_TRUE(eventually([&] { return roomFills(host, 320, 240); }, 20s));
  const double drawing = cpuShare(*p, 1500ms);

  // The processor share once the saver has had time to notice.
  const auto settledShare = [&] {
    XSync(display_, False);
    std::this_thread::sleep_for(300ms);
    return cpuShare(*p, 1500ms);
  };
  XUnmapWindow(display_, host);
  EXPECT_LT(settledShare(), 0.05) << "drawing: " << drawing;

  // A window over the whole of it hides it as well.
  XMapWindow(display_, host);
  XSync(display_, False);
  XSetWindowAttributes attributes{};
  attributes.background_pixel = 0xFFFFFF;
  attributes.override_redirect = True;
  const Window cover = XCreateWindow(display_, DefaultRootWindow(display_), 0, 0, 640, 480, 0, CopyFromParent,
                                     InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect, &attributes);
  XMapRaised(display_, cover);
  EXPECT_LT(settledShare(), 0.05) << "drawing: " << drawing;

  // Shown again, it draws again.
  XDestroyWindow(display_, cover);
  XSync(display_, False);
  EXPECT_TRUE(eventually([&] { return cpuShare(*p, 500ms) > std::max(0.1, drawing / 3); }, 5s))
      << "drawing: " << drawing;
  p->signal(SIGTERM);
  EXPECT_EQ(p->wait(5s), 1);
}

TEST_F(Daemon, OfSeveralSaversOnlyOnePlaysSound) {
  // One process per monitor, started together, as a daemon does.
  std::vector<std::unique_ptr<Process>> savers;
  std::vector<std::filesystem::path> outputs;
  for (int i = 0; i < 2; ++i) {
    Environment env = headless();
    env["SDL_AUDIODRIVER"] = "disk";
    outputs.push_back(output_.file("sound-" + std::to_string(i) + ".raw"));
    env["SDL_DISKAUDIOFILE"] = outputs.back().string();
    savers.push_back(run({"/s", "--seconds", "6", "--seed", std::to_string(i + 1)}, env));
  }
  int playing = 0, silent = 0;
  for (std::size_t i = 0; i < savers.size(); ++i) {
    EXPECT_EQ(savers[i]->wait(60s), 1);
    const std::string bytes = std::filesystem::exists(outputs[i]) ? testsupport::TempDir::read(outputs[i]) : "";
    const bool heard = std::any_of(bytes.begin(), bytes.end(), [](char byte) { return byte != 0; });
    const bool saidSilent =
        savers[i]->err().find("Another saver plays the sound; this one is silent\n") != std::string::npos;
    EXPECT_NE(heard, saidSilent) << savers[i]->err();
    playing += heard;
    silent += saidSilent;
  }
  EXPECT_EQ(playing, 1);
  EXPECT_EQ(silent, 1);
}

} // namespace
