// The keyboard as Windows names it: an SDL scancode's virtual key and its PC/AT set-1 scan
// code (with the E0-prefix flag), which is also its DirectInput key code.
#pragma once

#include "platform/win32/windows.h"

namespace win32 {

struct KeyCode {
  WORD virtualKey = 0; // 0: the key has no virtual key
  BYTE scanCode = 0;   // set-1 make code without the E0 prefix
  bool extended = false;

  // DirectInput numbers E0-prefixed keys as scan code + 0x80.
  BYTE dik() const { return static_cast<BYTE>(extended ? scanCode | 0x80 : scanCode); }
};

// `scancode` is an SDL_Scancode value; keys Windows does not know give a zero KeyCode.
KeyCode keyFromScancode(int scancode);

// The set-1 scan code of a virtual key (the first key that produces it), as
// MapVirtualKey(MAPVK_VK_TO_VSC) answers; 0 when none does.
BYTE scanCodeOfVirtualKey(WORD virtualKey);

} // namespace win32
