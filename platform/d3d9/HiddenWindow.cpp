#include "platform/d3d9/HiddenWindow.h"

#include "platform/win32/sdl_bridge.h"

#include <SDL.h>

namespace d3d9 {

HiddenWindow::~HiddenWindow() {
  if (handle_) win32::detachSdlWindow(handle_);
  if (window_) SDL_DestroyWindow(static_cast<SDL_Window*>(window_));
}

bool HiddenWindow::open(int width, int height, std::string& failure) {
  if (!win32::ensureVideo()) {
    failure = std::string("no video: ") + SDL_GetError();
    return false;
  }
  SDL_Window* window = SDL_CreateWindow("tickwood", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                        SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!window) {
    failure = std::string("no window: ") + SDL_GetError();
    return false;
  }
  window_ = window;
  handle_ = win32::attachSdlWindow(window);
  return true;
}

} // namespace d3d9
