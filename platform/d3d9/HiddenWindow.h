// A hidden window a device can draw into, for image tests, tools and benchmarks that need a
// device but show nothing. Headless machines get SDL's offscreen driver.
#pragma once

#include "platform/win32/windows.h"

#include <string>

namespace d3d9 {

class HiddenWindow {
public:
  HiddenWindow() = default;
  ~HiddenWindow();
  HiddenWindow(const HiddenWindow&) = delete;
  HiddenWindow& operator=(const HiddenWindow&) = delete;

  // Makes the window with a client area of width x height; false with `failure` set.
  bool open(int width, int height, std::string& failure);
  HWND handle() const { return handle_; }

private:
  void* window_ = nullptr; // SDL_Window
  HWND handle_ = nullptr;
};

} // namespace d3d9
