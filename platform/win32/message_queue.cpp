// The message queue: posted messages, WM_QUIT, WM_PAINT and WM_TIMER in Windows' order of
// retrieval, the termination signals, and the wait for the next message.
#include <algorithm>
#include <atomic>
#include <csignal>

#include <SDL.h>

#include "platform/win32/clock.h"
#include "platform/win32/desktop.h"
#include "platform/win32/winbase.h"
#include "platform/win32/window_system.h"
#include "platform/win32/x11_host.h"

namespace win32::detail {
namespace {

// Written by the signal handler, read by the pump: a plain lock-free atomic only.
std::atomic<int> g_pendingSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onTerminationSignal(int signal) {
  int expected = 0;
  // A second signal before the first was delivered: the user means it.
  if (!g_pendingSignal.compare_exchange_strong(expected, signal)) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
  }
}

// Window procedures called directly (sent messages); a wait ends when the platform events
// it pumped made any, as a sent message wakes a waiting thread on Windows.
unsigned g_sentMessages = 0;

// Windows keeps the signed 32-bit millisecond difference, so timers survive the wrap of
// timeGetTime.
bool isDue(DWORD due, DWORD now) { return static_cast<LONG>(now - due) >= 0; }

bool matchesWindow(const MSG& msg, HWND filter) { return filter == nullptr || msg.hwnd == filter; }

bool matchesRange(UINT message, UINT low, UINT high) {
  return (low == 0 && high == 0) || (message >= low && message <= high);
}

MSG makeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = timeGetTime();
  // The pointer as SDL last saw it, over the window it was in: asking the display server
  // for every message would cost a round trip each.
  if (SDL_WasInit(SDL_INIT_VIDEO)) {
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    if (SDL_Window* over = SDL_GetMouseFocus()) {
      int left = 0;
      int top = 0;
      SDL_GetWindowPosition(over, &left, &top);
      x += left;
      y += top;
    }
    msg.pt = POINT{x, y};
  }
  return msg;
}

// A signal that comes before there is a window (during start-up) waits for the first one.
void deliverPendingSignal() {
  if (g_pendingSignal.load() == 0) return;
  WindowSystem& system = WindowSystem::get();
  bool told = false;
  for (auto& [handle, window] : system.windows) {
    if (window->destroying) continue;
    postMessage(handle, WM_CLOSE, 0, 0);
    told = true;
  }
  if (told) g_pendingSignal.store(0);
}

void handleHostEvents() {
  std::vector<x11::Event> events;
  x11::pollEvents(events);
  WindowSystem& system = WindowSystem::get();
  for (const x11::Event& event : events) {
    switch (event.kind) {
    case x11::Event::Kind::Exposed:
      if (Window* window = system.findByChild(event.window)) window->needsPaint = true;
      break;
    case x11::Event::Kind::HostResized:
      for (auto& [handle, window] : system.windows) {
        if (window->hostWindow != event.window || !window->fillsHost || window->destroying) continue;
        x11::moveResizeChild(window->childWindow, 0, 0, event.width, event.height);
        window->childRect = RECT{0, 0, event.width, event.height};
        SDL_SetWindowSize(window->sdl, event.width, event.height);
        reportSize(*window, SIZE_RESTORED, true);
      }
      break;
    case x11::Event::Kind::HostGone: {
      // As on Windows, a window goes with its parent: it gets WM_DESTROY and its handle
      // stops being valid.
      std::vector<HWND> orphans;
      for (auto& [handle, window] : system.windows)
        if (window->hostWindow == event.window && !window->destroying) orphans.push_back(handle);
      for (HWND orphan : orphans) {
        reportDiagnostic("The host window of a child window has gone; the child goes with it");
        DestroyWindow(orphan);
      }
      break;
    }
    }
  }
}

