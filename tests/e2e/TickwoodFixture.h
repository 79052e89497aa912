// The fixtures of the end-to-end tests: runs of the real executable, headless or on a private
// Xvfb server with the test's own connection to it.
#pragma once

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/Process.h"
#include "tests/e2e/XvfbServer.h"
#include "tests/support/Ci.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

namespace e2e {

using namespace std::chrono_literals;
using Environment = std::map<std::string, std::optional<std::string>>;

// A saver run's log without what depends on the machine: the description of its device
// (the block between two rules, which goes to `description`) and the Direct3D stand-in's
// remarks about the window system ("Direct3D: ..." lines).
inline std::string withoutDescription(const std::string& log, std::string* description = nullptr) {
  const std::string rule = "----------------------\n";
  std::string rest = log;
  const std::size_t first = rest.find(rule);
  const std::size_t second = first == std::string::npos ? first : rest.find(rule, first + rule.size());
  if (second != std::string::npos) {
    if (description) *description = rest.substr(first, second + rule.size() - first);
    rest = rest.substr(0, first) + rest.substr(second + rule.size());
  }
  std::string out;
  std::istringstream lines(rest);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("Direct3D: ", 0) != 0) out += line + "\n";
  return out;
}

inline constexpr const char* kSaverLog = "Log started \nApplication created\nLog closed\n";

// A Scene.props whose room lies beyond the far plane: frames show the background only.
inline constexpr const char* kGreenNothing = "BgColor = array(10, 200, 30); NearPlane = 0.1; FarPlane = 0.2;\n";

// A picture file's picture; false when the file is none.
inline bool readPicture(const std::filesystem::path& file, d3dx9::Image& image) {
  std::string error;
  return testsupport::readPicture(file, image, error);
}

class Tickwood : public ::testing::Test {
protected:
  // A headless run: no display at all, the settings in a private folder, the log on stderr.
  Environment headless() const {
    return {{"DISPLAY", std::nullopt},
            {"WAYLAND_DISPLAY", std::nullopt},
            {"SDL_VIDEODRIVER", std::nullopt},
            {"XSCREENSAVER_WINDOW", std::nullopt},
            {"XDG_CONFIG_HOME", config_.path().string()},
            {"TICKWOOD_LOG", "1"},
            // The room's sounds play to SDL's silent output: a test machine may have no sound
            // card, and without one the run logs that it plays on without sound.
            {"SDL_AUDIODRIVER", "dummy"},
            // Leaks are the unit tests' business; here the system libraries' would only
            // change the exit codes of a sanitized build.
            {"ASAN_OPTIONS", "detect_leaks=0"}};
  }

  std::unique_ptr<Process> run(std::vector<std::string> arguments, Environment environment) {
    arguments.insert(arguments.begin(), TICKWOOD_EXE);
    auto process = std::make_unique<Process>(arguments, environment, output_);
    EXPECT_TRUE(process->started());
    return process;
  }

  // The same, with `folder` as the working directory (where a Media folder overrides the
  // program's own media).
  std::unique_ptr<Process> runIn(const std::filesystem::path& folder, const std::vector<std::string>& arguments,
                                 Environment environment) {
    std::string command = "cd '" + folder.string() + "' && exec '" TICKWOOD_EXE "'";
    for (const std::string& argument : arguments)
      command += " '" + argument + "'";
    auto process = std::make_unique<Process>(std::vector<std::string>{"/bin/sh", "-c", command}, environment, output_);
    EXPECT_TRUE(process->started());
    return process;
  }

  // The settings of the next runs, as REGEDIT4 values ("ShowTime" is on by default).
  void writeSettings(const std::string& values) {
    config_.write("tickwood/registry.reg",
                  "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brindle Studio\\Tickwood]\n" + values);
  }
  // Frames that show nothing but the background: no time label over them.
  void withoutLabels() { writeSettings("\"ShowTime\"=dword:00000000\n"); }

  testsupport::TempDir config_;
  testsupport::TempDir output_;
};

// The X11 cases: one Xvfb server per test and our own connection to it.
class TickwoodOnX : public Tickwood {
protected:
  void SetUp() override {
    server_ = std::make_unique<XvfbServer>(screen_);
    if (server_->display().empty()) SKIP_OR_FAIL_IN_CI("Xvfb could not be started; the X11 cases are not tested");
    display_ = XOpenDisplay(server_->display().c_str());
    ASSERT_NE(display_, nullptr);
    // The program's windows come and go while a test looks at them (a window listed a moment
    // ago may be gone when asked about): such a request fails and answers nothing, instead
    // of ending the test program as Xlib's own handler would.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  void TearDown() override {
    if (display_) XCloseDisplay(display_);
  }

  Environment onX() const {
    Environment env = headless();
    env["DISPLAY"] = server_->display();
    return env;
  }

  Window hostWindow(int width, int height) {
    XSetWindowAttributes attributes{};
    attributes.background_pixel = 0x202020;
    attributes.event_mask = StructureNotifyMask;
    Window window = XCreateWindow(display_, DefaultRootWindow(display_), 10, 10, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                  CWBackPixel | CWEventMask, &attributes);
    XMapWindow(display_, window);
    XSync(display_, False);
    return window;
  }

  std::vector<Window> children(Window window) {
    Window root = 0;
    Window parent = 0;
    Window* list = nullptr;
    unsigned count = 0;
    std::vector<Window> out;
    if (XQueryTree(display_, window, &root, &parent, &list, &count)) out.assign(list, list + count);
    if (list) XFree(list);
    return out;
  }

  // Waits until `check` holds, for at most `limit`.
  template <typename Check> bool eventually(Check check, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
      if (check()) return true;
      std::this_thread::sleep_for(20ms);
    }
    return check();
  }

  // The window mapped last, once one is (the root's substructure must be watched): 0 when
  // none is mapped within ten seconds.
  Window mappedWindow() {
    Window mapped = 0;
    eventually(
        [&] {
          XEvent event;
          while (XCheckTypedEvent(display_, MapNotify, &event))
            mapped = event.xmap.window;
          return mapped != 0;
        },
        10s);
    return mapped;
  }

  bool sizeIs(Window window, int width, int height) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display_, window, &attributes) && attributes.width == width &&
           attributes.height == height;
  }

  const char* screen_ = "640x480x24"; // a fixture may want a larger screen
  std::unique_ptr<XvfbServer> server_;
  Display* display_ = nullptr;
};

} // namespace e2e
