// The options a Linux screensaver daemon, a person or a test adds to the Windows switches.
// They are taken out of the arguments first; what remains is the command-line text the
// Windows switches are parsed from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace saver {

struct ClockTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

struct LaunchOptions {
  // The program name in quotes, then the remaining arguments separated by blanks.
  std::string windowsCommandLine;
  bool windowsArguments = false; // any argument was left for the Windows switches

  // Run inside an existing X11 window: its id, or the display's root window.
  std::optional<std::uint64_t> hostWindow;
  bool hostIsRoot = false;

  bool showFps = false;               // for this run only
  std::optional<double> seconds;      // end the run after this long
  std::optional<ClockTime> startTime; // the local clock starts here
  std::optional<unsigned> seed;       // instead of one from the clock
  std::string screenshot;             // the last frame goes there as PNG (empty: none)
  bool help = false;
  std::string error; // non-empty: a message for the user, and exit code 1
};

// `arguments` without the program name; `xscreensaverWindow` is the value of the
// XSCREENSAVER_WINDOW environment variable (null when unset). The variable is used with
// -root, or when no argument is left for the Windows switches.
LaunchOptions parseLaunchOptions(const std::string& programName, const std::vector<std::string>& arguments,
                                 const char* xscreensaverWindow);

std::string usageText();

// "HH:MM:SS" of a 24-hour day; false for anything else.
bool parseClockTime(const std::string& text, ClockTime& time);

} // namespace saver
