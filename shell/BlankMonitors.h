// Full screen on a desk of several monitors: the room fills the primary one, and the others
// are covered with black windows, so that nothing of the desktop shows beside the saver (and
// no monitor burns a second copy of the room). Input keeps going to the saver's window.
#pragma once

#include <vector>

#include "platform/win32/windows.h"

namespace saver {

class BlankMonitors {
public:
  BlankMonitors() = default;
  ~BlankMonitors() { uncover(); }
  BlankMonitors(const BlankMonitors&) = delete;
  BlankMonitors& operator=(const BlankMonitors&) = delete;

  // Covers every monitor but the first (the primary) with a black window.
  void cover(const std::vector<RECT>& monitors, HINSTANCE instance);
  void uncover();
  const std::vector<HWND>& windows() const { return windows_; }

private:
  std::vector<HWND> windows_;
};

} // namespace saver