// The next message for `filter` (null: any window or the thread) in the range, in the
// order Windows retrieves them: posted messages, WM_QUIT, WM_PAINT, then due timers.
// Platform events are not pumped here.
bool findMessage(MSG& msg, HWND filter, UINT low, UINT high, bool remove) {
  WindowSystem& system = WindowSystem::get();
  for (auto it = system.queue.begin(); it != system.queue.end(); ++it) {
    if (!matchesWindow(*it, filter) || !matchesRange(it->message, low, high)) continue;
    msg = *it;
    if (remove) system.queue.erase(it);
    return true;
  }
  if (system.quitPending && !filter) {
    msg = makeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(system.quitCode), 0);
    if (remove) system.quitPending = false;
    return true;
  }
  if (matchesRange(WM_PAINT, low, high)) {
    for (auto& [handle, window] : system.windows) {
      if (!window->needsPaint || window->destroying || !(window->style & WS_VISIBLE)) continue;
      if (filter && filter != handle) continue;
      // WM_PAINT stays until the window is painted (validated), as on Windows.
      msg = makeMessage(handle, WM_PAINT, 0, 0);
      return true;
    }
  }
  if (matchesRange(WM_TIMER, low, high)) {
    const DWORD now = timeGetTime();
    for (Timer& timer : system.timers) {
      if (!isDue(timer.due, now) || (filter && timer.window != filter)) continue;
      msg = makeMessage(timer.window, WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.callback));
      if (remove) timer.due = now + timer.interval;
      return true;
    }
  }
  return false;
}

// Whether any message is waiting for `filter` (null: any window or the thread).
bool messageWaiting(HWND filter) {
  MSG msg{};
  return findMessage(msg, filter, 0, 0, false);
}

// How long the next timer may be waited for, in milliseconds.
DWORD timeToNextTimer() {
  const DWORD now = timeGetTime();
  DWORD wait = INFINITE;
  for (const Timer& timer : WindowSystem::get().timers) {
    const LONG left = static_cast<LONG>(timer.due - now);
    wait = std::min(wait, static_cast<DWORD>(std::max<LONG>(left, 0)));
  }
  return wait;
}

// Sleeps until a platform event arrives or `milliseconds` pass, in slices short enough
// that a termination signal or a change of a host window is seen within 10 ms.
void waitForEvents(DWORD milliseconds) {
  const int slice = static_cast<int>(std::min<DWORD>(milliseconds, 10));
  if (SDL_WasInit(SDL_INIT_VIDEO)) {
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, slice) == 1) translateSdlEvent(event);
  } else {
    SDL_Delay(static_cast<Uint32>(slice));
  }
}

} // namespace

void postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowSystem::get().queue.push_back(makeMessage(window, message, wParam, lParam));
}

void pumpPlatformEvents() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) {
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1)
      translateSdlEvent(event);
  }
  handleHostEvents();
  deliverPendingSignal();
}

} // namespace win32::detail

using win32::detail::Window;
using win32::detail::WindowSystem;

LRESULT SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  ++win32::detail::g_sentMessages;
  Window* window = WindowSystem::get().find(handle);
  if (!window || !window->procedure) return 0;
  return window->procedure(handle, message, wParam, lParam);
}

BOOL PostMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  if (handle && !WindowSystem::get().find(handle)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  win32::detail::postMessage(handle, message, wParam, lParam);
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  WindowSystem& system = WindowSystem::get();
  system.quitPending = true;
  system.quitCode = exitCode;
}

