// The cursor, the pointer and key state, and synthesized keyboard input.
#include <map>

#include <SDL.h>

#include "platform/win32/desktop.h"
#include "platform/win32/keymap.h"
#include "platform/win32/resources.h"
#include "platform/win32/winbase.h"
#include "platform/win32/window_system.h"
#include "platform/win32/x11_host.h"

namespace win32::detail {
namespace {

constexpr WORD kArrow = 32512;

// The system cursors the program names, as SDL's system cursors.
bool sdlCursorId(UINT_PTR id, SDL_SystemCursor& out) {
  switch (id) {
  case kArrow:
    out = SDL_SYSTEM_CURSOR_ARROW;
    return true;
  case 32513:
    out = SDL_SYSTEM_CURSOR_IBEAM;
    return true;
  case 32514:
    out = SDL_SYSTEM_CURSOR_WAIT;
    return true;
  case 32515:
    out = SDL_SYSTEM_CURSOR_CROSSHAIR;
    return true;
  case 32642:
    out = SDL_SYSTEM_CURSOR_SIZENWSE;
    return true;
  case 32643:
    out = SDL_SYSTEM_CURSOR_SIZENESW;
    return true;
  case 32644:
    out = SDL_SYSTEM_CURSOR_SIZEWE;
    return true;
  case 32645:
    out = SDL_SYSTEM_CURSOR_SIZENS;
    return true;
  case 32646:
    out = SDL_SYSTEM_CURSOR_SIZEALL;
    return true;
  case 32648:
    out = SDL_SYSTEM_CURSOR_NO;
    return true;
  case 32649:
    out = SDL_SYSTEM_CURSOR_HAND;
    return true;
  default:
    return false;
  }
}

SDL_Cursor* sdlCursor(HCURSOR cursor) {
  static std::map<UINT_PTR, SDL_Cursor*> made;
  const auto id = reinterpret_cast<UINT_PTR>(cursor);
  auto it = made.find(id);
  if (it != made.end()) return it->second;
  SDL_SystemCursor which{};
  if (!sdlCursorId(id, which)) return nullptr;
  SDL_Cursor* created = SDL_CreateSystemCursor(which);
  if (created) made[id] = created;
  return created;
}

void postKey(WORD virtualKey, WORD scan, bool extended, bool up) {
  WindowSystem& system = WindowSystem::get();
  HWND target = system.find(system.focusWindow) ? system.focusWindow : system.activeWindow;
  if (!system.find(target)) return;
  LPARAM flags = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16);
  if (extended) flags |= KF_EXTENDED_BIT;
  if (up) flags |= KF_REPEAT_BIT | KF_UP_BIT;
  postMessage(target, up ? WM_KEYUP : WM_KEYDOWN, virtualKey, flags);
  // Synthesized input counts as activity for the desktop, as real input would.
  if (desktopBlankingControl()) x11::resetIdleTimer();
}

} // namespace

void applyCursor() {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  WindowSystem& system = WindowSystem::get();
  const HCURSOR cursor = system.cursorChosen ? system.cursor : reinterpret_cast<HCURSOR>(static_cast<UINT_PTR>(kArrow));
  const bool visible = system.cursorCount >= 0 && cursor != nullptr;
  if (visible)
    if (SDL_Cursor* shape = sdlCursor(cursor)) SDL_SetCursor(shape);
  SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

} // namespace win32::detail

using win32::detail::WindowSystem;

int ShowCursor(BOOL show) {
  WindowSystem& system = WindowSystem::get();
  system.cursorCount += show ? 1 : -1;
  win32::detail::applyCursor();
  return system.cursorCount;
}

HCURSOR SetCursor(HCURSOR cursor) {
  WindowSystem& system = WindowSystem::get();
  const HCURSOR previous = system.cursor;
  system.cursor = cursor;
  system.cursorChosen = true;
  win32::detail::applyCursor();
  return previous;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  SDL_SystemCursor which{};
  const auto id = reinterpret_cast<UINT_PTR>(name);
  // Only the system cursors exist; the program carries no cursor resources.
  if (instance != nullptr || !IS_INTRESOURCE(name) || !win32::detail::sdlCursorId(id, which)) return nullptr;
  return reinterpret_cast<HCURSOR>(id);
}

HICON LoadIconA(HINSTANCE, LPCSTR) {
  // The window manager shows no icon for our windows; a null icon is what Windows gives for
  // a module without one.
  return nullptr;
}

BOOL GetCursorPos(POINT* point) {
  if (!point) return FALSE;
  int x = 0;
  int y = 0;
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_GetGlobalMouseState(&x, &y);
  point->x = x;
  point->y = y;
  return TRUE;
}

short GetAsyncKeyState(int virtualKey) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return 0;
  constexpr short kDown = static_cast<short>(0x8000);
  const Uint32 buttons = SDL_GetGlobalMouseState(nullptr, nullptr);
  switch (virtualKey) {
  case VK_LBUTTON:
    return (buttons & SDL_BUTTON_LMASK) ? kDown : 0;
  case VK_RBUTTON:
    return (buttons & SDL_BUTTON_RMASK) ? kDown : 0;
  case VK_MBUTTON:
    return (buttons & SDL_BUTTON_MMASK) ? kDown : 0;
  default:
    break;
  }
  int count = 0;
  const Uint8* keys = SDL_GetKeyboardState(&count);
  for (int scancode = 0; scancode < count; ++scancode)
    if (keys[scancode] && win32::keyFromScancode(scancode).virtualKey == virtualKey) return kDown;
  return 0;
}

void keybd_event(BYTE virtualKey, BYTE scan, DWORD flags, UINT_PTR) {
  win32::detail::postKey(virtualKey, scan, (flags & KEYEVENTF_EXTENDEDKEY) != 0, (flags & KEYEVENTF_KEYUP) != 0);
}

UINT SendInput(UINT count, INPUT* inputs, int size) {
  if (!inputs || size != static_cast<int>(sizeof(INPUT))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  UINT inserted = 0;
  for (UINT i = 0; i < count; ++i) {
    const INPUT& input = inputs[i];
    // Only keyboard input is ever synthesized by the program.
    if (input.type != INPUT_KEYBOARD) break;
    const KEYBDINPUT& key = input.ki;
    const bool up = (key.dwFlags & KEYEVENTF_KEYUP) != 0;
    if (key.dwFlags & KEYEVENTF_UNICODE) {
      WindowSystem& system = WindowSystem::get();
      if (!up && system.find(system.focusWindow)) win32::detail::postMessage(system.focusWindow, WM_CHAR, key.wScan, 1);
    } else {
      win32::detail::postKey(key.wVk, key.wScan, (key.dwFlags & KEYEVENTF_EXTENDEDKEY) != 0, up);
    }
    ++inserted;
  }
  return inserted;
}
