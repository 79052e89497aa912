// Window classes and windows over SDL windows.
#include <algorithm>
#include <cctype>

#include <SDL.h>

#include "platform/win32/desktop.h"
#include "platform/win32/sdl_bridge.h"
#include "platform/win32/winbase.h"
#include "platform/win32/window_system.h"
#include "platform/win32/x11_host.h"

namespace win32::detail {
namespace {

std::string classKey(std::string_view name) {
  std::string key(name);
  for (char& c : key)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key;
}

// The notional frame a style puts around the client area (the classic Windows metrics),
// so that AdjustWindowRect and CreateWindowExA agree and a client area asked for through
// AdjustWindowRect comes out exactly. Our windows never have a menu bar, so a menu adds
// nothing.
RECT frameOf(DWORD style) {
  RECT frame{};
  if (style & WS_CHILD) return frame;
  int edge = 0;
  if (style & WS_THICKFRAME)
    edge = 8;
  else if (style & WS_DLGFRAME)
    edge = 3;
  else if (style & WS_BORDER)
    edge = 1;
  frame.left = frame.right = frame.top = frame.bottom = edge;
  if ((style & WS_CAPTION) == WS_CAPTION) frame.top += 23;
  return frame;
}

bool hasFrame(DWORD style) { return !(style & WS_CHILD) && (style & (WS_CAPTION | WS_THICKFRAME)) != 0; }

Uint32 sdlFlags(DWORD style, DWORD exStyle) {
  Uint32 flags = SDL_WINDOW_OPENGL;
  flags |= (style & WS_VISIBLE) ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
  if (!hasFrame(style)) flags |= SDL_WINDOW_BORDERLESS;
  if (style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
  if (style & WS_MAXIMIZE) flags |= SDL_WINDOW_MAXIMIZED;
  if (exStyle & WS_EX_TOPMOST) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  return flags;
}

HWND fail(DWORD error, std::string_view why) {
  SetLastError(error);
  reportDiagnostic(why);
  return nullptr;
}

// A WS_CHILD window: an X11 child of the foreign host, handed to SDL as a foreign window
// that still gets an OpenGL context.
SDL_Window* createEmbedded(Window& window, HWND parent, int x, int y, int width, int height) {
  if (!isForeignWindow(parent)) return nullptr;
  const auto host = static_cast<x11::WindowId>(reinterpret_cast<UINT_PTR>(parent));
  int hostWidth = 0;
  int hostHeight = 0;
  if (!x11::windowSize(host, hostWidth, hostHeight)) return nullptr;
  if (width <= 0 || height <= 0) return nullptr;
  const x11::WindowId child = x11::createChild(host, x, y, width, height);
  if (child == 0) return nullptr;
  SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
  SDL_Window* sdl = SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<UINT_PTR>(child)));
  SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, nullptr);
  if (!sdl) {
    x11::destroyChild(child);
    return nullptr;
  }
  window.parent = parent;
  window.hostWindow = host;
  window.childWindow = child;
  window.childRect = RECT{x, y, x + width, y + height};
  window.fillsHost = x == 0 && y == 0 && width == hostWidth && height == hostHeight;
  return sdl;
}

SDL_Window* createTopLevel(const Window& window, int x, int y, int width, int height) {
  const RECT frame = frameOf(window.style);
  const int clientWidth = std::max(1, width - frame.left - frame.right);
  const int clientHeight = std::max(1, height - frame.top - frame.bottom);
  const int clientX = x == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : x + frame.left;
  const int clientY = x == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : y + frame.top;
  return SDL_CreateWindow(window.title.c_str(), clientX, clientY, clientWidth, clientHeight,
                          sdlFlags(window.style, window.exStyle));
}

} // namespace

WindowSystem& WindowSystem::get() {
  static WindowSystem system;
  return system;
}

Window* WindowSystem::find(HWND handle) {
  auto it = windows.find(handle);
  return it == windows.end() || it->second->destroying ? nullptr : it->second.get();
}

Window* WindowSystem::findBySdl(SDL_Window* window) {
  for (auto& [handle, record] : windows)
    if (record->sdl == window && !record->destroying) return record.get();
  return nullptr;
}

