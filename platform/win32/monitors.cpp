// The monitors of the display, as SDL sees them: on X11 it lists the primary output first.
#include <SDL.h>

#include <optional>

#include "platform/win32/desktop.h"
#include "platform/win32/sdl_bridge.h"

namespace win32 {
namespace {

std::optional<std::vector<RECT>>& monitorsForTests() {
  static std::optional<std::vector<RECT>> monitors;
  return monitors;
}

} // namespace

std::vector<RECT> monitorRects() {
  if (monitorsForTests()) return *monitorsForTests();
  std::vector<RECT> monitors;
  if (!ensureVideo()) return monitors;
  const int count = SDL_GetNumVideoDisplays();
  for (int display = 0; display < count; ++display) {
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(display, &bounds) != 0 || bounds.w <= 0 || bounds.h <= 0) continue;
    monitors.push_back(RECT{bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h});
  }
  return monitors;
}

void setMonitorRectsForTests(std::optional<std::vector<RECT>> monitors) { monitorsForTests() = std::move(monitors); }

} // namespace win32
