// SDL events as the window messages Windows would have sent, then shown to the event taps.
#include <SDL.h>

#include "platform/win32/keymap.h"
#include "platform/win32/window_system.h"

namespace win32::detail {
namespace {

Window* windowOf(Uint32 windowId) {
  WindowSystem& system = WindowSystem::get();
  if (windowId != 0)
    if (SDL_Window* sdl = SDL_GetWindowFromID(windowId)) return system.findBySdl(sdl);
  return system.find(system.focusWindow);
}

WPARAM mouseKeyState(Uint32 buttons) {
  WPARAM state = 0;
  if (buttons & SDL_BUTTON_LMASK) state |= MK_LBUTTON;
  if (buttons & SDL_BUTTON_RMASK) state |= MK_RBUTTON;
  if (buttons & SDL_BUTTON_MMASK) state |= MK_MBUTTON;
  const SDL_Keymod mod = SDL_GetModState();
  if (mod & KMOD_SHIFT) state |= MK_SHIFT;
  if (mod & KMOD_CTRL) state |= MK_CONTROL;
  return state;
}

void translateWindowEvent(const SDL_WindowEvent& event) {
  Window* window = windowOf(event.windowID);
  if (!window) return;
  WindowSystem& system = WindowSystem::get();
  const HWND handle = window->handle;
  switch (event.event) {
  case SDL_WINDOWEVENT_SHOWN:
  case SDL_WINDOWEVENT_EXPOSED:
    window->needsPaint = true;
    break;
  case SDL_WINDOWEVENT_SIZE_CHANGED:
    reportSize(*window, SIZE_RESTORED, true);
    break;
  case SDL_WINDOWEVENT_MINIMIZED:
    reportSize(*window, SIZE_MINIMIZED, true);
    break;
  case SDL_WINDOWEVENT_MAXIMIZED:
    reportSize(*window, SIZE_MAXIMIZED, true);
    break;
  case SDL_WINDOWEVENT_RESTORED:
    window->reportedWidth = -1; // always tell: the window left the minimized or maximized state
    reportSize(*window, SIZE_RESTORED, true);
    break;
  case SDL_WINDOWEVENT_FOCUS_GAINED:
    system.activeWindow = handle;
    system.focusWindow = handle;
    postMessage(handle, WM_ACTIVATE, WA_ACTIVE, 0);
    postMessage(handle, WM_SETFOCUS, 0, 0);
    break;
  case SDL_WINDOWEVENT_FOCUS_LOST:
    if (system.focusWindow == handle) system.focusWindow = nullptr;
    postMessage(handle, WM_ACTIVATE, WA_INACTIVE, 0);
    postMessage(handle, WM_KILLFOCUS, 0, 0);
    break;
  case SDL_WINDOWEVENT_CLOSE:
    postMessage(handle, WM_CLOSE, 0, 0);
    break;
  default:
    break;
  }
}

void translateKey(const SDL_KeyboardEvent& event) {
  Window* window = windowOf(event.windowID);
  if (!window) return;
  const KeyCode key = keyFromScancode(event.keysym.scancode);
  if (key.virtualKey == 0) return;
  const bool down = event.type == SDL_KEYDOWN;
  const bool alt = (event.keysym.mod & KMOD_ALT) != 0;
  // Alt combinations and F10 are system keys on Windows.
  const bool system = alt || key.virtualKey == VK_F10;
  LPARAM flags = 1 | (static_cast<LPARAM>(key.scanCode) << 16);
  if (key.extended) flags |= KF_EXTENDED_BIT;
  if (alt) flags |= KF_ALTDOWN_BIT;
  if (!down || event.repeat) flags |= KF_REPEAT_BIT;
  if (!down) flags |= KF_UP_BIT;
  const UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  postMessage(window->handle, message, key.virtualKey, flags);
}

// UTF-8 from the text input, one WM_CHAR per UTF-16 unit.
void translateText(const SDL_TextInputEvent& event) {
  Window* window = windowOf(event.windowID);
  if (!window) return;
  const auto* bytes = reinterpret_cast<const unsigned char*>(event.text);
  for (size_t i = 0; bytes[i] != 0;) {
    unsigned int code = bytes[i];
    int length = 1;
    if (code >= 0xF0 && code < 0xF8) {
      code &= 0x07;
      length = 4;
    } else if (code >= 0xE0) {
      code &= 0x0F;
      length = 3;
    } else if (code >= 0xC0) {
      code &= 0x1F;
      length = 2;
    } else if (code >= 0x80) {
      ++i; // a stray continuation byte
      continue;
    }
    int taken = 1;
    for (; taken < length; ++taken) {
      const unsigned char next = bytes[i + static_cast<size_t>(taken)];
      if ((next & 0xC0) != 0x80) break;
      code = (code << 6) | (next & 0x3F);
    }
    i += static_cast<size_t>(taken);
    if (taken != length) continue;
    if (code >= 0x10000) {
      code -= 0x10000;
      postMessage(window->handle, WM_CHAR, 0xD800 + (code >> 10), 1);
      postMessage(window->handle, WM_CHAR, 0xDC00 + (code & 0x3FF), 1);
    } else {
      postMessage(window->handle, WM_CHAR, code, 1);
    }
  }
}

void translateButton(const SDL_MouseButtonEvent& event) {
  Window* window = windowOf(event.windowID);
  if (!window) return;
  const bool down = event.type == SDL_MOUSEBUTTONDOWN;
  UINT message = 0;
  switch (event.button) {
  case SDL_BUTTON_LEFT:
    message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    break;
  case SDL_BUTTON_RIGHT:
    message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    break;
  case SDL_BUTTON_MIDDLE:
    message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    break;
  default:
    return;
  }
  postMessage(window->handle, message, mouseKeyState(SDL_GetMouseState(nullptr, nullptr)),
              MAKELPARAM(event.x, event.y));
}

void translateMotion(const SDL_MouseMotionEvent& event) {
  Window* window = windowOf(event.windowID);
  if (!window) return;
  postMessage(window->handle, WM_SETCURSOR, reinterpret_cast<WPARAM>(window->handle),
              MAKELPARAM(static_cast<int>(HTCLIENT), static_cast<int>(WM_MOUSEMOVE)));
  postMessage(window->handle, WM_MOUSEMOVE, mouseKeyState(event.state), MAKELPARAM(event.x, event.y));
}

void translateWheel(const SDL_MouseWheelEvent& event) {
  Window* window = windowOf(event.windowID);
  if (!window) return;
  int delta = event.y * WHEEL_DELTA;
  if (event.direction == SDL_MOUSEWHEEL_FLIPPED) delta = -delta;
  POINT screen{};
  GetCursorPos(&screen);
  postMessage(window->handle, WM_MOUSEWHEEL,
              MAKEWPARAM(static_cast<int>(mouseKeyState(SDL_GetMouseState(nullptr, nullptr))), delta),
              MAKELPARAM(screen.x, screen.y));
}

void translateToMessages(const SDL_Event& event) {
  switch (event.type) {
  case SDL_WINDOWEVENT:
    translateWindowEvent(event.window);
    break;
  case SDL_KEYDOWN:
  case SDL_KEYUP:
    translateKey(event.key);
    break;
  case SDL_TEXTINPUT:
    translateText(event.text);
    break;
  case SDL_MOUSEBUTTONDOWN:
  case SDL_MOUSEBUTTONUP:
    translateButton(event.button);
    break;
  case SDL_MOUSEMOTION:
    translateMotion(event.motion);
    break;
  case SDL_MOUSEWHEEL:
    translateWheel(event.wheel);
    break;
  default:
    // SDL_QUIT comes with the last window's close request, which already became WM_CLOSE.
    break;
  }
}

} // namespace

void translateSdlEvent(const SDL_Event& event) {
  translateToMessages(event);
  // By index: a tap may add or remove taps.
  const auto& taps = WindowSystem::get().eventTaps;
  for (std::size_t i = 0; i < taps.size(); ++i)
    taps[i].first(event, taps[i].second);
}

} // namespace win32::detail

namespace win32 {

void addEventTap(EventTap tap, void* context) { detail::WindowSystem::get().eventTaps.emplace_back(tap, context); }

void removeEventTap(EventTap tap, void* context) {
  std::erase(detail::WindowSystem::get().eventTaps, std::pair<EventTap, void*>(tap, context));
}

} // namespace win32
