// Test programs that open windows run them on SDL's offscreen driver even on a desktop, so
// no window appears on the developer's screen (the X11 paths are tested end to end under
// Xvfb). The OpenGL library is loaded once for the whole program: the system's EGL driver
// keeps some allocations for good when it is first set up, which are not ours to report.
#pragma once

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "platform/win32/sdl_bridge.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace win32test {

class OffscreenVideo : public ::testing::Environment {
public:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
#if defined(__SANITIZE_ADDRESS__)
    __lsan_disable();
#endif
    if (win32::ensureVideo() && SDL_GL_LoadLibrary(nullptr) == 0) {
      // Setting up the driver's display once is where its lasting allocations are made.
      if (SDL_Window* probe = SDL_CreateWindow("", 0, 0, 8, 8, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN))
        SDL_DestroyWindow(probe);
    }
#if defined(__SANITIZE_ADDRESS__)
    __lsan_enable();
#endif
  }
};

} // namespace win32test
