#include "shell/ProcessEntry.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/Stopwatch.h"
#include "engine/core/Log.h"
#include "platform/d3d9/Runtime.h"
#include "platform/win32/clock.h"
#include "platform/win32/desktop.h"
#include "platform/win32/resources.h"
#include "platform/win32/winbase.h"
#include "shell/CommandLine.h"
#include "shell/GraphicsMissingDialog.h"
#include "shell/LaunchOptions.h"

namespace saver {
namespace {

void logDiagnostic(std::string_view line) { engine::logLine(line); }

// "TICKWOOD_CLOCK_RATE" (tests and drills only): the program's time runs that many times as
// fast, so an hour of the saver's life passes in a minute. Anything but a number from 1 to
// 1000 leaves the time as it is.
double clockRate() {
  const char* text = std::getenv("TICKWOOD_CLOCK_RATE");
  if (!text) return 1.0;
  char* end = nullptr;
  const double rate = std::strtod(text, &end);
  return end != text && *end == '\0' && rate >= 1.0 && rate <= 1000.0 ? rate : 1.0;
}

// The window a daemon gave us, or null with a message for the user.
HWND resolveHost(const LaunchOptions& options, std::string& error) {
  if (options.hostIsRoot) {
    HWND root = win32::rootWindow();
    if (!root) error = "-root needs an X11 display";
    return root;
  }
  HWND host = win32::foreignWindow(*options.hostWindow);
  if (!win32::isForeignWindow(host)) {
    char id[32];
    std::snprintf(id, sizeof id, "0x%llx", static_cast<unsigned long long>(*options.hostWindow));
    error = std::string("X11 window ") + id + " does not exist" +
            (std::getenv("DISPLAY") ? "" : " (no X11 display: DISPLAY is not set)");
    return nullptr;
  }
  return host;
}

} // namespace

int runSaverProcess(int argc, const char* const* argv, const ApplicationFactory& makeApplication) {
  engine::configureLogFromEnvironment();
  win32::setDiagnosticSink(logDiagnostic);

  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const LaunchOptions options =
      parseLaunchOptions(argc > 0 ? argv[0] : "tickwood", arguments, std::getenv("XSCREENSAVER_WINDOW"));
  if (options.help) {
    std::fputs(usageText().c_str(), stdout);
    return 0;
  }
  if (!options.error.empty()) {
    std::fprintf(stderr, "tickwood: %s\n\n%s", options.error.c_str(), usageText().c_str());
    return 1;
  }
  // A daemon's SIGTERM ends every run cleanly, even one waiting on a dialog.
  win32::closeWindowsOnTerminationSignals();
  // Before anything else: without OpenGL 3.3 nothing can be drawn, and the person is told so.
  std::string graphicsFailure;
  if (!d3d9::runtimeAvailable(graphicsFailure)) return reportGraphicsMissing(graphicsFailure);

  std::unique_ptr<win32::Clock> startClock;
  if (options.startTime) {
    startClock = std::make_unique<win32::StartTimeClock>(options.startTime->hour, options.startTime->minute,
                                                         options.startTime->second);
    win32::setClock(startClock.get());
  }
  std::unique_ptr<win32::Clock> fastClock;
  if (const double rate = clockRate(); rate != 1.0) {
    fastClock = std::make_unique<win32::AcceleratedClock>(win32::currentClock(), rate);
    win32::setClock(fastClock.get());
  }

  win32::setCommandLine(options.windowsCommandLine);
  std::uintptr_t parentNumber = 0;
  RunMode mode = parseCommandLine(GetCommandLineA(), parentNumber);
  HWND parent = win32::foreignWindow(parentNumber);

  HWND host = nullptr;
  const bool daemonWindow = options.hostWindow || options.hostIsRoot;
  // A daemon names no switch (or /s, /t): it wants the saver, inside its window.
  if (daemonWindow && (!options.windowsArguments || mode == RunMode::Saver || mode == RunMode::Test)) {
    if (!options.windowsArguments) mode = RunMode::Saver;
    std::string error;
    host = resolveHost(options, error);
    if (!host) {
      std::fprintf(stderr, "tickwood: %s\n", error.c_str());
      win32::setClock(nullptr);
      return 1;
    }
    // The daemon owns blanking and power saving while we draw in its window.
    win32::setDesktopBlankingControl(false);
  }

  std::unique_ptr<SaverApplication> application = makeApplication();
  application->setHostWindow(host);
  application->setShowFpsForThisRun(options.showFps);
  application->setSettingOverrides(options.settings);
  if (options.seconds) application->frameLoop().setRunLimit(static_cast<std::int64_t>(*options.seconds * 1000.0));
  application->setScreenshotPath(options.screenshot);

  BOOL wasRunning = FALSE;
  SystemParametersInfoA(SPI_SCREENSAVERRUNNING, TRUE, &wasRunning, 0);
  std::srand(options.seed ? *options.seed : static_cast<unsigned>(engine::nowMilliseconds() % 32768));

  int exitCode = 0;
  if (application->startUp(GetModuleHandleA(nullptr), mode, parent))
    exitCode = mode == RunMode::Configure ? 1 : application->runMainLoop();

  SystemParametersInfoA(SPI_SCREENSAVERRUNNING, FALSE, &wasRunning, 0);
  application.reset();
  win32::setClock(nullptr);
  return exitCode;
}

} // namespace saver
