// tickwood-view: shows a scene file in a window, or writes one frame of it as PNG.
#include <cstdio>
#include <memory>
#include <string>

#include "engine/core/Log.h"
#include "platform/d3dx9/Screenshot.h"
#include "platform/win32/clock.h"
#include "tools/tickwood-view/SceneViewer.h"
#include "tools/tickwood-view/ViewerResources.h"

int main(int argc, char** argv) {
  engine::configureLogFromEnvironment();
  tools::ViewerOptions options;
  std::string error;
  if (!tools::parseViewerOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "tickwood-view: %s\n%s", error.c_str(), tools::viewerUsage().c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(tools::viewerUsage().c_str(), stdout);
    return 0;
  }
  tools::registerViewerResources();
  // The local clock starts at the given time of day, and so do the clock's hands.
  std::unique_ptr<win32::StartTimeClock> startClock;
  std::unique_ptr<win32::ScopedClock> useStartClock;
  if (options.time) {
    startClock =
        std::make_unique<win32::StartTimeClock>(options.time->hour, options.time->minute, options.time->second);
    useStartClock = std::make_unique<win32::ScopedClock>(*startClock);
  }
  tools::SceneViewer viewer;
  if (!viewer.open(options, error)) {
    std::fprintf(stderr, "tickwood-view: %s\n", error.c_str());
    return 1;
  }
  if (options.screenshot.empty()) return viewer.runWindowed();
  const double* at = options.atTime ? &options.atSeconds : nullptr;
  if (!viewer.renderFrame(at)) {
    std::fprintf(stderr, "tickwood-view: the frame could not be drawn\n");
    return 1;
  }
  if (!d3dx9::saveScreenshot(viewer.device(), options.screenshot, error)) {
    std::fprintf(stderr, "tickwood-view: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
