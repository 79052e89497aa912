// The command line of tickwood-view: which scene, from where it is seen, at what animation
// time, and whether to write a screenshot instead of opening a window.
#pragma once

#include <optional>
#include <string>

#include "platform/d3dx9/d3dx9math.h"
#include "shell/LaunchOptions.h"

namespace tools {

struct ViewerOptions {
  std::string file; // a scene file on disk, or the name of one in the media archive
  D3DXVECTOR3 eye{-200.0f, 100.0f, 0.0f};
  D3DXVECTOR3 direction{1.0f, 0.0f, 0.0f};
  D3DXVECTOR3 up{0.0f, 0.0f, 1.0f}; // the room's world has Z up
  bool atTime = false;              // animation (and tour) time fixed at `atSeconds`
  double atSeconds = 0.0;
  std::string screenshot; // headless: one frame written here as PNG
  int width = 1024;
  int height = 768;
  std::string tour;     // a camera path file the camera follows instead
  double seconds = 0.0; // windowed: close after this long (0: when asked to)
  bool help = false;
  bool noCulling = false;
  std::optional<saver::ClockTime> time; // the clock's hands at this time of day
};

// False with `error` set for an unknown option, a missing or malformed value, or no file.
bool parseViewerOptions(int argc, const char* const* argv, ViewerOptions& options, std::string& error);
std::string viewerUsage();

} // namespace tools
