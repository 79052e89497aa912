// How the other stand-ins reach the SDL window behind a window handle. Every window the
// win32 stand-in makes is an SDL window created with SDL_WINDOW_OPENGL, so the Direct3D 9
// stand-in can make its OpenGL context on it.
#pragma once

#include "platform/win32/windows.h"

struct SDL_Window;

namespace win32 {

// Starts SDL's video subsystem once. Without a display (no DISPLAY or WAYLAND_DISPLAY and
// no SDL_VIDEODRIVER chosen by the user) it picks SDL's offscreen driver, so the same code
// runs headless and renders through EGL.
bool ensureVideo();
// True when the running video driver is the offscreen one.
bool isHeadless();

// The SDL window of a handle; null for a handle that is not (or no longer) a window.
SDL_Window* sdlWindow(HWND window);
// Gives an SDL window made elsewhere (tests, tools) a handle; the same window always gets
// the same handle. The caller keeps ownership of the SDL window.
HWND attachSdlWindow(SDL_Window* window);
// Forgets a handle (before its SDL window is destroyed).
void detachSdlWindow(HWND window);

// Whether presenting into the window is still safe: false once the X11 child we made in a
// daemon's window has gone with its host (a swap into a destroyed drawable can crash the
// OpenGL driver). Asks the X server, so it is called right before the swap.
bool windowCanPresent(SDL_Window* window);
// Whether the window is one we made inside a foreign host.
bool isEmbeddedWindow(SDL_Window* window);

} // namespace win32
