#include "platform/win32/sdl_bridge.h"

#include <cstdlib>
#include <map>

#include <SDL.h>

#include "platform/win32/window_system.h"

namespace win32 {
namespace {

struct Handles {
  std::map<HWND, SDL_Window*> windows;
  // Handle values are opaque. Bit 30 keeps them apart from X11 window ids (which never use
  // the top three bits of 32), since a foreign window's handle is its X11 id.
  UINT_PTR next = 0x40000000;
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
  // The desktop may blank as usual until SPI_SCREENSAVERRUNNING says otherwise.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // GDI painting writes the window's own framebuffer, never a GL renderer of SDL's on a
  // window whose GL context belongs to the Direct3D stand-in.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  detail::applyDesktopBlanking();
  detail::applyCursor();
  return true;
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
