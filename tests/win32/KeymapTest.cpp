#include "platform/win32/keymap.h"

#include <gtest/gtest.h>

#include <SDL_scancode.h>

#include "platform/win32/winuser.h"

namespace {

TEST(Keymap, ScancodesGiveWindowsKeysAndDirectInputCodes) {
  const struct {
    int scancode;
    WORD virtualKey;
    BYTE dik;
  } cases[] = {
      {SDL_SCANCODE_A, 'A', 0x1E},
      {SDL_SCANCODE_Q, 'Q', 0x10},
      {SDL_SCANCODE_M, 'M', 0x32},
      {SDL_SCANCODE_1, '1', 0x02},
      {SDL_SCANCODE_0, '0', 0x0B},
      {SDL_SCANCODE_ESCAPE, VK_ESCAPE, 0x01},
      {SDL_SCANCODE_SPACE, VK_SPACE, 0x39},
      {SDL_SCANCODE_F3, VK_F3, 0x3D},
      {SDL_SCANCODE_F12, VK_F12, 0x58},
      {SDL_SCANCODE_RCTRL, VK_CONTROL, 0x9D},
      {SDL_SCANCODE_KP_ENTER, VK_RETURN, 0x9C},
      {SDL_SCANCODE_LEFT, VK_LEFT, 0xCB},
      {SDL_SCANCODE_PAUSE, VK_PAUSE, 0xC5},
      {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK, 0x45},
      {SDL_SCANCODE_RALT, VK_MENU, 0xB8},
      {SDL_SCANCODE_KP_7, VK_NUMPAD0 + 7, 0x47},
  };
  for (const auto& c : cases) {
    const win32::KeyCode key = win32::keyFromScancode(c.scancode);
    EXPECT_EQ(key.virtualKey, c.virtualKey) << c.scancode;
    EXPECT_EQ(key.dik(), c.dik) << c.scancode;
  }
  EXPECT_EQ(win32::keyFromScancode(SDL_SCANCODE_UNKNOWN).virtualKey, 0);
  EXPECT_EQ(win32::scanCodeOfVirtualKey(VK_F3), 0x3D);
  EXPECT_EQ(win32::scanCodeOfVirtualKey('Z'), 0x2C);
  EXPECT_EQ(win32::scanCodeOfVirtualKey(0xFF), 0);
}

} // namespace