BOOL PeekMessageA(MSG* msg, HWND filter, UINT low, UINT high, UINT removeFlags) {
  if (!msg) return FALSE;
  win32::detail::pumpPlatformEvents();
  return win32::detail::findMessage(*msg, filter, low, high, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(MSG* msg, HWND filter, UINT low, UINT high) {
  if (!msg) return -1;
  for (;;) {
    if (filter && !WindowSystem::get().find(filter)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return -1;
    }
    if (PeekMessageA(msg, filter, low, high, PM_REMOVE)) return msg->message == WM_QUIT ? 0 : 1;
    win32::detail::waitForEvents(win32::detail::timeToNextTimer());
  }
}

DWORD MsgWaitForMultipleObjects(DWORD count, const void*, BOOL, DWORD milliseconds, DWORD) {
  if (count != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0xFFFFFFFF;
  }
  const Uint64 start = SDL_GetTicks64();
  for (;;) {
    const unsigned sent = win32::detail::g_sentMessages;
    win32::detail::pumpPlatformEvents();
    if (sent != win32::detail::g_sentMessages || win32::detail::messageWaiting(nullptr)) return WAIT_OBJECT_0;
    const Uint64 passed = SDL_GetTicks64() - start;
    if (milliseconds != INFINITE && passed >= milliseconds) return WAIT_TIMEOUT;
    DWORD wait = win32::detail::timeToNextTimer();
    if (milliseconds != INFINITE) wait = std::min(wait, static_cast<DWORD>(milliseconds - passed));
    win32::detail::waitForEvents(wait);
  }
}

BOOL WaitMessage() { return MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0; }

// Characters come from the platform's text input (WM_CHAR is posted with it), so there is
// nothing left to translate; like Windows, answer whether this was a key message.
BOOL TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  return (msg->message >= WM_KEYDOWN && msg->message <= WM_SYSKEYUP) ? TRUE : FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam != 0) {
    auto callback = reinterpret_cast<TIMERPROC>(msg->lParam);
    callback(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
    return 0;
  }
  if (!msg->hwnd) return 0;
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

UINT_PTR SetTimer(HWND handle, UINT_PTR id, UINT elapse, TIMERPROC callback) {
  WindowSystem& system = WindowSystem::get();
  if (handle && !system.find(handle)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  // Windows raises intervals below 10 ms to 10 ms.
  const UINT interval = std::max<UINT>(elapse, 10);
  if (!handle) {
    // A thread timer gets an id of its own unless it replaces one given back earlier.
    if (id == 0 || std::none_of(system.timers.begin(), system.timers.end(),
                                [&](const win32::detail::Timer& t) { return !t.window && t.id == id; })) {
      UINT_PTR next = 0x7FF0;
      while (std::any_of(system.timers.begin(), system.timers.end(),
                         [&](const win32::detail::Timer& t) { return !t.window && t.id == next; }))
        ++next;
      id = next;
    }
  }
  for (win32::detail::Timer& timer : system.timers) {
    if (timer.window == handle && timer.id == id) {
      timer.interval = interval;
      timer.due = timeGetTime() + interval;
      timer.callback = callback;
      return handle ? 1 : id;
    }
  }
  system.timers.push_back({handle, id, interval, timeGetTime() + interval, callback});
  return handle ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND handle, UINT_PTR id) {
  auto& timers = WindowSystem::get().timers;
  const auto removed =
      std::erase_if(timers, [&](const win32::detail::Timer& t) { return t.window == handle && t.id == id; });
  return removed ? TRUE : FALSE;
}

LRESULT DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_CLOSE:
    DestroyWindow(handle);
    return 0;
  case WM_SYSCOMMAND:
    switch (wParam & 0xFFF0) {
    case SC_CLOSE:
      SendMessageA(handle, WM_CLOSE, 0, 0);
      break;
    case SC_MINIMIZE:
      ShowWindow(handle, SW_SHOWMINIMIZED);
      break;
    case SC_MAXIMIZE:
      ShowWindow(handle, SW_SHOWMAXIMIZED);
      break;
    case SC_RESTORE:
      ShowWindow(handle, SW_RESTORE);
      break;
    default:
      break;
    }
    return 0;
  case WM_PAINT: {
    PAINTSTRUCT paint{};
    BeginPaint(handle, &paint);
    EndPaint(handle, &paint);
    return 0;
  }
  case WM_SYSKEYDOWN:
    // Alt+F4 asks the window to close, as the system menu would.
    if (wParam == VK_F4 && (lParam & KF_ALTDOWN_BIT)) SendMessageA(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  case WM_NCHITTEST:
    return HTCLIENT;
  case WM_SETCURSOR:
    if (LOWORD(static_cast<std::uintptr_t>(lParam)) == HTCLIENT) {
      if (Window* window = WindowSystem::get().find(handle)) {
        SetCursor(window->windowClass.cursor);
        return TRUE;
      }
    }
    return FALSE;
  default:
    return 0;
  }
}

namespace win32 {

bool terminationPending() { return detail::g_pendingSignal.load() != 0; }

void closeWindowsOnTerminationSignals() {
  struct sigaction action {};
  action.sa_handler = detail::onTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  // SDL would turn the signals into SDL_QUIT on its own; we deliver them ourselves.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
}

} // namespace win32