Window* WindowSystem::findByChild(unsigned long childWindow) {
  for (auto& [handle, record] : windows)
    if (record->childWindow == childWindow && !record->destroying) return record.get();
  return nullptr;
}

void clientSize(const Window& window, int& width, int& height) {
  width = 0;
  height = 0;
  if (window.sdl) SDL_GetWindowSize(window.sdl, &width, &height);
}

void reportSize(Window& window, WPARAM kind, bool post) {
  int width = 0;
  int height = 0;
  clientSize(window, width, height);
  if (kind == SIZE_RESTORED && width == window.reportedWidth && height == window.reportedHeight) return;
  window.reportedWidth = width;
  window.reportedHeight = height;
  if ((window.windowClass.style & (CS_HREDRAW | CS_VREDRAW)) != 0) window.needsPaint = true;
  const LPARAM size = kind == SIZE_MINIMIZED ? 0 : MAKELPARAM(width, height);
  if (post)
    postMessage(window.handle, WM_SIZE, kind, size);
  else
    SendMessageA(window.handle, WM_SIZE, kind, size);
}

void destroyAllWindows() {
  WindowSystem& system = WindowSystem::get();
  std::vector<HWND> handles;
  for (auto& [handle, record] : system.windows)
    handles.push_back(handle);
  std::reverse(handles.begin(), handles.end());
  for (HWND handle : handles)
    DestroyWindow(handle);
}

} // namespace win32::detail

