#include "platform/win32/sdl_bridge.h"

#include <cstdlib>
#include <map>

#include <SDL.h>

namespace win32 {
namespace {

struct Handles {
  std::map<HWND, SDL_Window*> windows;
  UINT_PTR next = 0x10000; // handle values are opaque; start away from small integers
};

Handles& handles() {
  static Handles h;
  return h;
}

bool hasDisplay() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

} // namespace

bool ensureVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
  const char* chosen = std::getenv("SDL_VIDEODRIVER");
  if (!(chosen && *chosen) && !hasDisplay()) SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
  return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

bool isHeadless() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && SDL_strcmp(driver, "offscreen") == 0;
}

SDL_Window* sdlWindow(HWND window) {
  auto it = handles().windows.find(window);
  return it == handles().windows.end() ? nullptr : it->second;
}

HWND attachSdlWindow(SDL_Window* window) {
  if (!window) return nullptr;
  for (const auto& [handle, sdl] : handles().windows)
    if (sdl == window) return handle;
  Handles& h = handles();
  HWND handle = reinterpret_cast<HWND>(h.next);
  h.next += 0x10;
  h.windows[handle] = window;
  return handle;
}

void detachSdlWindow(HWND window) { handles().windows.erase(window); }

} // namespace win32
