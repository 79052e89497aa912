// What the devices are fed with: one thing that happened at the keyboard, the mouse or a
// window's focus, already in DirectInput's terms, and what they need to know of the windows.
// The SDL glue makes these from SDL events; tests make them by hand.
#pragma once

#include <cstdint>

#include "platform/win32/windows.h"

namespace dinput8 {

struct RawInput {
  enum class Kind { KeyDown, KeyUp, Motion, ButtonDown, ButtonUp, Wheel, FocusGained, FocusLost };
  Kind kind = Kind::KeyDown;
  DWORD time = 0;           // milliseconds
  std::uint32_t window = 0; // the window a focus change concerns, as WindowHost::windowId names it
  BYTE key = 0;             // DIK code
  LONG dx = 0;              // pointer movement
  LONG dy = 0;
  LONG dz = 0;    // wheel, 120 a notch
  int button = 0; // 0 left, 1 right, 2 middle, then the extra buttons
};

class WindowHost {
public:
  virtual ~WindowHost() = default;
  virtual bool isWindow(HWND window) const = 0;
  // Whether input goes to this window now (what a foreground device needs to be acquired).
  virtual bool hasFocus(HWND window) const = 0;
  // The id RawInput::window carries for this window (0 for none).
  virtual std::uint32_t windowId(HWND window) const = 0;
};

} // namespace dinput8