using win32::detail::Window;
using win32::detail::WindowSystem;

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
  if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WindowSystem& system = WindowSystem::get();
  const std::string key = win32::detail::classKey(windowClass->lpszClassName);
  if (system.classes.count(key)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  win32::detail::WindowClass record;
  record.name = windowClass->lpszClassName;
  record.style = windowClass->style;
  record.procedure = windowClass->lpfnWndProc;
  record.instance = windowClass->hInstance;
  record.icon = windowClass->hIcon;
  record.cursor = windowClass->hCursor;
  record.background = windowClass->hbrBackground;
  system.classes[key] = record;
  return static_cast<ATOM>(0xC000 + system.classes.size());
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
  if (!className) return FALSE;
  return WindowSystem::get().classes.erase(win32::detail::classKey(className)) ? TRUE : FALSE;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU, HINSTANCE, LPVOID) {
  WindowSystem& system = WindowSystem::get();
  if (!className) return win32::detail::fail(ERROR_INVALID_PARAMETER, "CreateWindowExA: no window class");
  auto cls = system.classes.find(win32::detail::classKey(className));
  if (cls == system.classes.end())
    return win32::detail::fail(ERROR_CANNOT_FIND_WND_CLASS,
                               std::string("CreateWindowExA: unknown window class ") + className);
  if ((style & WS_CHILD) && !parent)
    return win32::detail::fail(ERROR_TLW_WITH_WSCHILD, "CreateWindowExA: a child window needs a parent");
  if (!win32::ensureVideo())
    return win32::detail::fail(ERROR_INVALID_PARAMETER, std::string("SDL video: ") + SDL_GetError());

  auto record = std::make_unique<Window>();
  record->windowClass = cls->second;
  record->procedure = cls->second.procedure;
  record->style = style;
  record->exStyle = exStyle;
  record->title = windowName ? windowName : "";
  SDL_Window* sdl = nullptr;
  if (style & WS_CHILD) {
    sdl = win32::detail::createEmbedded(*record, parent, x, y, width, height);
    if (!sdl)
      return win32::detail::fail(ERROR_INVALID_WINDOW_HANDLE,
                                 "CreateWindowExA: cannot make a child window in X11 window " +
                                     std::to_string(reinterpret_cast<UINT_PTR>(parent)));
  } else {
    sdl = win32::detail::createTopLevel(*record, x, y, width, height);
    if (!sdl) return win32::detail::fail(ERROR_NOT_ENOUGH_MEMORY, std::string("SDL_CreateWindow: ") + SDL_GetError());
  }
  record->sdl = sdl;
  const HWND handle = win32::attachSdlWindow(sdl);
  record->handle = handle;
  Window& window = *record;
  system.windows[handle] = std::move(record);

  if (SendMessageA(handle, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  win32::detail::reportSize(window, SIZE_RESTORED, false);
  if (style & WS_VISIBLE) {
    window.needsPaint = true;
    if (!(style & WS_CHILD)) {
      system.activeWindow = handle;
      system.focusWindow = handle;
    }
  }
  return handle;
}

BOOL DestroyWindow(HWND handle) {
  WindowSystem& system = WindowSystem::get();
  Window* window = system.find(handle);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  // A window procedure may call DestroyWindow again while handling WM_DESTROY.
  if (window->destroyStarted) return TRUE;
  window->destroyStarted = true;
  SendMessageA(handle, WM_DESTROY, 0, 0);
  window->destroying = true;
  std::erase_if(system.timers, [&](const win32::detail::Timer& t) { return t.window == handle; });
  std::erase_if(system.queue, [&](const MSG& m) { return m.hwnd == handle; });
  if (system.activeWindow == handle) system.activeWindow = nullptr;
  if (system.focusWindow == handle) system.focusWindow = nullptr;
  win32::detail::forgetWindowSurface(handle);
  win32::detachSdlWindow(handle);
  SDL_DestroyWindow(window->sdl);
  if (window->childWindow) win32::x11::destroyChild(window->childWindow);
  system.windows.erase(handle);
  return TRUE;
}

BOOL IsWindow(HWND handle) {
  if (WindowSystem::get().find(handle)) return TRUE;
  win32::WindowProvider* other = win32::windowProvider();
  return other && other->owns(handle) ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND handle) {
  Window* window = WindowSystem::get().find(handle);
  return window && (window->style & WS_VISIBLE) ? TRUE : FALSE;
}

BOOL ShowWindow(HWND handle, int command) {
  Window* window = WindowSystem::get().find(handle);
  if (!window) return FALSE;
  const BOOL wasVisible = (window->style & WS_VISIBLE) ? TRUE : FALSE;
  switch (command) {
  case SW_HIDE:
    SDL_HideWindow(window->sdl);
    window->style &= ~WS_VISIBLE;
    break;
  case SW_SHOWMINIMIZED:
    SDL_ShowWindow(window->sdl);
    SDL_MinimizeWindow(window->sdl);
    window->style |= WS_VISIBLE;
    break;
  case SW_SHOWMAXIMIZED:
    SDL_ShowWindow(window->sdl);
    SDL_MaximizeWindow(window->sdl);
    window->style |= WS_VISIBLE;
    break;
  case SW_RESTORE:
    SDL_RestoreWindow(window->sdl);
    [[fallthrough]];
  default:
    SDL_ShowWindow(window->sdl);
    window->style |= WS_VISIBLE;
    break;
  }
  if (!wasVisible && (window->style & WS_VISIBLE)) window->needsPaint = true;
  return wasVisible;
}

BOOL UpdateWindow(HWND handle) {
  Window* window = WindowSystem::get().find(handle);
  if (!window) return FALSE;
  if (window->needsPaint) SendMessageA(handle, WM_PAINT, 0, 0);
  return TRUE;
}

HWND GetParent(HWND handle) {
  if (Window* window = WindowSystem::get().find(handle)) return window->parent;
  win32::WindowProvider* other = win32::windowProvider();
  return other && other->owns(handle) ? other->parentOf(handle) : nullptr;
}

BOOL SetWindowTextA(HWND handle, LPCSTR text) {
  Window* window = WindowSystem::get().find(handle);
  if (!window) return FALSE;
  window->title = text ? text : "";
  SDL_SetWindowTitle(window->sdl, window->title.c_str());
  return TRUE;
}

BOOL GetClientRect(HWND handle, RECT* rect) {
  if (!rect) return FALSE;
  if (Window* window = WindowSystem::get().find(handle)) {
    int width = 0;
    int height = 0;
    win32::detail::clientSize(*window, width, height);
    *rect = RECT{0, 0, width, height};
    return TRUE;
  }
  if (win32::WindowProvider* other = win32::windowProvider(); other && other->owns(handle))
    return other->clientRect(handle, *rect) ? TRUE : FALSE;
  if (win32::isForeignWindow(handle)) {
    int width = 0;
    int height = 0;
    if (!win32::x11::windowSize(static_cast<win32::x11::WindowId>(reinterpret_cast<UINT_PTR>(handle)), width, height))
      return FALSE;
    *rect = RECT{0, 0, width, height};
    return TRUE;
  }
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return FALSE;
}

BOOL ClientToScreen(HWND handle, POINT* point) {
  if (!point) return FALSE;
  Window* window = WindowSystem::get().find(handle);
  if (!window) return FALSE;
  int x = 0;
  int y = 0;
  if (window->childWindow) {
    if (!win32::x11::windowOrigin(window->childWindow, x, y)) return FALSE;
  } else {
    SDL_GetWindowPosition(window->sdl, &x, &y);
  }
  point->x += x;
  point->y += y;
  return TRUE;
}

BOOL ScreenToClient(HWND handle, POINT* point) {
  if (!point) return FALSE;
  POINT origin{0, 0};
  if (!ClientToScreen(handle, &origin)) return FALSE;
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

BOOL GetWindowRect(HWND handle, RECT* rect) {
  Window* window = WindowSystem::get().find(handle);
  if (!window && rect) {
    win32::WindowProvider* other = win32::windowProvider();
    return other && other->owns(handle) && other->windowRect(handle, *rect) ? TRUE : FALSE;
  }
  if (!window || !rect) return FALSE;
  POINT origin{0, 0};
  ClientToScreen(handle, &origin);
  int width = 0;
  int height = 0;
  win32::detail::clientSize(*window, width, height);
  const RECT frame = win32::detail::frameOf(window->style);
  *rect = RECT{origin.x - frame.left, origin.y - frame.top, origin.x + width + frame.right,
               origin.y + height + frame.bottom};
  return TRUE;
}

BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL) {
  if (!rect) return FALSE;
  const RECT frame = win32::detail::frameOf(style);
  rect->left -= frame.left;
  rect->top -= frame.top;
  rect->right += frame.right;
  rect->bottom += frame.bottom;
  return TRUE;
}

BOOL SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  Window* window = WindowSystem::get().find(handle);
  if (!window) {
    if (win32::WindowProvider* other = win32::windowProvider(); other && other->owns(handle))
      return other->setWindowPos(handle, x, y, width, height, flags) ? TRUE : FALSE;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const RECT frame = win32::detail::frameOf(window->style);
  const int clientWidth = std::max(1, width - frame.left - frame.right);
  const int clientHeight = std::max(1, height - frame.top - frame.bottom);
  if (window->childWindow) {
    RECT& r = window->childRect;
    if (!(flags & SWP_NOMOVE)) r = RECT{x, y, x + (r.right - r.left), y + (r.bottom - r.top)};
    if (!(flags & SWP_NOSIZE)) {
      r.right = r.left + clientWidth;
      r.bottom = r.top + clientHeight;
    }
    win32::x11::moveResizeChild(window->childWindow, r.left, r.top, r.right - r.left, r.bottom - r.top);
    if (!(flags & SWP_NOSIZE)) SDL_SetWindowSize(window->sdl, clientWidth, clientHeight);
    window->fillsHost = false;
  } else {
    if (!(flags & SWP_NOMOVE)) SDL_SetWindowPosition(window->sdl, x + frame.left, y + frame.top);
    if (!(flags & SWP_NOSIZE)) SDL_SetWindowSize(window->sdl, clientWidth, clientHeight);
  }
  if (!(flags & SWP_NOZORDER)) {
    if (insertAfter == HWND_TOPMOST) SDL_SetWindowAlwaysOnTop(window->sdl, SDL_TRUE);
    if (insertAfter == HWND_NOTOPMOST) SDL_SetWindowAlwaysOnTop(window->sdl, SDL_FALSE);
  }
  if (flags & SWP_SHOWWINDOW) ShowWindow(handle, SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(handle, SW_HIDE);
  if (!(flags & SWP_NOSIZE)) win32::detail::reportSize(*window, SIZE_RESTORED, false);
  return TRUE;
}

BOOL MoveWindow(HWND handle, int x, int y, int width, int height, BOOL) {
  return SetWindowPos(handle, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

LONG_PTR GetWindowLongPtrA(HWND handle, int index) {
  Window* window = WindowSystem::get().find(handle);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (index) {
  case GWL_STYLE:
    return static_cast<LONG>(window->style);
  case GWL_EXSTYLE:
    return static_cast<LONG>(window->exStyle);
  case GWLP_USERDATA:
    return window->userData;
  default:
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
}

LONG_PTR SetWindowLongPtrA(HWND handle, int index, LONG_PTR value) {
  Window* window = WindowSystem::get().find(handle);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  const LONG_PTR previous = GetWindowLongPtrA(handle, index);
  switch (index) {
  case GWL_STYLE: {
    const DWORD style = static_cast<DWORD>(value);
    // The client area stays where it is; only the decoration and the visibility follow.
    if (!(window->style & WS_CHILD)) {
      SDL_SetWindowBordered(window->sdl, win32::detail::hasFrame(style) ? SDL_TRUE : SDL_FALSE);
      SDL_SetWindowResizable(window->sdl, (style & WS_THICKFRAME) ? SDL_TRUE : SDL_FALSE);
    }
    const bool show = (style & WS_VISIBLE) != 0;
    if (show != ((window->style & WS_VISIBLE) != 0)) ShowWindow(handle, show ? SW_SHOW : SW_HIDE);
    window->style = (style & ~WS_CHILD) | (window->style & WS_CHILD);
    break;
  }
  case GWL_EXSTYLE:
    window->exStyle = static_cast<DWORD>(value);
    SDL_SetWindowAlwaysOnTop(window->sdl, (window->exStyle & WS_EX_TOPMOST) ? SDL_TRUE : SDL_FALSE);
    break;
  case GWLP_USERDATA:
    window->userData = value;
    break;
  default:
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return previous;
}

LONG GetWindowLongA(HWND handle, int index) { return static_cast<LONG>(GetWindowLongPtrA(handle, index)); }
LONG SetWindowLongA(HWND handle, int index, LONG value) {
  const LONG_PTR stored = index == GWLP_USERDATA ? value : static_cast<LONG_PTR>(static_cast<DWORD>(value));
  return static_cast<LONG>(SetWindowLongPtrA(handle, index, stored));
}

HWND GetActiveWindow() { return WindowSystem::get().activeWindow; }
HWND GetFocus() { return WindowSystem::get().focusWindow; }

BOOL InvalidateRect(HWND handle, const RECT*, BOOL) {
  Window* window = WindowSystem::get().find(handle);
  if (!window) return FALSE;
  window->needsPaint = true;
  return TRUE;
}

BOOL ValidateRect(HWND handle, const RECT*) {
  Window* window = WindowSystem::get().find(handle);
  if (!window) return FALSE;
  window->needsPaint = false;
  return TRUE;
}

namespace win32 {

HWND foreignWindow(std::uint64_t x11Id) { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(x11Id)); }

bool isForeignWindow(HWND window) {
  if (!window || detail::WindowSystem::get().windows.count(window)) return false;
  // Our own handles have bit 30 set; X11 ids never use the top three bits of 32.
  const auto value = reinterpret_cast<UINT_PTR>(window);
  if (value > 0x1FFFFFFFu) return false;
  if (!ensureVideo() || !x11::available()) return false;
  return x11::windowExists(static_cast<x11::WindowId>(value));
}

HWND rootWindow() {
  if (!ensureVideo() || !x11::available()) return nullptr;
  return foreignWindow(x11::rootWindow());
}

void resetWindowSystem() {
  detail::destroyAllWindows();
  detail::WindowSystem& system = detail::WindowSystem::get();
  system.queue.clear();
  system.timers.clear();
  system.classes.clear();
  system.quitPending = false;
  system.quitCode = 0;
  system.activeWindow = nullptr;
  system.focusWindow = nullptr;
  system.cursorCount = 0;
  system.cursor = nullptr;
  system.cursorChosen = false;
}

} // namespace win32
