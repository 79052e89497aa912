// Internal state of the window stand-in: classes, windows, the message queue and timers.
// One instance per process, as the Win32 window manager is; `win32::resetWindowSystem`
// puts it back to the start for tests.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/event_tap.h"
#include "platform/win32/winuser.h"

struct SDL_Window;
union SDL_Event;

namespace win32::detail {

struct WindowClass {
  std::string name;
  UINT style = 0;
  WNDPROC procedure = nullptr;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
};

struct Window {
  HWND handle = nullptr;
  SDL_Window* sdl = nullptr;
  WindowClass windowClass;
  WNDPROC procedure = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::string title;
  HWND parent = nullptr;         // a foreign host for WS_CHILD windows
  unsigned long hostWindow = 0;  // X11 id of that host
  unsigned long childWindow = 0; // the X11 child we made inside it
  bool fillsHost = false;        // follows the host's size
  RECT childRect{};              // position inside the host
  bool needsPaint = false;
  int reportedWidth = -1; // the client size last sent with WM_SIZE
  int reportedHeight = -1;
  LONG_PTR userData = 0;
  bool destroyStarted = false;
  bool destroying = false;
};

struct Timer {
  HWND window = nullptr;
  UINT_PTR id = 0;
  UINT interval = 0;
  DWORD due = 0;
  TIMERPROC callback = nullptr;
};

class WindowSystem {
public:
  static WindowSystem& get();

  Window* find(HWND handle);
  Window* findBySdl(SDL_Window* window);
  Window* findByChild(unsigned long childWindow);

  // Windows in creation order (handles only grow).
  std::map<HWND, std::unique_ptr<Window>> windows;
  std::map<std::string, WindowClass> classes; // keyed by the upper-cased name
  std::deque<MSG> queue;
  std::vector<Timer> timers;
  HWND activeWindow = nullptr;
  HWND focusWindow = nullptr;
  bool quitPending = false;
  int quitCode = 0;
  int cursorCount = 0;
  HCURSOR cursor = nullptr;
  bool cursorChosen = false;
  std::vector<std::pair<EventTap, void*>> eventTaps;
};

// The client size as SDL (or the tracked host size) knows it.
void clientSize(const Window& window, int& width, int& height);
// Sends (or posts) WM_SIZE; a SIZE_RESTORED only when the client size differs from the one
// last reported, since SDL and our own resizing may both announce the same change.
void reportSize(Window& window, WPARAM kind, bool post);
void postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Moves SDL's pending events and our X11 connection's events into the queue.
void pumpPlatformEvents();
void translateSdlEvent(const SDL_Event& event);
void applyCursor();
// Holds off (or allows) the desktop's blanking as the screensaver-running flag says.
void applyDesktopBlanking();
// Frees the painting resources of a window that is going away.
void forgetWindowSurface(HWND window);
void destroyAllWindows();

} // namespace win32::detail
