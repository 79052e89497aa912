#include "tools/tickwood-view/ViewerOptions.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

namespace tools {

namespace {

bool parseNumber(std::string_view text, double& out) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
  return error == std::errc() && end == text.data() + text.size() && std::isfinite(out);
}

bool parseVector(std::string_view text, D3DXVECTOR3& out) {
  double v[3];
  for (int i = 0; i < 3; ++i) {
    const std::size_t comma = i < 2 ? text.find(',') : text.size();
    if (comma == std::string_view::npos || !parseNumber(text.substr(0, comma), v[i])) return false;
    text = i < 2 ? text.substr(comma + 1) : std::string_view{};
  }
  out = D3DXVECTOR3(float(v[0]), float(v[1]), float(v[2]));
  return true;
}

// "x,y,z:dx,dy,dz" with an optional ":ux,uy,uz".
bool parseCamera(std::string_view text, ViewerOptions& options) {
  std::vector<std::string_view> parts;
  while (true) {
    const std::size_t colon = text.find(':');
    parts.push_back(text.substr(0, colon));
    if (colon == std::string_view::npos) break;
    text = text.substr(colon + 1);
  }
  if (parts.size() < 2 || parts.size() > 3) return false;
  D3DXVECTOR3 eye, direction, up = options.up;
  if (!parseVector(parts[0], eye) || !parseVector(parts[1], direction)) return false;
  if (parts.size() == 3 && !parseVector(parts[2], up)) return false;
  if (D3DXVec3Length(&direction) == 0.0f || D3DXVec3Length(&up) == 0.0f) return false;
  options.eye = eye;
  options.direction = direction;
  options.up = up;
  return true;
}

bool parseSize(std::string_view text, ViewerOptions& options) {
  const std::size_t x = text.find('x');
  double w = 0, h = 0;
  if (x == std::string_view::npos || !parseNumber(text.substr(0, x), w) || !parseNumber(text.substr(x + 1), h))
    return false;
  if (w < 16 || h < 16 || w > 8192 || h > 8192 || w != std::floor(w) || h != std::floor(h)) return false;
  options.width = int(w);
  options.height = int(h);
  return true;
}

} // namespace

std::string viewerUsage() {
  return "usage: tickwood-view FILE.udf [options]\n"
         "  FILE.udf                 a scene file on disk, or the name of one in the embedded media archive\n"
         "  --camera x,y,z:dx,dy,dz[:ux,uy,uz]\n"
         "                           eye, viewing direction and up vector (default -200,100,0:1,0,0:0,0,1)\n"
         "  --at SECONDS             show the animations (and the tour) at this time\n"
         "  --screenshot OUT.png     render one frame without a window and write it as PNG\n"
         "  --size WxH               picture size (default 1024x768)\n"
         "  --tour FILE.cam          follow a camera path (10 path units a second)\n"
         "  --seconds S              close the window after S seconds\n"
         "  --no-culling             draw every mesh whether the camera sees it or not\n"
         "  --time HH:MM:SS          the clock's hands at that time of day (default: the local time)\n"
         "  --help                   this text\n"
         "In the window: W/S or Up/Down move, A/D step sideways, Left/Right turn, PageUp/PageDown rise\n"
         "and sink, Escape closes.\n";
}

bool parseViewerOptions(int argc, const char* const* argv, ViewerOptions& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&](std::string_view& out) {
      if (i + 1 >= argc) {
        error = std::string(arg) + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    std::string_view v;
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--camera") {
      if (!value(v)) return false;
      if (!parseCamera(v, options)) {
        error = "--camera wants x,y,z:dx,dy,dz[:ux,uy,uz] with a direction and up vector that are not zero";
        return false;
      }
    } else if (arg == "--at") {
      if (!value(v)) return false;
      if (!parseNumber(v, options.atSeconds)) {
        error = "--at wants a number of seconds";
        return false;
      }
      options.atTime = true;
    } else if (arg == "--screenshot") {
      if (!value(v)) return false;
      options.screenshot = std::string(v);
    } else if (arg == "--size") {
      if (!value(v)) return false;
      if (!parseSize(v, options)) {
        error = "--size wants WIDTHxHEIGHT between 16 and 8192";
        return false;
      }
    } else if (arg == "--tour") {
      if (!value(v)) return false;
      options.tour = std::string(v);
    } else if (arg == "--seconds") {
      if (!value(v)) return false;
      if (!parseNumber(v, options.seconds) || options.seconds < 0) {
        error = "--seconds wants a number of seconds";
        return false;
      }
    } else if (arg == "--no-culling") {
      options.noCulling = true;
    } else if (arg == "--time") {
      if (!value(v)) return false;
      saver::ClockTime time;
      if (!saver::parseClockTime(std::string(v), time)) {
        error = "--time wants HH:MM:SS";
        return false;
      }
      options.time = time;
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + std::string(arg);
      return false;
    } else if (options.file.empty()) {
      options.file = std::string(arg);
    } else {
      error = "only one scene file, please (" + std::string(arg) + ")";
      return false;
    }
  }
  if (options.file.empty() && !options.help) {
    error = "no scene file given";
    return false;
  }
  return true;
}

} // namespace tools
