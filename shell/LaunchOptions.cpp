#include "shell/LaunchOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace saver {
namespace {

// An X11 window id: hexadecimal with 0x, or decimal; X11 ids have at most 29 bits.
bool parseWindowId(const std::string& text, std::uint64_t& id) {
  if (text.empty()) return false;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.empty() || digits.size() > 16) return false;
  std::uint64_t value = 0;
  for (char c : digits) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return false;
    value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
    if (value > 0x1FFFFFFF) return false;
  }
  if (value == 0) return false;
  id = value;
  return true;
}

bool parseSeconds(const std::string& text, double& seconds) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(value) || value < 0 || value > 1e9) return false;
  seconds = value;
  return true;
}

bool parseSeed(const std::string& text, unsigned& seed) {
  if (text.empty() || text.size() > 10) return false;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > 0xFFFFFFFFu) return false;
  seed = static_cast<unsigned>(value);
  return true;
}

std::string quoted(const std::string& programName) {
  std::string name;
  for (char c : programName)
    if (c != '"') name.push_back(c);
  return "\"" + name + "\"";
}

} // namespace

bool parseClockTime(const std::string& text, ClockTime& time) {
  if (text.size() != 8 || text[2] != ':' || text[5] != ':') return false;
  auto two = [&](std::size_t at, int& out, int limit) {
    if (text[at] < '0' || text[at] > '9' || text[at + 1] < '0' || text[at + 1] > '9') return false;
    out = (text[at] - '0') * 10 + (text[at + 1] - '0');
    return out <= limit;
  };
  return two(0, time.hour, 23) && two(3, time.minute, 59) && two(6, time.second, 59);
}

LaunchOptions parseLaunchOptions(const std::string& programName, const std::vector<std::string>& arguments,
                                 const char* xscreensaverWindow) {
  LaunchOptions options;
  std::string rest;
  std::optional<std::uint64_t> windowId;
  bool root = false;

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string name = arguments[i];
    std::optional<std::string> inlineValue;
    const bool doubleDash = name.rfind("--", 0) == 0;
    if (doubleDash) {
      const std::size_t equals = name.find('=');
      if (equals != std::string::npos) {
        inlineValue = name.substr(equals + 1);
        name.resize(equals);
      }
      name.erase(0, 1); // the daemon options take one dash or two
    }
    bool inlineValueTaken = false;
    auto value = [&](std::string& out) {
      if (inlineValue) {
        out = *inlineValue;
        inlineValueTaken = true;
        return true;
      }
      if (i + 1 >= arguments.size()) return false;
      out = arguments[++i];
      return true;
    };
    auto fail = [&](const std::string& message) {
      options.error = message;
      return options;
    };
    std::string text;
    if (doubleDash && name == "-help") {
      options.help = true;
    } else if (name == "-root") {
      root = true;
    } else if (name == "-window-id") {
      std::uint64_t id = 0;
      if (!value(text) || !parseWindowId(text, id))
        return fail("-window-id needs an X11 window id (0x... or decimal), not \"" + text + "\"");
      windowId = id;
    } else if (name == "-fps") {
      options.showFps = true;
    } else if (name == "-install" || name == "-mono") {
      // Colormap and colour choices of the daemon's world; OpenGL decides them here.
    } else if (name == "-visual") {
      if (!value(text)) return fail("-visual needs a value");
    } else if (doubleDash && name == "-seconds") {
      double seconds = 0;
      if (!value(text) || !parseSeconds(text, seconds))
        return fail("--seconds needs a number of seconds, not \"" + text + "\"");
      options.seconds = seconds;
    } else if (doubleDash && name == "-time") {
      ClockTime time;
      if (!value(text) || !parseClockTime(text, time)) return fail("--time needs HH:MM:SS, not \"" + text + "\"");
      options.startTime = time;
    } else if (doubleDash && name == "-seed") {
      unsigned seed = 0;
      if (!value(text) || !parseSeed(text, seed)) return fail("--seed needs a whole number, not \"" + text + "\"");
      options.seed = seed;
    } else if (doubleDash && name == "-screenshot") {
      if (!value(text) || text.empty()) return fail("--screenshot needs the name of a PNG file to write");
      options.screenshot = text;
    } else if (doubleDash) {
      std::string error;
      const SettingOptionMatch match = parseSettingOption(name.substr(1), value, options.settings, error);
      if (match == SettingOptionMatch::Invalid) return fail(error);
      if (match == SettingOptionMatch::NotASetting) return fail("unknown option " + arguments[i]);
    } else {
      // Everything else belongs to the Windows switches, including unknown single-dash ones.
      rest += " " + arguments[i];
      options.windowsArguments = true;
    }
    // "--music=0" must not quietly mean "--music": a switch refuses a value it would ignore.
    if (inlineValue && !inlineValueTaken)
      return fail(arguments[i].substr(0, arguments[i].find('=')) + " takes no value, not \"" + *inlineValue + "\"");
  }
  options.windowsCommandLine = quoted(programName) + rest;

  if (windowId) {
    options.hostWindow = windowId;
  } else if (xscreensaverWindow && *xscreensaverWindow && (root || !options.windowsArguments)) {
    std::uint64_t id = 0;
    if (!parseWindowId(xscreensaverWindow, id)) {
      options.error = std::string("XSCREENSAVER_WINDOW=\"") + xscreensaverWindow +
                      "\" is not an X11 window id; running inside a Wayland screensaver's surface is not supported";
      return options;
    }
    options.hostWindow = id;
  } else if (root) {
    options.hostIsRoot = true;
  }
  return options;
}

std::string usageText() {
  return std::string("usage: tickwood [options] [/s | /t | /p <window> | /c[:<window>] | /a <window>]\n"
                     "\n"
                     "Screensaver switches ('-' works as well as '/', in either case):\n"
                     "  /s, /t                run the screensaver\n"
                     "  /p <window>           show the preview picture inside the X11 window of that\n"
                     "                        (decimal) id, until that window closes\n"
                     "  /c[:<window>]         open the settings (also with no switch at all)\n"
                     "  /a <window>           change password: nothing to do, ends at once\n"
                     "\n"
                     "For screensaver daemons:\n"
                     "  -root                 run inside the root window (or $XSCREENSAVER_WINDOW)\n"
                     "  -window-id <id>       run inside that existing X11 window (0x... or decimal)\n"
                     "  -fps                  show the frame rate for this run (settings unchanged)\n"
                     "  -install, -visual <v>, -mono   accepted and ignored\n"
                     "  $XSCREENSAVER_WINDOW  with no switch, run inside that X11 window\n"
                     "  Inside a daemon's window, input does not end the run: the daemon does.\n"
                     "\n"
                     "For people and tests:\n"
                     "  --seconds <s>         end the run after s seconds\n"
                     "  --time HH:MM:SS       the local clock starts at that time of day\n"
                     "  --seed <n>            fixed random seed\n"
                     "  --screenshot <file>   at the end of the run, write the last frame there (PNG)\n"
                     "  --help                this text\n"
                     "\n"
                     "Settings for this run only (the stored ones stay as they are):\n") +
         settingOptionsUsage() +
         "\n"
         "Daemon options also take two dashes (--root, --window-id, --fps). Settings live in\n"
         "$XDG_CONFIG_HOME/tickwood/registry.reg; TICKWOOD_LOG=1 shows the log on stderr.\n";
}

} // namespace saver
