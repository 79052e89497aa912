// Whether a window can be seen, and whether it can still be drawn into: a saver that
// nobody sees should not burn a processor, and one whose daemon has just destroyed the
// host window must not hand the OpenGL driver a drawable that is gone.
#include <SDL.h>

#include "platform/win32/desktop.h"
#include "platform/win32/sdl_bridge.h"
#include "platform/win32/window_system.h"
#include "platform/win32/x11_host.h"

namespace win32 {

using detail::Window;
using detail::WindowSystem;

bool windowShowsOnScreen(HWND handle) {
  Window* window = WindowSystem::get().find(handle);
  if (!window || window->destroying || !window->sdl) return false;
  if (window->childWindow) return x11::childViewable(window->childWindow);
  const Uint32 flags = SDL_GetWindowFlags(window->sdl);
  return (flags & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) == 0;
}

bool windowCanPresent(SDL_Window* sdl) {
  Window* window = WindowSystem::get().findBySdl(sdl);
  if (!window || !window->childWindow) return true;
  return !window->destroying && x11::childExists(window->childWindow);
}

bool isEmbeddedWindow(SDL_Window* sdl) {
  Window* window = WindowSystem::get().findBySdl(sdl);
  return window && window->childWindow;
}

} // namespace win32
